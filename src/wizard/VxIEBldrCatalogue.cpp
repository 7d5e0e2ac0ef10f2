#include "wizard/VxIEBldrCatalogue.h"

#include "engine/DataSet.h"
#include "engine/VxITypes.h"
#include "expr/VxIParsCatalogue.h"
#include "expr/VxIParsFunctions.h"
#include "values/StringList.h"

namespace {

// The first code of the variables: the system variables, listed after the user-defined
// functions so that those join the language's own groups at their end.
constexpr int firstVariableCode = ckVariables * 10000;
constexpr int customVariablesCode = firstVariableCode + 1;

void replaceAll(std::string &text, const std::string &from, const std::string &to)
{
    if (from.empty())
        return;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool isBlank(const std::string &text) { return text.find_first_not_of(" \t\r\n") == std::string::npos; }

class TCatalogueBuilder {
public:
    TCatalogueBuilder(TExpBuilderCatalogue &catalogue, const TVxIExprCatalogue &language)
        : catalogue_(catalogue), language_(language)
    {
    }

    // Index of the type of that name (ignoring case), added at the end when missing.
    int Type(const std::string &name)
    {
        for (std::size_t i = 0; i < catalogue_.Types.size(); ++i)
            if (Text::SameText(catalogue_.Types[i], name))
                return static_cast<int>(i);
        catalogue_.Types.push_back(name);
        return static_cast<int>(catalogue_.Types.size()) - 1;
    }

    // Code of the type's sub-category of that name (ignoring case), added when missing.
    int SubCategory(int type, const std::string &name)
    {
        const std::vector<int> present = catalogue_.SubCategoriesOf(type);
        for (std::size_t position = 0; position < present.size(); ++position)
            if (Text::SameText(catalogue_.SubCategories[static_cast<std::size_t>(present[position])].Text, name))
                return type * 10000 + static_cast<int>(position);
        return AddSubCategory(type, name);
    }

    int AddSubCategory(int type, const std::string &name, int dataSet = -1)
    {
        const int position = static_cast<int>(catalogue_.SubCategoriesOf(type).size());
        catalogue_.SubCategories.push_back({name, type, dataSet});
        return type * 10000 + position;
    }

    void AddEntry(int code, const std::string &text, const std::string &display = {},
                  const std::string &description = {})
    {
        catalogue_.Entries.push_back({code, language_.ExpandPlaceholders(text), language_.ExpandPlaceholders(display),
                                      language_.ExpandPlaceholders(description)});
    }

private:
    TExpBuilderCatalogue &catalogue_;
    const TVxIExprCatalogue &language_;
};

void addDataSources(TCatalogueBuilder &builder, TExpBuilderCatalogue &catalogue,
                    const std::vector<TDataSet *> &datasets, const std::vector<std::string> &sourceColumns)
{
    if (!sourceColumns.empty()) {
        const int code = builder.AddSubCategory(ckDataSources, SourceSubCategory);
        for (const std::string &column : sourceColumns)
            if (!isBlank(column))
                catalogue.Entries.push_back({code, column, {}, {}});
    }
    for (TDataSet *dataSet : datasets) {
        if (dataSet == nullptr)
            continue;
        const int index = static_cast<int>(catalogue.DataSetNames.size());
        catalogue.DataSetNames.push_back(dataSet->Name());
        const int code = builder.AddSubCategory(ckDataSources, dataSet->Name(), index);
        for (int f = 0; f < dataSet->FieldCount(); ++f) {
            const TField *field = dataSet->Fields(f);
            if (field == nullptr || !field->Visible())
                continue;
            if (!catalogue.UseDisplayNames) {
                catalogue.Entries.push_back({code, field->FieldName(), {}, {}});
                continue;
            }
            const std::string display = field->DisplayLabel();
            catalogue.Entries.push_back({code, display, {}, {}});
            catalogue.Translations.push_back({field->FieldName(), "\"" + display + "\""});
        }
    }
}

} // namespace

std::vector<int> TExpBuilderCatalogue::SubCategoriesOf(int type) const
{
    std::vector<int> result;
    for (std::size_t i = 0; i < SubCategories.size(); ++i)
        if (SubCategories[i].Type == type)
            result.push_back(static_cast<int>(i));
    return result;
}

int TExpBuilderCatalogue::PositionOf(int subCategory) const
{
    if (subCategory < 0 || static_cast<std::size_t>(subCategory) >= SubCategories.size())
        return -1;
    const int type = SubCategories[static_cast<std::size_t>(subCategory)].Type;
    int position = 0;
    for (int i = 0; i < subCategory; ++i)
        if (SubCategories[static_cast<std::size_t>(i)].Type == type)
            ++position;
    return position;
}

std::vector<int> TExpBuilderCatalogue::EntriesOf(int code) const
{
    std::vector<int> result;
    for (std::size_t i = 0; i < Entries.size(); ++i)
        if (Entries[i].Code == code)
            result.push_back(static_cast<int>(i));
    return result;
}

std::string TExpBuilderCatalogue::InsertText(int subCategory, const TExpBuilderEntry &entry) const
{
    const bool inRange = subCategory >= 0 && static_cast<std::size_t>(subCategory) < SubCategories.size();
    const int dataSet = inRange ? SubCategories[static_cast<std::size_t>(subCategory)].DataSet : -1;
    if (dataSet < 0 || static_cast<std::size_t>(dataSet) >= DataSetNames.size())
        return " " + entry.Text + " ";
    const std::string field = UseDisplayNames ? "\"" + entry.Text + "\"" : entry.Text;
    return "[" + DataSetNames[static_cast<std::size_t>(dataSet)] + "." + field + "]";
}

std::string TExpBuilderCatalogue::ToEditText(const std::string &expression) const
{
    std::string text = expression;
    if (UseDisplayNames)
        for (const TExpBuilderTranslation &pair : Translations)
            replaceAll(text, pair.FieldName, pair.Quoted);
    return text;
}

std::string TExpBuilderCatalogue::FromEditText(const std::string &text) const
{
    std::string expression = text;
    if (UseDisplayNames)
        for (const TExpBuilderTranslation &pair : Translations)
            replaceAll(expression, pair.Quoted, pair.FieldName);
    // An expression is one line wherever it is stored; the lines typed are joined as they are.
    replaceAll(expression, "\r\n", "");
    replaceAll(expression, "\n", "");
    return expression;
}

TExpBuilderCatalogue BuildExpBuilderCatalogue(const std::vector<TDataSet *> &datasets,
                                              const std::vector<std::string> &sourceColumns, bool useDisplayNames,
                                              const TVxIParameters &parameters)
{
    return BuildExpBuilderCatalogue(datasets, sourceColumns, useDisplayNames, parameters, ExprCatalogue(),
                                    ParserFunctions());
}

TExpBuilderCatalogue BuildExpBuilderCatalogue(const std::vector<TDataSet *> &datasets,
                                              const std::vector<std::string> &sourceColumns, bool useDisplayNames,
                                              const TVxIParameters &parameters, const TVxIExprCatalogue &language,
                                              const TVxIParserFunctions &functions)
{
    TExpBuilderCatalogue catalogue;
    catalogue.UseDisplayNames = useDisplayNames;
    catalogue.Types = language.KindNames;
    TCatalogueBuilder builder(catalogue, language);
    addDataSources(builder, catalogue, datasets, sourceColumns);
    for (const TVxICatalogueGroup &group : language.Groups)
        builder.AddSubCategory(group.Kind(), group.Name);
    for (const TVxICatalogueEntry &entry : language.Entries)
        if (entry.Code < firstVariableCode)
            builder.AddEntry(entry.Code, entry.Text, entry.Display, entry.Description);
    for (int i = 0; i < functions.Count(); ++i) {
        const TVxIParserFunction *function = functions.Items(i);
        const int type = builder.Type(function->Category);
        builder.AddEntry(builder.SubCategory(type, function->Group), function->Definition());
    }
    for (const TVxICatalogueEntry &entry : language.Entries)
        if (entry.Code >= firstVariableCode)
            builder.AddEntry(entry.Code, entry.Text, entry.Display, entry.Description);
    for (int i = 0; i < parameters.Count(); ++i)
        builder.AddEntry(customVariablesCode, parameters[i].Name(), parameters[i].Caption, parameters[i].Description);
    return catalogue;
}

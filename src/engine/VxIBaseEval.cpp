// Evaluation: expressions, the engine's own names and the source's values.

#include "engine/VxIBase.h"

#include "engine/ImpCnst.h"
#include "engine/VxIBaseHelpers.h"
#include "engine/VxIConvert.h"
#include "expr/VxIPars.h"
#include "expr/VxIParsFunctions.h"
#include "values/DateMask.h"
#include "values/RegionalSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

using namespace vxibase_detail;

// ---------------------------------------------------------------- evaluation

TVxIParser &TVxImportBaseComponent::ParserFor(const std::string &expression)
{
    auto &parser = parsers_[expression];
    if (!parser) {
        parser = std::make_unique<TVxIParser>();
        parser->ProcessBeforeEvent = false;
        parser->OnEvaluate = [this](TVxIParser *sender, const std::string &eval, std::vector<Variant> &args,
                                    int argCount, bool isChild, Variant &value, bool &done) {
            EvaluateIdentifier(sender, eval, args, argCount, isChild, value, done);
        };
        parser->SetText(expression);
    }
    return *parser;
}

void TVxImportBaseComponent::EvaluateExpression(const Variant &expression, int columnIndex, Variant &value)
{
    std::string copy;
    const std::string *pointer = expression.StringPointer();
    if (!pointer)
        pointer = &(copy = expression.AsString());
    const std::string &text = *pointer;
    if ((TableType == TTableTypeImport::teText || TableType == TTableTypeImport::teClipboard) &&
        text.rfind(ImpTexts().Text, 0) == 0) {
        value = Variant(text);
        bool done = false;
        directEvaluation_ = true;
        struct Reset {
            bool &flag;
            ~Reset() { flag = false; }
        } reset{directEvaluation_};
        EvaluateIdentifier(nullptr, text, noArgs_, 0, false, value, done);
        return;
    }
    // The row loop asks again and again for the same few expressions, held in the same
    // value-list entries: those are found by address (checked against the text) before
    // any lookup by text.
    TVxIParser *parser = nullptr;
    for (const auto &[key, cached] : parserCache_)
        if (key == pointer && cached->Text() == text) {
            parser = cached;
            break;
        }
    if (!parser) {
        parser = &ParserFor(text);
        if (pointer != &copy) {
            if (parserCache_.size() >= 64)
                parserCache_.clear();
            parserCache_.emplace_back(pointer, parser);
        }
    }
    parser->EvaluateInto(value);
}

Variant TVxImportBaseComponent::Substitute(const std::vector<Variant> &args) const
{
    const std::string sources = args.size() > 1 ? args[1].AsString() : std::string();
    if (sources.empty())
        return Variant::Null();
    const std::string value = args[0].AsString();
    const std::vector<std::string> from = splitAt(sources, ';');
    const std::vector<std::string> to = splitAt(args.size() > 2 ? args[2].AsString() : std::string(), ';');
    for (std::size_t i = 0; i < from.size(); ++i)
        if (Text::TrimRight(from[i]) == value)
            return Variant(i < to.size() ? Text::TrimRight(to[i]) : std::string());
    return Variant::Null();
}

Variant TVxImportBaseComponent::Lookup(const std::vector<Variant> &args)
{
    const std::string table = args[0].AsString();
    const TVxIDataSetRegistry &registry = TVxIDataSetRegistry::Instance();
    TDataSet *dataSet = nullptr;
    if (table.find('.') != std::string::npos) {
        dataSet = registry.Find(table);
    } else {
        const std::string &form = owner_ ? owner_->FormName : FormName;
        if (!form.empty())
            dataSet = registry.Find(form + "." + table);
        if (!dataSet)
            dataSet = registry.Find(table);
    }
    if (!dataSet)
        throw EVxIError(FormatMessage(ImpTexts().DataSetNotFound, {table}));
    if (!dataSet->Locate(args[1].AsString(), args[2]))
        return Variant::Null();
    std::string resultField = args[3].AsString();
    if (resultField.size() >= 2 && resultField.front() == '~' && resultField.back() == '~')
        resultField = resultField.substr(1, resultField.size() - 2);
    return dataSet->FieldByName(resultField)->Value();
}

void TVxImportBaseComponent::EvaluateIdentifier(TVxIParser *sender, const std::string &eval, std::vector<Variant> &args,
                                                int argCount, bool isChild, Variant &value, bool &done)
{
    done = argCount == 0;
    std::string name = value.IsArray() ? std::string() : value.AsString();
    if (value.IsString() && unquoteName(name))
        value = Variant(name);

    const TVxIStatistic &s = Statistic;
    TEngineName engineName = engineNameOf(name);
    // LOOKUP and SUBSTITUTE without their arguments are plain names.
    if ((engineName == TEngineName::enLookup && argCount < 4) ||
        (engineName == TEngineName::enSubstitute && argCount < 3))
        engineName = TEngineName::enNone;
    switch (engineName) {
    case TEngineName::enLookup: value = Lookup(args); break;
    case TEngineName::enSubstitute: value = Substitute(args); break;
    case TEngineName::enTotalCount: value = Variant(s.TotalCount); break;
    case TEngineName::enTotalImported: value = Variant(s.TotalImported); break;
    case TEngineName::enTotalAdded: value = Variant(s.TotalAdded); break;
    case TEngineName::enTotalDeleted: value = Variant(s.TotalDeleted); break;
    case TEngineName::enTotalUpdated: value = Variant(s.TotalUpdated); break;
    case TEngineName::enErrorCount: value = Variant(s.TotalErrors); break;
    case TEngineName::enTotalSkipped: value = Variant(s.TotalSkipped); break;
    case TEngineName::enNone:
        if (TVxIParameter *p = Parameters.Count() ? Parameters.Find(name) : nullptr)
            value = p->Value;
        else
            GetFieldValue(Variant(std::move(name)), value);
        if (OnParsedValue)
            OnParsedValue(this, DestinationField(CurrentFieldIndex), value);
        break;
    }

    const bool wasString = value.IsString();
    TrimSourceText(value, TrimSpaces);
    if (!value.IsArray() && (value.IsString() ? value.StringPointer()->empty() : value.AsString().empty())) {
        value = Variant::Null();
        return;
    }
    if (isChild || CurrentFieldIndex == -1)
        return;
    TField *field = DestinationField(CurrentFieldIndex);
    if (!field)
        return;
    try {
        ConvertForField(field, value, wasString);
    } catch (const std::exception &) {
        // The text goes on as it is; the destination field's own conversion decides.
    }
}

#pragma once

#include <string>
#include <vector>

class TDataSet;
class TVxIParameters;
class TVxIParserFunctions;
struct TVxIExprCatalogue;

// What the expression builder offers, made anew each time it opens: the source columns
// and dataset fields of the import, the language's constants, operators, functions and
// variables, the user-defined functions and the user parameters. Qt-free, so that the
// window only presents it.

// One item of the middle list; Type is its position in the list of types.
struct TExpBuilderSubCategory {
    std::string Text;
    int Type = 0;
    int DataSet = -1; // the dataset whose fields it lists, -1 for any other
};

// One item of the right-hand list. Code = type * 10000 + position of its sub-category
// within the type.
struct TExpBuilderEntry {
    int Code = 0;
    std::string Text;        // inserted into the expression, and what the list shows
    std::string Display;     // the hint's first line; may be empty
    std::string Description; // the hint's body; may be empty
};

// A destination field written with its display name: FieldName appears in a stored
// expression, Quoted (the display name in double quotes) while the user edits it.
struct TExpBuilderTranslation {
    std::string FieldName;
    std::string Quoted;
};

class TExpBuilderCatalogue {
public:
    std::vector<std::string> Types; // "Data sources", "Constants", "Operators", "Functions", "Variables list", ...
    std::vector<TExpBuilderSubCategory> SubCategories;
    std::vector<TExpBuilderEntry> Entries;
    std::vector<TExpBuilderTranslation> Translations;
    std::vector<std::string> DataSetNames; // by dataset index
    bool UseDisplayNames = false;

    // Indexes into SubCategories of the type's sub-categories, in catalogue order.
    std::vector<int> SubCategoriesOf(int type) const;
    // Position of sub-category index within its type, -1 for an index outside the list.
    int PositionOf(int subCategory) const;
    // Indexes into Entries of the entries of that code, in catalogue order.
    std::vector<int> EntriesOf(int code) const;
    // What choosing the entry in that sub-category puts into the expression: a field of a
    // dataset in brackets with its dataset's name, anything else between two blanks.
    std::string InsertText(int subCategory, const TExpBuilderEntry &entry) const;

    // A stored expression as the user edits it (field names become quoted display names)
    // and back, the latter also joining its lines into one.
    std::string ToEditText(const std::string &expression) const;
    std::string FromEditText(const std::string &text) const;
};

// The sub-category of the source columns, first among the data sources.
inline constexpr const char *SourceSubCategory = "Source";

// The source columns (blank ones left out) and each dataset's visible fields, by
// display name with useDisplayNames; then the language of the expression catalogue with
// its placeholders written out, the user-defined functions under their category and
// group (both added when missing), the system variables and one custom variable per
// parameter. Null datasets are skipped.
TExpBuilderCatalogue BuildExpBuilderCatalogue(const std::vector<TDataSet *> &datasets,
                                              const std::vector<std::string> &sourceColumns, bool useDisplayNames,
                                              const TVxIParameters &parameters);
// The same over a given language catalogue and function list.
TExpBuilderCatalogue BuildExpBuilderCatalogue(const std::vector<TDataSet *> &datasets,
                                              const std::vector<std::string> &sourceColumns, bool useDisplayNames,
                                              const TVxIParameters &parameters, const TVxIExprCatalogue &language,
                                              const TVxIParserFunctions &functions);

#pragma once

#include "engine/VxITypes.h"

#include <bitset>
#include <initializer_list>
#include <string>

// A set of source types, as the wizard's type lists and categories hold them.
class TTableTypeImports {
public:
    TTableTypeImports() = default;
    TTableTypeImports(std::initializer_list<TTableTypeImport> types)
    {
        for (TTableTypeImport t : types)
            Include(t);
    }
    static TTableTypeImports All()
    {
        TTableTypeImports all;
        all.bits_.set();
        return all;
    }
    bool Has(TTableTypeImport t) const { return bits_.test(Index(t)); }
    void Include(TTableTypeImport t) { bits_.set(Index(t)); }
    void Exclude(TTableTypeImport t) { bits_.reset(Index(t)); }
    bool Empty() const { return bits_.none(); }
    int Count() const { return static_cast<int>(bits_.count()); }
    bool operator==(const TTableTypeImports &) const = default;

    static constexpr int TypeCount = 18;

private:
    static std::size_t Index(TTableTypeImport t) { return static_cast<std::size_t>(t); }
    std::bitset<TypeCount> bits_;
};

// The text step 1 shows for a type ("Text file (*.txt)"); "unknown" outside the catalogue.
std::string TableTypeStep1Text(TTableTypeImport type);

// What the user may do with a control of the wizard.
enum class TVxIRestriction { irDisabled, irReadOnly, irReadWrite };

// A set of import modes: the ones the wizard's last step offers but keeps disabled.
class TImportModes {
public:
    TImportModes() = default;
    TImportModes(std::initializer_list<TImportMode> modes)
    {
        for (TImportMode m : modes)
            bits_.set(static_cast<std::size_t>(m));
    }
    bool Has(TImportMode m) const { return bits_.test(static_cast<std::size_t>(m)); }
    void Include(TImportMode m) { bits_.set(static_cast<std::size_t>(m)); }
    void Exclude(TImportMode m) { bits_.reset(static_cast<std::size_t>(m)); }
    bool Empty() const { return bits_.none(); }

private:
    std::bitset<6> bits_;
};

// What the user of the wizard may see and change.
struct TVxIUserAccess {
    bool Specification = true;
    bool SpecificationSave = true;
    bool SpecificationLoad = true;
    bool SpecificationDelete = true;
    TVxIRestriction TableType = TVxIRestriction::irReadWrite;
    TVxIRestriction SourceFileName = TVxIRestriction::irReadWrite;
    TVxIRestriction FieldMapping = TVxIRestriction::irReadWrite;
    TVxIRestriction PreviewData = TVxIRestriction::irReadWrite;
    TVxIRestriction ImportMode = TVxIRestriction::irReadWrite;
    TImportModes HiddenImportModes;
    TVxIRestriction TextType = TVxIRestriction::irReadWrite;
    TVxIRestriction FieldDelimiter = TVxIRestriction::irReadWrite;
    TVxIRestriction TextQualifier = TVxIRestriction::irReadWrite;
    TVxIRestriction RecordSeparator = TVxIRestriction::irReadWrite;
    TVxIRestriction FirstRow = TVxIRestriction::irReadWrite;
    TVxIRestriction LastRow = TVxIRestriction::irReadWrite;
    TVxIRestriction DataFormats = TVxIRestriction::irReadWrite;
    TVxIRestriction FieldAdjustment = TVxIRestriction::irReadWrite;
    TVxIRestriction LoadWhen = TVxIRestriction::irReadWrite;
    TVxIRestriction SkipIf = TVxIRestriction::irReadWrite;
    bool UseExpressionBuilder = true;
};

// The groups of step 1's category panel, in the order it shows them.
enum class TVxICategory { vcDocuments, vcSpreadsheets, vcDatabases, vcWEB, vcOther };
std::string CategoryCaption(TVxICategory category);

// How step 1 presents the source types: by category (the default), or as one plain list.
struct TVxICategories {
    bool ShowCategories = true;
    TTableTypeImports DocumentFormats{TTableTypeImport::teText, TTableTypeImport::teWord,
                                      TTableTypeImport::teClipboard};
    TTableTypeImports SpreadsheetFormats{TTableTypeImport::teXLS, TTableTypeImport::teWKS, TTableTypeImport::teQuattro,
                                         TTableTypeImport::teSPSS};
    TTableTypeImports DatabaseFormats{
        TTableTypeImport::teParadox, TTableTypeImport::teDBase,  TTableTypeImport::teAccess, TTableTypeImport::teADO,
        TTableTypeImport::teADT,     TTableTypeImport::teDBISAM, TTableTypeImport::teClarion};
    TTableTypeImports WEBFormats{TTableTypeImport::teHTML, TTableTypeImport::teXML, TTableTypeImport::teWAB,
                                 TTableTypeImport::teVCalendar};
    TTableTypeImports OtherFormats;
    // Kept and copied with the rest; the category panel draws in the style's own colours.
    std::string BackColor = "highlight";
    std::string TextFont = "bold highlighted-text";

    const TTableTypeImports &Formats(TVxICategory category) const;
};

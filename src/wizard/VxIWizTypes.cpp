#include "wizard/VxIWizTypes.h"

#include "session/SourceRegistry.h"

std::string TableTypeStep1Text(TTableTypeImport type)
{
    const auto index = static_cast<std::size_t>(type);
    return index < SourceTypes().size() ? SourceTypes()[index].Step1Text : "unknown";
}

std::string CategoryCaption(TVxICategory category)
{
    switch (category) {
    case TVxICategory::vcDocuments: return "Documents";
    case TVxICategory::vcSpreadsheets: return "Spreadsheets/Workbooks";
    case TVxICategory::vcDatabases: return "Databases";
    case TVxICategory::vcWEB: return "WEB publishing";
    case TVxICategory::vcOther: return "Other";
    }
    return {};
}

const TTableTypeImports &TVxICategories::Formats(TVxICategory category) const
{
    switch (category) {
    case TVxICategory::vcDocuments: return DocumentFormats;
    case TVxICategory::vcSpreadsheets: return SpreadsheetFormats;
    case TVxICategory::vcDatabases: return DatabaseFormats;
    case TVxICategory::vcWEB: return WEBFormats;
    case TVxICategory::vcOther: break;
    }
    return OtherFormats;
}

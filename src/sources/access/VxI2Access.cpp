#include "sources/access/VxI2Access.h"

#include "engine/ImpCnst.h"
#include "sources/access/AccessDatabase.h"

TVxImportFromAccess::TVxImportFromAccess(TVxImportBaseComponent *owner) : TVxImportFromADODOA(owner)
{
    TableType = TTableTypeImport::teAccess;
    ApplyDefaultSourceFileName();
}

TVxImportFromAccess::~TVxImportFromAccess() = default;

bool TVxImportFromAccess::CheckProperties(std::string &propertyName)
{
    if (CheckPropertiesAndSourceFile(propertyName))
        return true;
    if (!TableName.empty())
        return false;
    propertyName = "TableName";
    return true;
}

// A database or table that cannot be opened ends the run with the reason: an import that
// read nothing must not pass for one that found no rows.
void TVxImportFromAccess::OpenSource()
{
    CloseSource();
    TVxImportFromADODOA::OpenSource();
    try {
        SetRecordset(sources::access::TAccessDatabase(SourceFileName).OpenTable(TableName));
    } catch (const sources::access::EAccessError &e) {
        CloseSource();
        throw EVxIError(e.what());
    }
}

void TVxImportFromAccess::GetFileFilter(std::string &filter) const
{
    std::string base;
    TVxImportBaseComponent::GetFileFilter(base);
    filter = "MS Access database (*.mdb)|*.MDB|MS Access database (*.accdb)|*.ACCDB|" + base;
}

void TVxImportFromAccess::Assign(const TVxImportBaseComponent &source)
{
    TVxImportFromADODOA::Assign(source);
    if (const auto *access = dynamic_cast<const TVxImportFromAccess *>(&source)) {
        UserName = access->UserName;
        Password = access->Password;
    }
}

std::string TVxImportFromAccess::ColumnName(const TRecordsetField &field) const
{
    if (field.Name.find_first_of(" /") != std::string::npos)
        return "[" + field.Name + "]";
    return field.Name;
}

std::vector<std::string> AccessTableNames(const std::string &fileName)
{
    if (fileName.empty())
        throw EVxIError(FormatMessage(ImpTexts().PropertyNotSpecified, {"DatabaseName"}));
    try {
        return sources::access::TAccessDatabase(fileName).TableNames();
    } catch (const sources::access::EAccessError &e) {
        throw EVxIError(e.what());
    }
}

#include "sources/odbc/VxI2ADO.h"

#include "engine/ImpCnst.h"
#include "sources/odbc/OdbcConnection.h"

TVxImportFromADO::TVxImportFromADO(TVxImportBaseComponent *owner) : TVxImportFromADODOA(owner)
{
    TableType = TTableTypeImport::teADO;
    SourceFileName.clear();
}

TVxImportFromADO::~TVxImportFromADO() = default;

bool TVxImportFromADO::CheckProperties(std::string &propertyName)
{
    if (CheckPropertiesAndSourceFile(propertyName))
        return true;
    if (!SQL.empty())
        return false;
    propertyName = "SQL";
    return true;
}

// A connection or statement that fails ends the run with the driver's reason: an import
// that read nothing must not pass for one that found no rows.
void TVxImportFromADO::OpenSource()
{
    CloseSource();
    TVxImportFromADODOA::OpenSource();
    try {
        connection_ = std::make_unique<sources::odbc::TOdbcConnection>(SourceFileName);
        SetRecordset(connection_->Open(SQL));
    } catch (const sources::odbc::EOdbcError &e) {
        CloseSource();
        throw EVxIError(e.what());
    }
}

void TVxImportFromADO::CloseSource()
{
    TVxImportFromADODOA::CloseSource();
    connection_.reset();
}

void TVxImportFromADO::Assign(const TVxImportBaseComponent &source)
{
    TVxImportFromADODOA::Assign(source);
    if (const auto *ado = dynamic_cast<const TVxImportFromADO *>(&source))
        SQL = ado->SQL;
}

std::vector<std::string> ConnectionTableNames(const std::string &connectionString, bool systemTables)
{
    if (connectionString.empty())
        throw EVxIError(FormatMessage(ImpTexts().PropertyNotSpecified, {"ConnectionString"}));
    try {
        return sources::odbc::TOdbcConnection(connectionString).TableNames(systemTables);
    } catch (const sources::odbc::EOdbcError &e) {
        throw EVxIError(e.what());
    }
}

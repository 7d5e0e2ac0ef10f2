#pragma once

#include "sources/recordset/VxI2ADODOA.h"

#include <string>
#include <vector>

namespace sources::odbc {
class TOdbcConnection;
}

// A table or query of a database reached through an ODBC connection string (unixODBC):
// SourceFileName is the connection string, SQL a table's name or a command.
class TVxImportFromADO : public TVxImportFromADODOA {
public:
    explicit TVxImportFromADO(TVxImportBaseComponent *owner = nullptr);
    ~TVxImportFromADO() override;

    // ---- published
    std::string SQL;

    void OpenSource() override;
    void CloseSource() override;
    bool CheckProperties(std::string &propertyName) override;
    void GetDefaultExt(std::string &ext) const override { ext.clear(); }
    void GetFileFilter(std::string &filter) const override { filter.clear(); }
    void Assign(const TVxImportBaseComponent &source) override;

private:
    std::unique_ptr<sources::odbc::TOdbcConnection> connection_;
};

// The tables (and views) of a connection for the wizard's table list.
std::vector<std::string> ConnectionTableNames(const std::string &connectionString, bool systemTables);

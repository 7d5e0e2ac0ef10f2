#pragma once

#include "sources/recordset/VxI2ADODOA.h"

#include <string>
#include <vector>

// An Access database's table, read through mdbtools. A stored query cannot be run here:
// naming one ends with a message that says so.
class TVxImportFromAccess : public TVxImportFromADODOA {
public:
    explicit TVxImportFromAccess(TVxImportBaseComponent *owner = nullptr);
    ~TVxImportFromAccess() override;

    // ---- published
    std::string UserName; // kept with the specification; the file format has no users to log in as
    std::string Password; // kept too: mdbtools reads a database password-protected the old way without it

    void OpenSource() override;
    bool CheckProperties(std::string &propertyName) override;
    void GetDefaultExt(std::string &ext) const override { ext = ".MDB"; }
    void GetFileFilter(std::string &filter) const override;
    void Assign(const TVxImportBaseComponent &source) override;

protected:
    std::string ColumnName(const TRecordsetField &field) const override;
};

// The tables of an Access database for the wizard's table list; a file that is no
// database the reader opens raises.
std::vector<std::string> AccessTableNames(const std::string &fileName);

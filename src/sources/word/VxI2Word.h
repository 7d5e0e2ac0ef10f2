#pragma once

#include "engine/VxIBase.h"
#include "sources/word/VxWord.h"

#include <cstdint>
#include <string>
#include <vector>

// The Word source: the rows of the first table of a document. A .docx is read as it is;
// a .doc, .odt or .rtf is converted into one by LibreOffice first (OfficeConverter.h).
// Columns are read by the names of the naming row's cells, or as "Field" and their number
// when RowFieldNames is below 1.
class TVxImportFromWord : public TVxImportBaseComponent {
public:
    explicit TVxImportFromWord(TVxImportBaseComponent *owner = nullptr);

    // How documents other than .docx are converted: the office program (a name looked up
    // in PATH, or a path) and the longest a conversion may take, in seconds.
    std::string OfficeCommand = "soffice";
    int ConversionTimeout = 120;

    // ---- run-time state
    // The table's row the source stands on, from 1; 64 bits, so that stepping past the
    // last row a 32-bit window allows cannot wrap around.
    std::int64_t CurrentRow = 0;
    const sources::word::TWordTable &Table() const { return document_.Table; }
    bool HasTable() const { return open_ && document_.HasTable; }
    // The name each column is read by, in column order.
    const std::vector<std::string> &ColumnNames() const { return columnNames_; }

    void OpenSource() override;
    void CloseSource() override;
    void FirstRow() override;
    void NextRow() override { ++CurrentRow; }
    bool HasRow() override;
    std::int32_t GetRowCount() override;
    void GetFieldValue(const Variant &name, Variant &value) override;
    bool CheckProperties(std::string &propertyName) override;
    void GetDefaultExt(std::string &ext) const override { ext = ".DOC"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;

private:
    void OpenBytes(std::vector<std::uint8_t> bytes);
    void NameColumns();
    int ColumnOf(const std::string &name) const;

    bool open_ = false;
    sources::word::TWordDocument document_;
    std::vector<std::string> columnNames_;
};

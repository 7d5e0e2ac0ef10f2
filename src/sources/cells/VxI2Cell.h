#pragma once

#include "sources/cells/VxCellsFile.h"
#include "engine/VxIBase.h"

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The source of every grid-shaped file: a reader fills the cell model (or, in row mode,
// one row buffer) and this component serves the rows of one sheet to the engine.
class TVxImportFromCell : public TVxImportBaseComponent {
public:
    explicit TVxImportFromCell(TVxImportBaseComponent *owner = nullptr);
    ~TVxImportFromCell() override;

    int SheetIndex() const { return sheetIndex_; }
    // Anything but -1 forgets the sheet name.
    void SetSheetIndex(int index);
    const std::string &SheetName() const { return sheetName_; }
    // A non-empty name selects the sheet by name: SheetIndex becomes -1 until the
    // workbook is read.
    void SetSheetName(const std::string &name);

    // ---- run-time state
    int CurrentRowIndex = -1; // 0-based row of the sheet
    TSpreadSheetRow *CurrentRow = nullptr;
    TSpreadSheetFile *SpreadSheetFile() const { return reader_.get(); }

    // ---- the source contract
    void OpenSource() override;
    void CloseSource() override;
    void FirstRow() override;
    void NextRow() override { ++CurrentRowIndex; }
    bool HasRow() override;
    std::int32_t GetRowCount() override;
    bool ProcessRow() override;
    void GetFieldValue(const Variant &name, Variant &value) override;
    bool CheckProperties(std::string &propertyName) override;
    void CreateColumns() override;
    void AutoMapColumns() override;
    void ReadSpecification(const TStringList &list) override;
    void WriteSpecification(std::ostream &stream, const std::string &specName) override;

    // ---- the cell source's own operations
    virtual std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() { return nullptr; }
    virtual bool DetectColumnTypes() const { return false; }

protected:
    TSpreadSheet &SelectedSheet();
    // The value of a reader field of that name in the current row: no value when the row
    // does not have it. False when the reader has no such field.
    bool GetReaderFieldValue(const Variant &name, Variant &value);

private:
    void LoadReader();
    void RowBufferCellValue(int row, int column, int formatIndex, const Variant &value, TAlignment alignment);
    std::string ColumnName(int column, const TSpreadSheet &sheet, TAlignment &alignment) const;
    void AutoMapFieldNames();
    void AutoMapLetters();
    void BracketDigitSources();

    int sheetIndex_ = 0;
    std::string sheetName_;
    std::unique_ptr<TSpreadSheetFile> reader_;
    std::unique_ptr<TSpreadSheetRow> rowBuffer_;
    std::unique_ptr<std::ifstream> rowStream_;
};

// A cell-based source's reader for a file, as the source registry hands it to the preview.
using TCellReaderFactory = std::function<std::unique_ptr<TSpreadSheetFile>(const std::string &fileName)>;

// The file filter entries of a cell source followed by the base filter.
std::string CellFileFilter(const TVxImportBaseComponent &source, const std::string &entries);

// One column of the preview: its name and the reader column it shows.
struct TCellPreviewColumn {
    std::string Name;
    int Index = 0; // field position (field-name readers) or 1-based column number (letters)
};

// Called once per preview row with the number of columns, the row's display number
// (1 for the first row shown), the row array (one element per column: Empty, column
// name, value) and the OEM flag it was given.
using TCellPreviewRowEvent = std::function<void(int columnCount, int rowNumber, const Variant &row, bool oem)>;

struct TCellPreviewRequest {
    TCellReaderFactory CreateReader;         // none: the type is not cell-based
    const std::string *ColumnList = nullptr; // "A;C;F"; none lists every column
    TLoadProgressCallback Progress;
    TCellPreviewRowEvent OnRow;
    bool Oem = false;
    int PreviewRowCount = 20;
    int LastRow = 2147483647;
    int FirstRow = 1;
    int SheetIndex = 0;
    std::string FileName;
};

// Loads the start of a cell-based source for the wizard's preview: fills the sheet
// names and the column names and hands each previewed row to OnRow. Reader errors
// propagate; the wizard decides what to show.
void BuildCellPreview(const TCellPreviewRequest &request, std::vector<TCellPreviewColumn> &columnNames,
                      std::vector<std::string> &sheetNames);

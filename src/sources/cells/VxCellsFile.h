#pragma once

#include "sources/cells/VxCells.h"

#include <cstdint>
#include <functional>
#include <istream>
#include <span>
#include <stdexcept>
#include <string>

// The reader bases: what every grid reader shares (events, limits, row mode) and the
// model handlers that turn the events into sheets of cells.

class TCustomSpreadSheetFile;

// Raised by readers with the texts users see ("File is not exists.", ...).
class ESpreadSheetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TVxIColumnNameKind { nkAlphabet, nkFieldName };
enum class TVxIRowStatus { rsNormal, rsDeleted, rsError };

// A set of TVxIRowStatus.
class TVxIRowStatuses {
public:
    constexpr TVxIRowStatuses(std::initializer_list<TVxIRowStatus> statuses = {})
    {
        for (TVxIRowStatus s : statuses)
            bits_ |= Bit(s);
    }
    constexpr bool Has(TVxIRowStatus s) const { return (bits_ & Bit(s)) != 0; }
    constexpr bool operator==(const TVxIRowStatuses &) const = default;

private:
    static constexpr unsigned Bit(TVxIRowStatus s) { return 1u << static_cast<unsigned>(s); }
    unsigned bits_ = 0;
};

// A raw record of a file as read (the Excel reader's records).
struct TRecordHeader {
    std::uint16_t Id = 0;
    std::uint16_t Length = 0;
};

using TOnColumnWidth = std::function<void(TCustomSpreadSheetFile *Sender, int SheetNo, int ColumnNo, int Width)>;
using TOnRowHeight = std::function<void(TCustomSpreadSheetFile *Sender, int SheetNo, int RowNo, int Height)>;
using TOnDimensions = std::function<void(TCustomSpreadSheetFile *Sender, int SheetNo, int FirstRow, int LastRow,
                                         int FirstColumn, int LastColumn)>;
using TOnCellValue = std::function<void(TCustomSpreadSheetFile *Sender, int SheetNo, int Row, int Column,
                                        int FormatIndex, const Variant &Value, TAlignment Alignment)>;
using TOnGetCellValue =
    std::function<void(TCustomSpreadSheetFile *Sender, int SheetNo, int Row, int Column, Variant &Value)>;
using TOnSheet = std::function<void(TCustomSpreadSheetFile *Sender, const std::string &Caption, int Index, bool &Skip)>;
using TOnRecord = std::function<void(TCustomSpreadSheetFile *Sender, const TRecordHeader &Header,
                                     std::span<const std::uint8_t> Data)>;
using TErrorParseRecord = std::function<void(TCustomSpreadSheetFile *Sender, const std::exception &Error, bool &Abort)>;
using TOnLoadProgress =
    std::function<void(TCustomSpreadSheetFile *Sender, std::int64_t Position, std::int64_t TotalSize)>;
// Asked for the password of a protected file; clearing Continue gives up.
using TVxIOnPasswordEvent = std::function<void(TCustomSpreadSheetFile *Sender, std::string &APassword, bool &Continue)>;
using TLoadProgressCallback = std::function<void(std::int64_t Position, std::int64_t Total)>;

class TCustomSpreadSheetFile {
public:
    TCustomSpreadSheetFile() = default;
    virtual ~TCustomSpreadSheetFile() = default;
    TCustomSpreadSheetFile(const TCustomSpreadSheetFile &) = delete;
    TCustomSpreadSheetFile &operator=(const TCustomSpreadSheetFile &) = delete;

    // ---- published
    std::string FileName;
    bool LoadNULLs = false;
    TOnColumnWidth OnColumnWidth;
    TOnRowHeight OnRowHeight;
    TOnDimensions OnDimensions;
    TOnCellValue OnCellValue;
    TOnGetCellValue OnGetCellValue;
    TOnSheet OnSheet;
    TOnRecord OnRecord;
    TErrorParseRecord OnErrorProcess;

    // ---- public state
    int LoadSheet = -1; // the only sheet whose cells are kept; -1 keeps all
    TVxRange Range;
    bool ByRowMode = false;
    TLoadProgressCallback Progress; // set by the wizard
    int CurrentRowIndex = -1;       // row mode

    // ---- virtual operations
    virtual bool IsEncrypted() const { return false; }
    virtual void PrepareLoad() {}
    virtual void ReadMemo(std::int64_t block, int length, std::string &text) { text.clear(); }
    // Checks the name ("File is not defined.", "File is not exists."), remembers it and
    // prepares the load; readers call this first and then read.
    virtual void LoadFromFile(const std::string &fileName);
    virtual void LoadFromStream(std::istream &stream) { PrepareLoad(); }
    virtual void ResetRows() { CurrentRowIndex = -1; }
    virtual void EndOfRows() {}
    virtual void ReadRow(int index) { CurrentRowIndex = index; }

protected:
    void ReportProgress(std::int64_t position, std::int64_t total);
    // OnLoadProgress lives on TSpreadSheetFile; this lets the base report through it.
    virtual void LoadProgressEvent(std::int64_t position, std::int64_t total) {}
};

class TSpreadSheetFile : public TCustomSpreadSheetFile {
public:
    TSpreadSheetFile() = default;

    // ---- published
    TVxIColumnNameKind NameKind = TVxIColumnNameKind::nkAlphabet;
    TVxIRowStatuses LoadRowStatuses = {TVxIRowStatus::rsNormal};
    TOnLoadProgress OnLoadProgress;
    bool ParseBLOB = true;

    TSpreadSheets Sheets;

    // Clears the sheets and installs the model's handler for each of OnDimensions,
    // OnCellValue, OnGetCellValue, OnSheet and OnColumnWidth that has none.
    void PrepareLoad() override;

    // Field names of table-file readers (nkFieldName); spreadsheets have none.
    virtual int FieldCount() const { return 0; }
    virtual std::string FieldName(int index) const { return {}; }
    // The field a source reference names, by the reader's own comparison; -1 when none.
    virtual int FindField(const std::string &name) const { return -1; }
    // Whether a field maps to a column of that name when mapping automatically.
    virtual bool FieldMatchesColumn(const std::string &field, const std::string &column) const;
    // Readers whose field names may hold blanks bracket such names in mappings.
    virtual bool BracketNamesWithBlanks() const { return false; }

    // The model's own handlers, public so that a source can reinstall one.
    void ModelSheet(const std::string &caption, int index, bool &skip);
    void ModelDimensions(int sheetNo, int firstRow, int lastRow, int firstColumn, int lastColumn);
    void ModelCellValue(int sheetNo, int row, int column, int formatIndex, const Variant &value, TAlignment alignment);
    void ModelGetCellValue(int sheetNo, int row, int column, Variant &value);
    void ModelColumnWidth(int sheetNo, int columnNo, int width);

protected:
    void LoadProgressEvent(std::int64_t position, std::int64_t total) override;
};

#pragma once

#include "sources/cells/VxCellsFile.h"
#include "sources/excel/VxI_Sum.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The Excel readers: TMSExcel for BIFF2 to BIFF8 workbooks (plain record streams and
// compound documents), TMSExcelX for Open XML workbooks. Both report through the reader
// events, so the cell model and the cell source treat every workbook alike.

namespace sources {
class TByteView;
class TCodePageDecoder;
} // namespace sources

namespace sources::excel {
class TBiffStream;
class TCompoundFile;
} // namespace sources::excel

enum class TExcelVersion { evUnknown, evExcel2, evExcel3, evExcel4, evExcel5, evExcel7, evExcel8, evExcel9, evExcel12 };

class TCustomMSExcel : public TSpreadSheetFile {
public:
    TVxISummaryInformation SummaryInformation;
    TExcelVersion Version = TExcelVersion::evExcel12;
    int SheetIndex = -1; // the sheet being read: the SheetNo of the cell events
    bool ParseVBA = false;

    void PrepareLoad() override;

    // A sheet as the workbook lists it.
    struct TSheetEntry {
        std::string Name;
        std::uint32_t Offset = 0; // stream offset of its BOF (BIFF5-8)
        std::uint8_t Type = 0;    // 0 worksheet, 1 macro sheet, 2 chart, 6 module
    };
    const std::vector<TSheetEntry> &SheetList() const { return sheetList_; }
    // The workbook counts its dates from 1904 rather than 1900.
    bool DateMode1904() const { return dateMode1904_; }

protected:
    std::vector<TSheetEntry> sheetList_;
    bool dateMode1904_ = false;
};

// The BIFF reader.
class TMSExcel : public TCustomMSExcel {
public:
    TMSExcel();
    ~TMSExcel() override;

    std::string Password;
    TVxIOnPasswordEvent OnPassword;

    bool IsEncrypted() const override { return encrypted_; }
    void PrepareLoad() override;
    void LoadFromFile(const std::string &fileName) override;
    // The stream must hold a compound document (BIFF5-8).
    void LoadFromStream(std::istream &stream) override;

    struct TXFEntry {
        int Format = -1;
        int Font = 0;
        int Alignment = 0;
    };
    const std::vector<std::string> &FormatList() const { return formatList_; }
    const std::vector<TXFEntry> &XFList() const { return xfList_; }
    const std::vector<std::string> &SharedStrings() const { return sharedStrings_; }

private:
    void LoadBytes(std::vector<std::uint8_t> bytes);
    void ReadCompound(const sources::excel::TCompoundFile &file);
    void ReadWorkbookStream(sources::excel::TBiffStream &stream);
    void ReadPlainStream(sources::excel::TBiffStream &stream);
    bool OnBof(sources::excel::TBiffStream &stream, std::size_t at, const sources::TByteView &data, bool &skipSheet);
    const TSheetEntry *SheetEntryAt(std::size_t offset) const;
    std::size_t WorksheetCount() const;
    std::size_t RecordLimit() const;

    // The record handler: true when it handled the record.
    bool ProcessRecord(sources::excel::TBiffStream &stream, const TRecordHeader &header,
                       const sources::TByteView &data);
    bool HandleRecord(sources::excel::TBiffStream &stream, const TRecordHeader &header, const sources::TByteView &data);
    bool HandleCellRecord(const TRecordHeader &header, const sources::TByteView &data);
    bool HandleBiff2CellRecord(const TRecordHeader &header, const sources::TByteView &data);
    bool HandleWorkbookRecord(sources::excel::TBiffStream &stream, const TRecordHeader &header,
                              const sources::TByteView &data);
    void HandleFormula(sources::excel::TBiffStream &stream, const TRecordHeader &header,
                       const sources::TByteView &data);
    bool FormulaStringAhead(sources::excel::TBiffStream &stream, std::string &text);
    void HandleBoolErr(const sources::TByteView &data, std::size_t valueAt, int formatIndex, TAlignment alignment);
    void HandleFormat(const TRecordHeader &header, const sources::TByteView &data);
    void HandleBoundSheet(const sources::TByteView &data);
    void HandleDimensions(const sources::TByteView &data);
    void HandleFilePass();

    // Values and text.
    void ReportCell(int row, int column, int formatIndex, const Variant &value, TAlignment alignment);
    void ReportNumber(int row, int column, int formatIndex, double value, bool isDate, TAlignment alignment);
    bool IsDateFormat(int formatIndex) const;
    bool IsDateXF(int xf) const;
    TAlignment XFAlignment(int xf) const;
    std::string ByteString(std::span<const std::uint8_t> bytes) const;
    std::string UnicodeString(const sources::TByteView &data, std::size_t count, std::size_t optionAt) const;
    void SetFormat(int index, std::string format);

    std::vector<std::string> formatList_;
    std::vector<bool> formatIsDate_;
    std::vector<TXFEntry> xfList_;
    std::vector<std::string> sharedStrings_;
    std::unique_ptr<sources::TCodePageDecoder> codePage_;
    int oldFormatCount_ = 0; // FORMAT records of BIFF2-3 number themselves by order
    bool encrypted_ = false;
    int largestRow_ = -1;
    int largestColumn_ = -1;
    int dimensionRows_ = -1;
    int dimensionColumns_ = -1;
};

// The Open XML reader (.xlsx, .xlsm): workbook, relationships, shared strings, styles and
// each worksheet in workbook order.
class TMSExcelX : public TCustomMSExcel {
public:
    TMSExcelX() { Version = TExcelVersion::evExcel12; }

    void LoadFromFile(const std::string &fileName) override;
    void LoadFromStream(std::istream &stream) override;

private:
    void ReadPackage(const std::vector<std::uint8_t> &bytes);
};

#pragma once

#include "sources/cells/VxCellsFile.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sources::lotus {
struct TWorksheetRecord;
} // namespace sources::lotus

enum class TWKSVersion { wvUnknown, wvWKS1, wvWKS2, wvWR1, wv123, wvWKS3, wvWKS4 };

// Lotus 1-2-3 and Symphony worksheets (.WKS, .WK1, .WK2, .WR1, .WK3, .WK4, .123): one
// plain record stream whose cells become reader events. Release 1 and 2 files (and
// Symphony) give some record numbers other meanings than release 3 and later; the BOF
// record's version decides which set a record belongs to.
class TLotus123 : public TSpreadSheetFile {
public:
    TWKSVersion Version = TWKSVersion::wvUnknown;

    bool IsEncrypted() const override { return encrypted_; }
    void LoadFromFile(const std::string &fileName) override;
    // Reads from the stream's current position.
    void LoadFromStream(std::istream &stream) override;

private:
    void ReadRecords(std::span<const std::uint8_t> bytes);
    // False when reading ends here.
    bool HandleRecord(const sources::lotus::TWorksheetRecord &record);
    bool HandleBOF(std::uint16_t version);
    void HandleRelease2Record(std::uint16_t id, std::span<const std::uint8_t> data);
    void HandleRelease3Record(std::uint16_t id, std::span<const std::uint8_t> data);
    void HandleSheetName(std::span<const std::uint8_t> data);
    void ReportCell(int sheet, int row, int column, const Variant &value, TAlignment alignment);
    // A formula whose stored result is not a number: its text follows in a record of its own.
    void ReportFormula(int sheet, int row, int column, double result, const Variant &invalidResult);
    void ReportFormulaText(int sheet, int row, int column, const std::string &text);
    bool Release2() const;
    bool Release3() const;

    bool encrypted_ = false;
    struct TPendingText {
        bool Waiting = false;
        int Sheet = 0, Row = 0, Column = 0;
    } pendingText_;
};

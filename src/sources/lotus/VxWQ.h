#pragma once

#include "sources/cells/VxCellsFile.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sources {
class TByteView;
}
namespace sources::lotus {
struct TWorksheetRecord;
}

enum class TWQVersion { qvUnknown, qvWQ1, qvWQ2, qvWKQ, qvWB3 };

// Quattro Pro notebooks: the DOS files (.WQ1, .WQ2, .WKQ) and the first Windows ones
// (.WB1, .WB2) as plain record streams, the later Windows ones (.WB3, .QPW) as the
// "..._MAIN" stream of a compound document. Every family has its own cell layout; the
// BOF record's version word chooses it. Quattro Pro 9 and later write a notebook of
// their own kind into the compound document ("QPW9"): sheets of columns, each column a
// packed list of cells, texts in one pool; it is read too and reports as qvWB3.
class TQuattroPro : public TSpreadSheetFile {
public:
    TWQVersion Version = TWQVersion::qvUnknown;
    int CurrentSheet = 0;

    void LoadFromFile(const std::string &fileName) override;
    // Reads a compound document or a plain record stream, whichever the bytes hold.
    void LoadFromStream(std::istream &stream) override;

private:
    // Where a cell record keeps its address, value and label.
    enum class TLayout {
        Lotus,   // .WKQ: the Lotus release 2 layout
        DOS,     // .WQ1: the same addresses, counted label texts
        DOS5,    // .WQ2: 16-bit column, row and format first, counted label texts
        Windows, // .WB1 to .WB3: as .WQ2, with zero-terminated label texts
    };
    struct TCellAddress {
        int Row = 0, Column = 0, Format = 0;
        std::size_t Value = 0; // where the value starts
    };

    void LoadBytes(std::span<const std::uint8_t> bytes);
    void ReadCompound(std::span<const std::uint8_t> bytes);
    void ReadRecords(std::span<const std::uint8_t> bytes, bool reportProgress);
    void HandleNativeRecord(const sources::lotus::TWorksheetRecord &record);
    void ReadStringPool(const sources::TByteView &data);
    void ReadNativeSheetBegin(const sources::TByteView &data);
    void ReadNativeCells(const sources::TByteView &data);
    void ReadNativeText(const sources::TByteView &data);
    void ReportNativeCell(int row, const Variant &value, TAlignment alignment);
    void OfferRecord(const sources::lotus::TWorksheetRecord &record);
    void HandleRecord(const sources::lotus::TWorksheetRecord &record);
    void HandleBOF(std::uint16_t version);
    void HandleExtent(const sources::TByteView &data);
    void HandleColumnWidths(const sources::TByteView &data);
    void HandleLabel(std::uint16_t id, const sources::TByteView &data);
    void HandleSheetBegin(int sheet);
    void HandleSheetName(std::span<const std::uint8_t> bytes);
    TCellAddress Address(const sources::TByteView &data) const;
    void ReportCell(const TCellAddress &at, const Variant &value, TAlignment alignment);

    TLayout layout_ = TLayout::DOS5;
    // Quattro Pro 9 and later
    bool native_ = false;
    bool nativeSheet_ = false; // cells go to CurrentSheet
    int nativeColumn_ = 0;
    std::int64_t repeatedCells_ = 0; // cells made from sequences, against a hostile file's 5 bytes for 65,535 cells
    std::vector<std::string> stringPool_;
};

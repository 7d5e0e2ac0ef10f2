#pragma once

#include "Bytes.h"
#include "sources/cells/VxCellsFile.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

// A Lotus or Quattro Pro record stream built record by record.
class WorksheetStream {
public:
    WorksheetStream &record(std::uint16_t id, const Bytes &data)
    {
        bytes_.u16(id).u16(static_cast<std::uint16_t>(data.data().size())).bytes(data.data());
        return *this;
    }
    WorksheetStream &bof(std::uint16_t version) { return record(0x00, Bytes().u16(version)); }
    WorksheetStream &append(const WorksheetStream &other)
    {
        bytes_.bytes(other.data());
        return *this;
    }
    const std::vector<std::uint8_t> &data() const { return bytes_.data(); }

    // Loads the stream into a reader through LoadFromStream.
    void loadInto(TSpreadSheetFile &reader) const
    {
        std::istringstream stream(std::string(data().begin(), data().end()));
        reader.LoadFromStream(stream);
    }

private:
    Bytes bytes_;
};

// A cell as the model holds it, for comparing with what a case expects.
struct TCellSeen {
    int Sheet, Row, Column;
    Variant Value;
    TAlignment Alignment = TAlignment::taLeftJustify;
};

inline bool SameValue(const Variant &a, const Variant &b)
{
    if (a.IsNull() || b.IsNull())
        return a.IsNull() == b.IsNull();
    if (a.IsString() != b.IsString() || a.IsOrdinal() != b.IsOrdinal())
        return false;
    return a.IsString() ? a.AsString() == b.AsString() : a.AsDouble() == b.AsDouble();
}

// The cells a sheet of the model holds.
inline int CellCount(const TSpreadSheetCells &cells)
{
    int count = 0;
    for (int r = 0; r < cells.Count(); ++r)
        if (const TSpreadSheetRow *row = cells.Row(r))
            for (int column = 0; column < row->Cols.Count(); ++column)
                count += row->Cols.Cell(column) ? 1 : 0;
    return count;
}

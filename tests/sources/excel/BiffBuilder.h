#pragma once

#include "Bytes.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Writes small BIFF workbooks for the cases real files rarely show (a shared string
// switching encoding inside a CONTINUE record, a chart sheet before a worksheet, BIFF2
// streams). The container is written by libgsf, the records here.

class BiffBuilder {
public:
    // Appends a record; returns its stream offset.
    std::size_t record(std::uint16_t id, const Bytes &data);
    std::size_t record(std::uint16_t id, const std::vector<std::uint8_t> &data);
    // BIFF8 BOF of the given substream type (0x0005 globals, 0x0010 worksheet, 0x0020 chart).
    std::size_t bof8(std::uint16_t type);
    void eof() { record(0x000A, Bytes()); }
    // A BIFF8 BOUNDSHEET with a compressed name; returns its offset for patchSheetOffset.
    std::size_t boundSheet8(const std::string &name, std::uint8_t type);
    void patchSheetOffset(std::size_t boundSheet, std::size_t bofOffset);
    // BIFF8 NUMBER cell with XF 0.
    void number8(int row, int column, double value);

    const std::vector<std::uint8_t> &stream() const { return stream_; }
    // A compound document holding the stream as "Workbook" (or "Book").
    void writeCompound(const std::string &path, const std::string &streamName = "Workbook") const;
    // The bare record stream, as BIFF2-4 files are.
    void writePlain(const std::string &path) const;

private:
    std::vector<std::uint8_t> stream_;
};

#include "sources/lotus/WorksheetRecords.h"

#include "sources/cells/VxCellsFile.h"
#include "sources/cells/VxCellsTexts.h"

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>

namespace sources::lotus {

bool TWorksheetRecords::Next(TWorksheetRecord &record)
{
    if (position_ >= bytes_.size())
        return false;
    const TByteView view(bytes_);
    record.Id = view.U16(position_);
    record.Length = view.U16(position_ + 2);
    const std::span<const std::uint8_t> data = view.Slice(position_ + 4, record.Length);
    record.Oversized = record.Length > MaxRecordLength;
    record.Data = record.Oversized ? std::span<const std::uint8_t>{} : data;
    position_ += 4 + static_cast<std::size_t>(record.Length);
    return true;
}

std::vector<std::uint8_t> ReadRest(std::istream &stream)
{
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> ReadWholeFile(const std::string &fileName)
{
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw ESpreadSheetError(SpreadSheetTexts().FileNotExists);
    return ReadRest(file);
}

TAlignment LabelPrefixAlignment(std::uint8_t prefix)
{
    if (prefix == '^')
        return TAlignment::taCenter;
    if (prefix == '"')
        return TAlignment::taRightJustify;
    return TAlignment::taLeftJustify;
}

std::string ZeroTerminated(std::span<const std::uint8_t> bytes)
{
    std::size_t length = 0;
    while (length < bytes.size() && bytes[length] != 0)
        ++length;
    return std::string(reinterpret_cast<const char *>(bytes.data()), length);
}

std::string CountedText(const TByteView &data, std::size_t offset)
{
    const std::size_t count = data.U8(offset);
    const std::size_t available = data.Size() - offset - 1;
    const std::span<const std::uint8_t> text = data.Slice(offset + 1, std::min(count, available));
    return std::string(reinterpret_cast<const char *>(text.data()), text.size());
}

double ExtendedReal(const TByteView &data, std::size_t offset)
{
    const std::uint64_t mantissa = data.U64(offset);
    const std::uint16_t signAndExponent = data.U16(offset + 8);
    const int exponent = signAndExponent & 0x7FFF;
    if (exponent == 0x7FFF)
        return std::numeric_limits<double>::quiet_NaN();
    const double magnitude = mantissa == 0 ? 0.0 : std::ldexp(static_cast<double>(mantissa), exponent - 16383 - 63);
    return (signAndExponent & 0x8000) ? -magnitude : magnitude;
}

double PackedReal(std::uint32_t bits)
{
    double value = static_cast<double>(bits >> 6);
    const int power = static_cast<int>(bits & 0x0F);
    if (power != 0)
        value = (bits & 0x10) ? value / std::pow(10.0, power) : value * std::pow(10.0, power);
    return (bits & 0x20) ? -value : value;
}

double SmallNumber(std::int16_t word)
{
    if ((word & 1) == 0)
        return static_cast<double>(word >> 1);
    static constexpr std::array<double, 8> factors{5000, 500, 0.05, 0.005, 0.0005, 0.00005, 0.0625, 0.015625};
    return factors[static_cast<std::size_t>((word >> 1) & 7)] * static_cast<double>(word >> 4);
}

} // namespace sources::lotus

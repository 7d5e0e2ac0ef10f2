#include "sources/excel/BiffRecords.h"

#include <cstring>

namespace sources::excel {

double DecodeRK(std::uint32_t rk)
{
    double value;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<std::int32_t>(rk & ~3u) / 4);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & ~3u) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

std::string ErrorText(std::uint8_t code)
{
    switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    default: return "Unknown error code " + std::to_string(code);
    }
}

} // namespace sources::excel

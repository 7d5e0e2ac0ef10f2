#pragma once

#include <cstdint>
#include <string>

namespace sources::excel {

// Record ids the Excel reader looks at.
namespace rec {
inline constexpr std::uint16_t BLANK2 = 0x0001, INTEGER2 = 0x0002, NUMBER2 = 0x0003, LABEL2 = 0x0004, BOOLERR2 = 0x0005,
                               FORMULA = 0x0006, STRING2 = 0x0007, EOF_ = 0x000A, NAME2 = 0x0018, FORMAT23 = 0x001E,
                               DATEMODE = 0x0022, COLWIDTH = 0x0024, FILEPASS = 0x002F, FONT2 = 0x0031,
                               CONTINUE = 0x003C, CODEPAGE = 0x0042, XF2 = 0x0043, COLINFO = 0x007D, RK2 = 0x007E,
                               BOUNDSHEET = 0x0085, SHRFMLA = 0x00BC, MULRK = 0x00BD, MULBLANK = 0x00BE,
                               RSTRING = 0x00D6, XF = 0x00E0, MSODRAWINGGROUP = 0x00EB, MSODRAWING = 0x00EC,
                               SST = 0x00FC, LABELSST = 0x00FD, EXCEL9FILE = 0x01C0, DIMENSIONS = 0x0200,
                               NUMBER = 0x0203, LABEL = 0x0204, BOOLERR = 0x0205, FORMULA3 = 0x0206, STRING = 0x0207,
                               ROW = 0x0208, NAME = 0x0218, FONT = 0x0231, XF3 = 0x0243, RK = 0x027E, FORMULA4 = 0x0406,
                               FORMAT = 0x041E, XF4 = 0x0443, SHRFMLA4 = 0x04BC;
} // namespace rec

// Substream types of a BOF record.
namespace bof {
inline constexpr std::uint16_t Globals = 0x0005, Worksheet = 0x0010, MacroSheet = 0x0040;
}

inline bool IsBof(std::uint16_t id) { return (id & 0xFF) == 0x09; }

// An RK value: a 30-bit integer or the high half of a double, either optionally /100.
double DecodeRK(std::uint32_t rk);

// "#DIV/0!" and the other error texts of BOOLERR and FORMULA results.
std::string ErrorText(std::uint8_t code);

} // namespace sources::excel

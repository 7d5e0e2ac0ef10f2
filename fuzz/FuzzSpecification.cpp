// Specification files, as the text and workbook sources read them.

#include "FuzzInput.h"
#include "sources/excel/VxI2XLS.h"
#include "sources/text/VxI2TXT.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TStringList lines;
    lines.SetText(std::string_view(reinterpret_cast<const char *>(data), size));
    try {
        TVxImportFromText text;
        text.ReadSpecification(lines);
    } catch (const std::exception &) {
    }
    try {
        TVxImportFromXLS workbook;
        workbook.ReadSpecification(lines);
    } catch (const std::exception &) {
    }
    return 0;
}

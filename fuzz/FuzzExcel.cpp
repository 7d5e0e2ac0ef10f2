// Excel workbooks: BIFF record streams, compound documents and Open XML packages, read
// from memory.

#include "FuzzInput.h"
#include "sources/excel/VxI2XLS.h"

#include <exception>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // The name decides the reader, as it does for a user's file.
    const bool openXml = input.Byte() & 1;
    std::istringstream bytes{std::string(input.Rest())};
    try {
        const auto reader = CreateExcelReader(openXml ? "book.xlsx" : "book.xls");
        reader->LoadFromStream(bytes);
    } catch (const std::exception &) {
        // a damaged workbook is refused with its message: that is all we ask
    }
    return 0;
}

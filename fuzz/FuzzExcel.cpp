// Excel workbooks: BIFF record streams, compound documents and Open XML packages.

#include "FuzzInput.h"
#include "sources/excel/VxI2XLS.h"

#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // The name decides the reader, as it does for a user's file.
    const bool openXml = input.Byte() & 1;
    const std::string path = FuzzFile(openXml ? "book.xlsx" : "book.xls", input.Rest());
    try {
        const auto reader = CreateExcelReader(path);
        reader->LoadFromFile(path);
    } catch (const std::exception &) {
        // a damaged workbook is refused with its message: that is all we ask
    }
    return 0;
}

// Word documents: a .docx read from memory (its zip package through libzip's buffer
// source), the kind of the bytes told apart, the first table's rows, cells, names and
// widths; then a whole import into a destination in memory. No office program is ever
// started: the command names none, so every other kind ends with its message.

#include "FuzzGlobals.h"
#include "FuzzImport.h"
#include "FuzzInput.h"
#include "engine/MemoryDataSet.h"
#include "sources/word/VxI2Word.h"

#include <exception>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // A byte: the mode (bit 0), the naming row (bits 1-2: none, 1, 2, 3), the first row
    // (bits 3-4), the regional settings (upper bits).
    const std::uint8_t choice = input.Byte();
    TFuzzGlobals globals(choice >> 5);
    const std::string document(input.Rest());

    TVxImportFromWord source;
    source.OfficeCommand.clear();
    source.RowFieldNames = (choice >> 1) % 4;
    source.RowFirst = 1 + (choice >> 3) % 4;
    std::istringstream stream(document);
    source.SourceStream = &stream;
    try {
        source.OpenSource();
        source.CreateColumns();
        source.GetRowCount();
        for (source.FirstRow(); source.HasRow(); source.NextRow()) {
            Variant value;
            for (int f = 0; f <= 6; ++f)
                source.GetFieldValue(Variant("Field" + std::to_string(f)), value);
            for (std::size_t k = 0; k < source.ColumnNames().size() && k < 64; ++k)
                source.GetFieldValue(Variant(source.ColumnNames()[k]), value);
        }
        source.CloseSource();
    } catch (const std::exception &) {
    }
    source.SourceStream = nullptr;

    TMemoryDataSet destination({{"ID", TFieldType::ftInteger, 0, true},
                                {"NAME", TFieldType::ftString, 12},
                                {"BORN", TFieldType::ftDate},
                                {"AMOUNT", TFieldType::ftFloat}});
    ImportIntoMemory(source, destination, stream, (choice & 1) != 0,
                     {"ID=Field1", "NAME=Field2", "BORN=Field3", "AMOUNT=Field4"});
    return 0;
}

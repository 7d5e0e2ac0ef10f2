// Address books of vCards read from memory as an import reads them (the cards, the
// address book's columns, the rows), then imported by their column names into a
// destination in memory.

#include "FuzzCells.h"
#include "FuzzGlobals.h"
#include "FuzzInput.h"
#include "sources/contacts/VxIWAB.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // A byte: the mode (bit 0), the regional settings (upper bits).
    const std::uint8_t choice = input.Byte();
    TFuzzGlobals globals(choice >> 2);
    std::istringstream stream{std::string(input.Rest())};
    TWindowed<TVxImportFromWAB> source;
    source.SourceStream = &stream;
    try {
        source.OpenSource();
        source.CreateColumns();
        source.AutoMapColumns();
        Variant value;
        int rows = 0;
        for (source.FirstRow(); source.HasRow() && rows < 500; source.NextRow(), ++rows) {
            source.ProcessRow();
            for (int c = 0; c < source.Columns.Count() && c < 64; ++c) {
                source.GetFieldValue(Variant(source.Columns[c].FieldName), value);
                (void)value.AsString();
            }
        }
        source.CloseSource();
    } catch (const std::exception &) {
    }
    TMemoryDataSet destination({{"ID", TFieldType::ftInteger, 0, true},
                                {"NAME", TFieldType::ftString, 12},
                                {"BORN", TFieldType::ftDate},
                                {"AMOUNT", TFieldType::ftFloat}});
    ImportIntoMemory(source, destination, stream, (choice & 1) != 0,
                     {"ID=HOME_ADDRESS_POSTAL_CODE", "NAME=DISPLAY_NAME", "BORN=BIRTHDAY", "AMOUNT=[GENDER]"});
    return 0;
}

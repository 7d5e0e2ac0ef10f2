// HTML pages: the document made UTF-8, the rows and cells of its tables, the naming row,
// the preview's reading; then a whole import of the page into a destination in memory.

#include "FuzzGlobals.h"
#include "FuzzImport.h"
#include "FuzzInput.h"
#include "engine/MemoryDataSet.h"
#include "sources/markup/MarkupText.h"
#include "sources/markup/VxI2HTML.h"

#include <algorithm>
#include <exception>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    const std::uint8_t choice = input.Byte();
    const int fieldNames = input.Byte() % 4 - 1;
    const int first = 1 + input.Byte() % 4;
    TFuzzGlobals globals(choice >> 4);
    const std::string page(input.Rest());

    // The preview's reading of the same page: a window of rows.
    std::vector<std::string> rows, names;
    THTMLRowsRequest preview;
    preview.Preview = true;
    preview.ExtTagsParse = (choice & 1) ? TVxIExtTags{TVxIExtTag::etImage} : TVxIExtTags{};
    preview.RowFieldNames = fieldNames;
    preview.PreviewRowCount = 1 + (choice >> 1) % 8;
    preview.RowFirst = first;
    const std::string text = markup::DecodeDocument(page, markup::TMarkupKind::mkHTML);
    ReadHTMLRows(preview, text, rows, names);
    // A few cells of each row: asking for every cell of a long row one at a time is
    // quadratic by design, a harness's cost and not the import's (which splits a row once).
    for (const std::string &row : rows)
        for (int n = 0; n <= std::min<int>(static_cast<int>(names.size()) + 1, 8); ++n)
            GetHTMLCell(row, n);

    TVxImportFromHTML source;
    source.ExtTagsParse = preview.ExtTagsParse;
    source.RowFieldNames = fieldNames;
    source.RowFirst = first;
    std::istringstream stream(page);
    source.SourceStream = &stream;
    try {
        source.OpenSource();
        source.CreateColumns();
        for (source.FirstRow(); source.HasRow(); source.NextRow()) {
            source.CurrentLine = source.RowTexts[static_cast<std::size_t>(source.CurrentRowIndex)];
            Variant value;
            for (int f = 0; f <= 6; ++f)
                source.GetFieldValue(Variant("Field" + std::to_string(f)), value);
            for (std::size_t k = 0; k < source.ColumnNames.size() && k < 64; ++k)
                source.GetFieldValue(Variant(source.ColumnNames[k]), value);
        }
        source.CloseSource();
    } catch (const std::exception &) {
    }

    TMemoryDataSet destination({{"ID", TFieldType::ftInteger, 0, true},
                                {"NAME", TFieldType::ftString, 12},
                                {"BORN", TFieldType::ftDate},
                                {"AMOUNT", TFieldType::ftFloat}});
    ImportIntoMemory(source, destination, stream, (choice & 2) != 0,
                     {"ID=Field1", "NAME=Field2", "BORN=Field3", "AMOUNT=Field4"});
    return 0;
}

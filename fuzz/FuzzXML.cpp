// XML documents: the document made UTF-8, its records by the default names, by the
// records named after a table and case-sensitively, every value of every column, the
// columns a field list declares; then a whole import into a destination in memory.

#include "FuzzGlobals.h"
#include "FuzzImport.h"
#include "FuzzInput.h"
#include "engine/MemoryDataSet.h"
#include "sources/markup/MarkupText.h"
#include "sources/markup/VxI2XML.h"

#include <exception>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    const std::uint8_t choice = input.Byte();
    const int first = 1 + input.Byte() % 4;
    TFuzzGlobals globals(choice >> 4);
    const std::string document(input.Rest());

    // The preview's reading: a window of records by the default names.
    std::vector<TXMLColumnName> columns;
    std::vector<std::string> records;
    TXMLRecordsRequest preview;
    preview.Preview = true;
    preview.PreviewRowCount = 1 + (choice >> 1) % 8;
    preview.RowFirst = first;
    preview.TableName = (choice & 1) ? "customer" : "";
    const std::string text = markup::DecodeDocument(document, markup::TMarkupKind::mkXML);
    ReadXMLRecords(preview, text, columns, records);
    for (const std::string &record : records)
        for (const TXMLColumnName &c : columns)
            XMLValue(c.Name, record);

    TVxImportFromXML source;
    source.XMLTags.CaseSensitive = choice & 4;
    source.RowFirst = first;
    source.TableName = preview.TableName;
    std::istringstream stream(document);
    source.SourceStream = &stream;
    try {
        source.OpenSource();
        source.CreateColumns();
        for (source.FirstRow(); source.HasRow(); source.NextRow()) {
            source.CurrentLine = source.RecordTexts[static_cast<std::size_t>(source.CurrentRowIndex)];
            Variant value;
            for (const TXMLColumnName &c : source.ColumnNames)
                source.GetFieldValue(Variant(c.Name), value);
            source.GetFieldValue(Variant("NAME"), value);
        }
        source.CloseSource();
    } catch (const std::exception &) {
    }

    TMemoryDataSet destination({{"ID", TFieldType::ftInteger, 0, true},
                                {"NAME", TFieldType::ftString, 12},
                                {"BORN", TFieldType::ftDate},
                                {"PICTURE", TFieldType::ftBlob}});
    ImportIntoMemory(source, destination, stream, (choice & 8) != 0,
                     {"ID=ID", "NAME=NAME", "BORN=BORN", "PICTURE=PICTURE"});
    return 0;
}

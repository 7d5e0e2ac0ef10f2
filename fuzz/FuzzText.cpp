// Delimited and fixed-width text: the line reader, the splitter, the column names and
// every field of every row; then a whole import of the text into a destination in memory,
// with the columns and breaks guessed from its fields.

#include "FuzzGlobals.h"
#include "FuzzImport.h"
#include "FuzzInput.h"
#include "engine/MemoryDataSet.h"
#include "sources/text/VxI2TXT.h"

#include <cstdio>
#include <exception>
#include <sstream>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    const std::uint8_t layout = input.Byte();
    const int fieldNames = input.Byte() % 4;
    const int first = 1 + input.Byte() % 4;
    const std::uint8_t characters = input.Byte();
    const int width = 1 + input.Byte() % 40;
    // Before the source: it takes the regional settings when it is made.
    TFuzzGlobals globals(characters >> 2);
    TVxImportFromText source;
    source.ReadAheadAllowed = false;
    source.Fixed = layout & 1;
    static const char delimiters[] = {'\t', ';', ',', ' ', '|', '\0'};
    static const char qualifiers[] = {'"', '\'', '\0', '#'};
    static const char *separators[] = {"\r\n", "\n", "\r", "||"};
    source.SetFieldDelimiterCustom(delimiters[(layout >> 1) % 6]);
    source.SetTextQualifierCustom(qualifiers[(layout >> 4) & 3]);
    source.SetRecordSeparatorCustom(separators[(layout >> 6) & 3]);
    source.RowFieldNames = fieldNames;
    source.RowFirst = first;
    source.CharacterSet = static_cast<TVxICharacterSet>(characters % 3);
    std::istringstream text{std::string(input.Rest())};
    source.SourceStream = &text;
    try {
        source.OpenSource();
        source.CreateColumns();
        std::vector<TTextPosition> guess;
        for (source.FirstRow(); source.HasRow(); source.NextRow()) {
            source.CurrentLine = source.TextLines().Lines[static_cast<std::size_t>(source.CurrentRowIndex)];
            SplitTextLine(nullptr, source.Fixed, source.FieldDelimiterCustom(), source.CurrentLine,
                          source.TextQualifierCustom(), guess);
            Variant value;
            for (int f = 1; f <= 6; ++f) {
                source.GetFieldValue(Variant("Field" + std::to_string(f)), value);
                const int from = 1 + (f - 1) * width;
                source.GetFieldValue(Variant("Text" + std::to_string(from) + "-" + std::to_string(from + width - 1)),
                                     value);
            }
            source.GetFieldValue(Variant("Text"), value);
        }
        source.CloseSource();
    } catch (const std::exception &) {
    }

    // A file read a few bytes at a time cuts the same lines as the text read whole.
    try {
        const TReadTextOptions options = source.ReadOptions();
        const long long last = TTextLineScanner::LastRow(options);
        const std::string whole(input.Rest());
        static const std::string file = "/tmp/ferrovane-fuzz-text-" + std::to_string(getpid());
        std::FILE *out = std::fopen(file.c_str(), "wb");
        if (out) {
            std::fwrite(whole.data(), 1, whole.size(), out);
            std::fclose(out);
            TTextLineScanner inMemory(whole, options, last);
            TTextLineScanner chunked(TTextLineScanner::TFile{file, static_cast<std::size_t>(1 + width % 7)}, options,
                                     last);
            std::string_view a, b;
            for (;;) {
                const bool more = inMemory.Next(a);
                if (more != chunked.Next(b) || (more && a != b))
                    __builtin_trap();
                if (!more)
                    break;
            }
        }
    } catch (const std::exception &) {
    }

    TMemoryDataSet destination({{"ID", TFieldType::ftInteger, 0, true},
                                {"NAME", TFieldType::ftString, static_cast<int>(width)},
                                {"BORN", TFieldType::ftDate},
                                {"AMOUNT", TFieldType::ftFloat},
                                {"NOTE", TFieldType::ftString, 8}});
    ImportIntoMemory(source, destination, text, (layout & 4) != 0);
    return 0;
}

#pragma once

#include "sources/text/TextCharacters.h"
#include "engine/VxIBase.h"

#include <cstdio>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A field of a line: 1-based, inclusive character positions. The text is empty when
// End < Start or Start lies beyond the line.
struct TTextPosition {
    int Start = 0;
    int End = 0;
};

// The lines of a text, kept as views into one buffer read in a single pass.
struct TTextLines {
    std::string Data;                    // the whole text (UTF-16 input converted to UTF-8)
    std::vector<std::string_view> Lines; // the kept lines, in file order
    std::string FieldNameLine;           // the field-name row, empty when not reached
    void Clear()
    {
        Data.clear();
        Lines.clear();
        FieldNameLine.clear();
    }
};

struct TReadTextOptions {
    bool Preview = false;
    bool SkipEmpty = false;
    int RowFieldNames = 1;
    int PreviewRowCount = 0;
    int RowLast = 2147483647;
    int RowFirst = 1;
    char TextQualifier = '"';
    std::string RecordSeparator = "\r\n";
};

// Cuts a text into records and hands out the wanted lines one at a time, in order. A line
// is a view into the text, valid until the next one is asked for. A file is read a chunk
// at a time: it is never whole in memory (the line at hand is).
class TTextLineScanner {
public:
    static constexpr std::size_t ChunkBytes = 1u << 20;
    // A file to read, as opposed to a text at hand, and the bytes read at a time.
    struct TFile {
        std::string Name;
        std::size_t Chunk = ChunkBytes;
    };
    TTextLineScanner(std::string_view data, const TReadTextOptions &options, long long lastRow);
    TTextLineScanner(const TFile &file, const TReadTextOptions &options, long long lastRow);
    bool Next(std::string_view &line); // false at the end
    // The field-name row's text, once the scan has passed it.
    const std::string &FieldNameLine() const { return fieldNameLine_; }
    // The last line number a read keeps.
    static long long LastRow(const TReadTextOptions &options);

private:
    struct FileCloser {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };
    void StripEndOfFile();
    bool Refill(std::size_t &pos);

    std::string_view data_;
    TReadTextOptions options_;
    long long lastRow_;
    long long lineNumber_ = 0;
    long long kept_ = 0;
    std::size_t start_ = 0;
    bool done_ = false;
    std::string fieldNameLine_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    std::string buffer_;
    std::size_t chunk_ = ChunkBytes;
    bool atEnd_ = true; // nothing more to read than data_
};

// Reads the remaining bytes of a stream, cuts them into records and keeps the wanted
// lines. Returns the field-name row's text.
std::string ReadTextLines(const TReadTextOptions &options, std::istream &stream, TTextLines &result);
std::string ReadTextFileLines(const TReadTextOptions &options, const std::string &fileName, TTextLines &result);
std::string ReadClipboardLines(const TReadTextOptions &options, TVxIHost &host, TTextLines &result);

// Delimited mode: the fields of the line, as byte positions. Fixed mode: one column per
// destination field, guessed from its display width in characters (nothing without a
// dataset).
void SplitTextLine(const TDataSet *dataSet, bool fixed, char fieldDelimiter, std::string_view line, char textQualifier,
                   std::vector<TTextPosition> &result, TPositionUnit unit = TPositionUnit::puCharacter);

// The text a source name reads from a line: "Text" the whole line, "Text<a>-<b>"
// characters a to b of a fixed-width line, "Field<n>" the n-th delimited field; any other
// name stands for itself. A trailing delimiter goes, doubled qualifiers become one.
std::string TextSourceValue(std::string_view line, const std::vector<TTextPosition> &positions, bool fixed,
                            char fieldDelimiter, char textQualifier, std::string_view name,
                            TPositionUnit unit = TPositionUnit::puCharacter);

// Bytes from..to (1-based, inclusive) of a line: a delimited field as SplitTextLine found it.
std::string_view DelimitedPart(std::string_view line, int from, int to);

class TTextReadAhead;

// Delimited and fixed-width text files.
class TVxImportFromText : public TVxImportBaseComponent {
public:
    explicit TVxImportFromText(TVxImportBaseComponent *owner = nullptr);
    ~TVxImportFromText() override;

    void OpenSource() override;
    void CloseSource() override;
    void FirstRow() override;
    void NextRow() override { ++CurrentRowIndex; }
    bool HasRow() override;
    std::int32_t GetRowCount() override
    {
        return streamedRows_ >= 0 ? streamedRows_ : static_cast<std::int32_t>(text_.Lines.size());
    }
    bool ProcessRow() override;
    void GetFieldValue(const Variant &name, Variant &value) override;
    bool CheckProperties(std::string &propertyName) override;
    void GetDefaultExt(std::string &ext) const override { ext = ".CSV"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
    void AutoMapColumns() override;
    bool CanReadAhead() const override { return ReadAheadAllowed; }
    // False keeps every row in the row loop: one thread, as a fuzzer or a debugger wants it.
    bool ReadAheadAllowed = true;

    int CurrentRowIndex = 0;
    std::string_view CurrentLine;
    const TTextLines &TextLines() const { return text_; }
    // How the lines are cut, from the properties.
    TReadTextOptions ReadOptions() const;
    // True while this run's values are being read ahead on another thread.
    bool ReadsAhead() const { return readAhead_ != nullptr; }

protected:
    TPositionUnit PositionUnit() const;
    TTextLines text_;

private:
    void StartReadAhead();
    void SplitCurrentLine();
    bool StreamFile();
    void StopStreaming();
    std::string_view LineAt(int row);

    // A file read a chunk at a time (see StreamFile): its lines are not kept but read in
    // order, the row loop's own way and the reading thread's.
    std::int32_t streamedRows_ = -1;
    TReadTextOptions streamOptions_;
    std::unique_ptr<TTextLineScanner> scan_;
    int scanRow_ = -1;
    std::string_view scanLine_;

    std::vector<TTextPosition> fieldPositions_;
    std::string_view positionsLine_; // the line fieldPositions_ belong to
    // Rows read ahead on another thread while the row loop writes, when the plan allows.
    bool readAheadDecided_ = false;
    TSourcePlan plan_;
    bool aheadFixed_ = false; // how the reading thread splits lines
    char aheadDelimiter_ = '\0';
    char aheadQualifier_ = '\0';
    std::unique_ptr<TTextReadAhead> readAhead_;
    std::vector<Variant> aheadValues_;
};

// The same source over the clipboard's text, taken once per run.
class TVxImportFromClipboard : public TVxImportFromText {
public:
    using TVxImportFromText::TVxImportFromText;
    void OpenSource() override;
    void CloseSource() override;

private:
    std::unique_ptr<std::istream> clipboard_;
};

#include "sources/text/VxI2TXT.h"

#include "engine/ImpCnst.h"
#include "sources/text/TextScan.h"
#include "sources/text/TextReadAhead.h"
#include "sources/common/TextDecode.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

namespace {

// UTF-16 text after its byte-order mark, as UTF-8.
std::string utf16ToUtf8(const char *data, std::size_t size, bool bigEndian)
{
    std::vector<std::uint8_t> bytes(reinterpret_cast<const std::uint8_t *>(data),
                                    reinterpret_cast<const std::uint8_t *>(data) + size);
    if (bigEndian)
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            std::swap(bytes[i], bytes[i + 1]);
    return sources::Utf16LeToUtf8(bytes);
}

bool blankLine(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

int readInteger(std::string_view text, int fallback)
{
    std::int64_t n;
    if (!TryStrToInt64(text, n) || n < INT32_MIN || n > INT32_MAX)
        return fallback;
    return static_cast<int>(n);
}

int displayWidth(const TField *field)
{
    switch (field->DataType()) {
    case TFieldType::ftSmallint: return 6;
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc: return 11;
    case TFieldType::ftLargeint: return 15;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD: return 15;
    case TFieldType::ftBoolean: return 5;
    case TFieldType::ftDate:
    case TFieldType::ftTime: return 10;
    case TFieldType::ftDateTime: return 18;
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftWideString: return std::max(field->Size(), 1);
    default: return 10;
    }
}

} // namespace

std::string_view DelimitedPart(std::string_view line, int from, int to)
{
    if (from < 1 || to < from || static_cast<std::size_t>(from) > line.size())
        return {};
    const std::size_t start = static_cast<std::size_t>(from - 1);
    return line.substr(start, std::min<std::size_t>(static_cast<std::size_t>(to - from + 1), line.size() - start));
}

// ---------------------------------------------------------------- cutting a text into lines

TTextLineScanner::TTextLineScanner(std::string_view data, const TReadTextOptions &options, long long lastRow)
    : data_(data), options_(options), lastRow_(lastRow)
{
    StripEndOfFile();
}

TTextLineScanner::TTextLineScanner(const TFile &file, const TReadTextOptions &options, long long lastRow)
    : options_(options),
      lastRow_(lastRow),
      file_(std::fopen(file.Name.c_str(), "rb")),
      chunk_(std::max<std::size_t>(file.Chunk, 1)),
      atEnd_(false)
{
    if (!file_)
        throw EVxIError("Cannot open file \"" + file.Name + "\". " + std::strerror(errno));
}

void TTextLineScanner::StripEndOfFile()
{
    // Characters 26 and 27 at the very end are end-of-file marks, not text.
    while (!data_.empty() && (data_.back() == 26 || data_.back() == 27))
        data_.remove_suffix(1);
}

bool TTextLineScanner::Refill(std::size_t &pos)
{
    if (atEnd_)
        return false;
    // The line being cut moves to the front; more of the file comes after it.
    buffer_.erase(0, start_);
    pos -= start_;
    start_ = 0;
    const std::size_t kept = buffer_.size();
    buffer_.resize(kept + std::max(chunk_, kept));
    const std::size_t got = std::fread(buffer_.data() + kept, 1, buffer_.size() - kept, file_.get());
    buffer_.resize(kept + got);
    data_ = buffer_;
    if (got == 0) {
        if (std::ferror(file_.get()))
            throw EVxIError(std::string("The text file cannot be read. ") + std::strerror(errno));
        atEnd_ = true;
        StripEndOfFile();
        pos = std::min(pos, data_.size());
    }
    return got > 0;
}

bool TTextLineScanner::Next(std::string_view &line)
{
    const std::string &sep = options_.RecordSeparator;
    const char q = options_.TextQualifier;
    const char first = sep.empty() ? '\0' : sep.front();
    // A data character 0 never matches, so a separator holding one never does.
    const bool matchable = !sep.empty() && sep.find('\0') == std::string::npos;
    auto separatorAt = [&](std::size_t pos) {
        // The first character decides for almost every position.
        if (!matchable || data_[pos] != first || data_.size() - pos < sep.size())
            return false;
        return sep.size() == 1 || std::memcmp(data_.data() + pos + 1, sep.data() + 1, sep.size() - 1) == 0;
    };
    for (;;) {
        if (done_)
            return false;
        if (start_ >= data_.size()) {
            std::size_t ignored = start_;
            if (!Refill(ignored) && start_ >= data_.size())
                return false;
        }
        std::size_t pos = start_;
        bool inside = false;
        // Only a separator's first character or a qualifier can end or shape a line.
        for (;;) {
            pos = FindEither(data_, pos, first, q != '\0' ? q : first);
            // A line or a separator cut by the end of what was read goes on in the file.
            if ((pos >= data_.size() || (matchable && data_.size() - pos < sep.size())) && Refill(pos))
                continue;
            if (pos >= data_.size())
                break;
            if (!inside && separatorAt(pos))
                break;
            if (q != '\0' && data_[pos] == q)
                inside = !inside;
            ++pos;
        }
        const std::size_t n = data_.size();
        if (start_ >= n)
            return false; // what was left were end-of-file marks
        const std::string_view found(data_.data() + start_, pos - start_);
        start_ = pos < n ? pos + sep.size() : n;
        ++lineNumber_;
        if (options_.SkipEmpty && blankLine(found))
            continue;
        if (lineNumber_ == options_.RowFieldNames)
            fieldNameLine_ = std::string(found);
        if (lineNumber_ >= options_.RowFirst && lineNumber_ <= lastRow_) {
            if (++kept_ >= lastRow_)
                done_ = true;
            line = found;
            return true;
        }
    }
}

long long TTextLineScanner::LastRow(const TReadTextOptions &o)
{
    long long lastRow = o.RowLast;
    if (o.Preview && o.PreviewRowCount < static_cast<long long>(o.RowLast) - o.RowFirst)
        lastRow = static_cast<long long>(o.RowFirst) + o.PreviewRowCount - 1;
    return lastRow;
}

std::string ReadTextLines(const TReadTextOptions &o, std::istream &stream, TTextLines &result)
{
    result.Clear();
    const std::streampos here = stream.tellg();
    stream.seekg(0, std::ios::end);
    const std::streampos end = stream.tellg();
    stream.seekg(here);
    long long remaining = here >= 0 && end >= here ? static_cast<long long>(end - here) : 0;

    const long long lastRow = TTextLineScanner::LastRow(o);
    if (o.Preview && o.RowFirst < 10 && (lastRow - o.RowFirst + 1) * 4096 < remaining)
        remaining = (lastRow - o.RowFirst + 1) * 4096;

    std::string raw(static_cast<std::size_t>(std::max(remaining, 0LL)), '\0');
    stream.read(raw.data(), static_cast<std::streamsize>(raw.size()));
    raw.resize(static_cast<std::size_t>(stream.gcount()));
    const bool little = raw.size() >= 2 && raw[0] == '\xFF' && raw[1] == '\xFE';
    const bool big = raw.size() >= 2 && raw[0] == '\xFE' && raw[1] == '\xFF';
    if (little || big)
        result.Data = utf16ToUtf8(raw.data() + 2, raw.size() - 2, big);
    else
        result.Data = std::move(raw);

    TTextLineScanner scanner(result.Data, o, lastRow);
    for (std::string_view line; scanner.Next(line);)
        result.Lines.push_back(line);
    result.FieldNameLine = scanner.FieldNameLine();
    return result.FieldNameLine;
}

std::string ReadTextFileLines(const TReadTextOptions &options, const std::string &fileName, TTextLines &result)
{
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw EVxIError("Cannot open file \"" + fileName + "\". " + std::strerror(errno));
    return ReadTextLines(options, file, result);
}

std::string ReadClipboardLines(const TReadTextOptions &options, TVxIHost &host, TTextLines &result)
{
    std::istringstream text(host.ClipboardText());
    return ReadTextLines(options, text, result);
}

void SplitTextLine(const TDataSet *dataSet, bool fixed, char d, std::string_view line, char q,
                   std::vector<TTextPosition> &result, TPositionUnit unit)
{
    result.clear();
    if (fixed) {
        if (!dataSet)
            return;
        const TLineCharacters characters(line, unit);
        const int len = characters.Count();
        auto L = [&](int i) { return characters.Lead(i); }; // 1-based
        int s = 1;
        int previous = 0;
        for (int f = 0; f < dataSet->FieldCount(); ++f) {
            int e = s + displayWidth(dataSet->Fields(f));
            int brk;
            if (e > len) {
                e = len;
                brk = len;
            } else if (q == '\0' || L(e) == q || L(e) == d) {
                brk = e - 1;
            } else {
                brk = e;
            }
            result.push_back({previous + 1, brk});
            previous = brk;
            s = q != '\0' ? e + 1 : e;
            if (s >= 1 && s <= len && L(s) == d) // an empty line leaves s at 0
                ++s;
            if (s >= len)
                break;
        }
        return;
    }

    // Delimited fields are found between single-byte delimiters: byte positions serve.
    const int len = static_cast<int>(line.size());
    auto L = [&](int i) { return line[static_cast<std::size_t>(i - 1)]; }; // 1-based
    int s = 1;
    bool inside = false;
    // Only delimiters, qualifiers and the last character decide anything: jump between them.
    for (int i = 1; i <= len; ++i) {
        const std::size_t hit = FindEither(line, static_cast<std::size_t>(i - 1), d, q != '\0' ? q : d);
        i = hit < line.size() ? static_cast<int>(hit) + 1 : len;
        const char c = L(i);
        if (q == '\0')
            inside = false;
        else if (c == q)
            inside = !inside;
        if (!((c == d && !inside) || i == len))
            continue;
        const int e = i < len || (c == d && d != '\0') ? i - 1 : i;
        const int start = s <= len && ((q != '\0' && L(s) == q) || L(s) == d) ? s + 1 : s;
        const int end = q != '\0' && e >= 1 && L(e) == q ? e - 1 : e;
        result.push_back({start, end});
        s = e + 1;
        if (s <= len && L(s) == d)
            ++s;
    }
    if (len > 0 && L(len) == d)
        result.push_back({len + 1, len + 1});
}

// ---------------------------------------------------------------- TVxImportFromText

TVxImportFromText::TVxImportFromText(TVxImportBaseComponent *owner) : TVxImportBaseComponent(owner)
{
    ApplyDefaultSourceFileName();
}

TVxImportFromText::~TVxImportFromText() = default;

void TVxImportFromText::FirstRow()
{
    CurrentRowIndex = 0;
    readAhead_.reset();
    readAheadDecided_ = false;
}

TReadTextOptions TVxImportFromText::ReadOptions() const
{
    TReadTextOptions o;
    o.SkipEmpty = Options.Has(TVxIOption::soSkipEmptyRow);
    o.RowFieldNames = RowFieldNames;
    o.RowLast = RowLast;
    o.RowFirst = RowFirst;
    o.TextQualifier = TextQualifierCustom();
    o.RecordSeparator = RecordSeparatorCustom();
    return o;
}

void TVxImportFromText::OpenSource()
{
    readAhead_.reset(); // it reads the lines about to be replaced
    StopStreaming();
    text_.Clear();
    CurrentRowIndex = 0;
    CurrentLine = {};
    positionsLine_ = {};
    // The base's regional reload is not wanted here: the text source keeps its formats.
    if (SourceStream)
        ReadTextLines(ReadOptions(), *SourceStream, text_);
    else if (!StreamFile())
        ReadTextFileLines(ReadOptions(), SourceFileName, text_);
}

// A regular file is read a chunk at a time and never whole in memory: its lines are
// counted first, then read again as the rows are. UTF-16 text is converted whole instead.
bool TVxImportFromText::StreamFile()
{
    struct stat info {};
    if (::stat(SourceFileName.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    std::ifstream probe(SourceFileName, std::ios::binary);
    char mark[2] = {};
    if (!probe ||
        (probe.read(mark, 2) && ((mark[0] == '\xFF' && mark[1] == '\xFE') || (mark[0] == '\xFE' && mark[1] == '\xFF'))))
        return false;
    // Read again later with the same cutting, whatever a handler changes meanwhile.
    const TReadTextOptions &options = streamOptions_ = ReadOptions();
    TTextLineScanner counter(TTextLineScanner::TFile{SourceFileName}, options, TTextLineScanner::LastRow(options));
    long long rows = 0;
    for (std::string_view line; counter.Next(line);)
        ++rows;
    streamedRows_ = static_cast<std::int32_t>(std::min<long long>(rows, INT32_MAX));
    text_.FieldNameLine = counter.FieldNameLine();
    return true;
}

void TVxImportFromText::StopStreaming()
{
    scan_.reset();
    scanRow_ = -1;
    streamedRows_ = -1;
}

std::string_view TVxImportFromText::LineAt(int row)
{
    if (streamedRows_ < 0)
        return text_.Lines.at(static_cast<std::size_t>(row));
    if (!scan_ || row < scanRow_) {
        scan_ = std::make_unique<TTextLineScanner>(TTextLineScanner::TFile{SourceFileName}, streamOptions_,
                                                   TTextLineScanner::LastRow(streamOptions_));
        scanRow_ = -1;
    }
    while (scanRow_ < row) {
        if (!scan_->Next(scanLine_))
            throw EVxIError("The file " + SourceFileName + " changed while it was read");
        ++scanRow_;
    }
    return scanLine_;
}

void TVxImportFromText::CloseSource()
{
    readAhead_.reset(); // before the lines it reads go
    StopStreaming();
    text_.Clear();
    text_.Data.shrink_to_fit();
    fieldPositions_.clear();
    positionsLine_ = {};
    CurrentLine = {};
}

bool TVxImportFromText::HasRow()
{
    return CurrentRowIndex < GetRowCount() &&
           static_cast<long long>(CurrentRowIndex) <= static_cast<long long>(RowLast) - RowFirst;
}

bool TVxImportFromText::ProcessRow()
{
    CurrentLine = LineAt(CurrentRowIndex);
    if (!readAheadDecided_)
        StartReadAhead();
    if (readAhead_) {
        // Values read ahead count only while a handler changed nothing they depend on, and
        // only for the row they were read for; otherwise this row and the rest are read
        // here, each with its own result, failures included.
        const bool sameSplit = Fixed == aheadFixed_ && FieldDelimiterCustom() == aheadDelimiter_ &&
                               TextQualifierCustom() == aheadQualifier_;
        if (sameSplit && PlanHolds(plan_) && readAhead_->Take(static_cast<std::size_t>(CurrentRowIndex), aheadValues_))
            return ProcessPlannedRow(aheadValues_);
        readAhead_.reset();
    }
    SplitCurrentLine();
    return TVxImportBaseComponent::ProcessRow();
}

// The fields of the current line, found when first asked for: a row read ahead needs
// them only if something asks for a field of it in the loop.
void TVxImportFromText::SplitCurrentLine()
{
    if (Fixed || (positionsLine_.data() == CurrentLine.data() && positionsLine_.size() == CurrentLine.size()))
        return;
    SplitTextLine(DataSet, false, FieldDelimiterCustom(), CurrentLine, TextQualifierCustom(), fieldPositions_);
    positionsLine_ = CurrentLine;
}

void TVxImportFromText::StartReadAhead()
{
    readAheadDecided_ = true;
    const auto rows = static_cast<std::size_t>(GetRowCount());
    if (CurrentRowIndex != 0 || rows < 2 || !PlanSourceValues(plan_))
        return;
    const TReadTextOptions options = streamOptions_;
    const bool fixed = aheadFixed_ = Fixed;
    const char d = aheadDelimiter_ = FieldDelimiterCustom();
    const char q = aheadQualifier_ = TextQualifierCustom();
    const TPositionUnit unit = PositionUnit();
    // Runs on the reading thread: it reads the lines (kept until the source closes, which
    // stops this thread first) and the plan, nothing else of this component.
    const bool streamed = streamedRows_ >= 0;
    auto compute = [this, fixed, d, q, unit, options, streamed, file = SourceFileName,
                    positions = std::vector<TTextPosition>(), scanner = std::shared_ptr<TTextLineScanner>(),
                    scanned = std::size_t(0),
                    line = std::string_view()](std::size_t row, std::vector<Variant> &values) mutable {
        if (!streamed) {
            line = text_.Lines[row];
        } else {
            // Rows are asked for in order: this thread's own read of the file follows them.
            if (!scanner || row + 1 < scanned) {
                scanner = std::make_shared<TTextLineScanner>(TTextLineScanner::TFile{file}, options,
                                                             TTextLineScanner::LastRow(options));
                scanned = 0;
            }
            while (scanned <= row) {
                if (!scanner->Next(line))
                    throw std::runtime_error("the file changed while it was read");
                ++scanned;
            }
        }
        if (fixed)
            positions.clear();
        else
            SplitTextLine(nullptr, false, d, line, q, positions);
        for (std::size_t i = 0; i < plan_.slots.size(); ++i) {
            values[i] = Variant(TextSourceValue(line, positions, fixed, d, q, plan_.slots[i].name, unit));
            FinishPlannedValue(plan_, i, values[i]);
        }
    };
    try {
        readAhead_ = std::make_unique<TTextReadAhead>(rows, plan_.slots.size(), std::move(compute));
    } catch (const std::exception &) {
        // No thread to be had: the loop reads every row itself, as it always could.
    }
}

std::string TextSourceValue(std::string_view line, const std::vector<TTextPosition> &positions, bool fixed,
                            char fieldDelimiter, char textQualifier, std::string_view name, TPositionUnit unit)
{
    const TImpTexts &texts = ImpTexts();
    if (name == texts.Text)
        return std::string(line);
    int from = 0;
    int to = 0;
    if (fixed && name.rfind(texts.Text, 0) == 0) {
        const std::string_view rest = name.substr(texts.Text.size());
        const auto dash = rest.find('-');
        from = readInteger(rest.substr(0, dash), 0);
        to = dash == std::string_view::npos ? 0 : readInteger(rest.substr(dash + 1), 0);
    } else if (name.rfind(texts.Field, 0) == 0) {
        const int n = readInteger(name.substr(texts.Field.size()), -1);
        if (!fixed && n >= 1 && n <= static_cast<int>(positions.size())) {
            from = positions[static_cast<std::size_t>(n - 1)].Start;
            to = positions[static_cast<std::size_t>(n - 1)].End;
        } else {
            name = {};
        }
    }
    std::string text;
    if (from < 1)
        text = std::string(name);
    else if (to >= 1)
        text = std::string(fixed ? CharacterPart(line, from, to, unit) : DelimitedPart(line, from, to));

    if (!text.empty() && text.back() == fieldDelimiter)
        text.pop_back();
    const char q = textQualifier;
    if (q != '\0' && text.find(q) != std::string::npos) {
        const std::string pair(2, q);
        for (auto at = text.find(pair); at != std::string::npos; at = text.find(pair, at))
            text.erase(at, 1);
    }
    return text;
}

TPositionUnit TVxImportFromText::PositionUnit() const
{
    // Only text in the platform's own encoding can be UTF-8; DOS and EBCDIC bytes are
    // single characters whatever they look like.
    return CharacterSet == TVxICharacterSet::csiANSI_WINDOWS ? TPositionUnit::puCharacter : TPositionUnit::puByte;
}

void TVxImportFromText::GetFieldValue(const Variant &nameValue, Variant &value)
{
    std::string held;
    const std::string *pointer = nameValue.StringPointer();
    const std::string_view name = pointer ? std::string_view(*pointer) : std::string_view(held = nameValue.AsString());
    SplitCurrentLine();
    value = Variant(TextSourceValue(CurrentLine, fieldPositions_, Fixed, FieldDelimiterCustom(), TextQualifierCustom(),
                                    name, PositionUnit()));
}

bool TVxImportFromText::CheckProperties(std::string &propertyName)
{
    return CheckPropertiesAndSourceFile(propertyName);
}

void TVxImportFromText::GetFileFilter(std::string &filter) const
{
    std::string base;
    TVxImportBaseComponent::GetFileFilter(base);
    filter = "Comma-delimited file (*.csv)|*.CSV|Text file (*.txt)|*.TXT|Data file (*.dat)|*.DAT|"
             "Text file (*.prn)|*.PRN|Tabular file (*.tab)|*.TAB|ASCII file (*.asc)|*.ASC|" +
             base;
}

void TVxImportFromText::CreateColumns()
{
    const bool header = RowFirst > RowFieldNames;
    if (header || !DataSet || DataSet->FieldCount() == 0) {
        if (RowFieldNames < 1)
            return;
        const std::string_view names = text_.FieldNameLine;
        std::vector<TTextPosition> fields;
        SplitTextLine(DataSet, Fixed, FieldDelimiterCustom(), names, TextQualifierCustom(), fields, PositionUnit());
        for (std::size_t k = 0; k < fields.size(); ++k) {
            TVxIColumn &c = Columns.Add();
            const TTextPosition &p = fields[k];
            if (Fixed) {
                c.Caption = ImpTexts().Text + std::to_string(p.Start) + "-" + std::to_string(p.End);
                c.Size = p.End - p.Start + 1;
            } else {
                c.Caption = ImpTexts().Field + std::to_string(k + 1);
            }
            const std::string_view name = Fixed ? CharacterPart(names, p.Start, p.End, PositionUnit())
                                                : DelimitedPart(names, p.Start, p.End);
            c.FieldName = header ? std::string(name) : c.Caption;
            c.DataType = TVxIDataType::itString;
        }
        return;
    }
    // No header row above the data: one column per destination field, named after it,
    // reading the source column at the same position, so a file laid out like its
    // table maps field by field.
    TVxImportBaseComponent::CreateColumns();
    int s = 1;
    for (int k = 0; k < Columns.Count(); ++k) {
        TVxIColumn &c = Columns[k];
        if (Fixed) {
            const int t = s + c.Size;
            c.Caption = ImpTexts().Text + std::to_string(s) + "-" + std::to_string(t);
            s = t + 1;
        } else {
            c.Caption = ImpTexts().Field + std::to_string(k + 1);
        }
    }
}

void TVxImportFromText::AutoMapColumns() { AutoMapColumnsToCaptions(); }

// ---------------------------------------------------------------- TVxImportFromClipboard

void TVxImportFromClipboard::OpenSource()
{
    clipboard_ = std::make_unique<std::istringstream>(HostRef().ClipboardText());
    SourceStream = clipboard_.get();
    TVxImportFromText::OpenSource();
}

void TVxImportFromClipboard::CloseSource()
{
    TVxImportFromText::CloseSource();
    SourceStream = nullptr;
    clipboard_.reset();
}

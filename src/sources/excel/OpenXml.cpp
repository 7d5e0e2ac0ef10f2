#include "sources/excel/OpenXml.h"

#include "values/StringList.h"
#include "sources/cells/VxCellsFile.h"
#include "sources/cells/VxCellsTexts.h"
#include "sources/excel/BiffRecords.h"
#include "sources/excel/NumberFormats.h"
#include "sources/excel/XmlParser.h"
#include "sources/excel/ZipPackage.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <map>
#include <memory>
#include <optional>

namespace sources::excel {

namespace {

constexpr int MaxRows = 1 << 20;
constexpr int MaxColumns = 1 << 14;
constexpr double Days1904 = 1462;

bool endsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && Text::SameText(text.substr(text.size() - tail.size()), tail);
}

std::optional<long long> parseInteger(std::string_view text)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<double> parseDouble(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "2008-01-01T12:00:00" (cells of type d) as a date-time.
std::optional<double> parseIsoDate(std::string_view text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    const std::string copy(text);
    const int fields = std::sscanf(copy.c_str(), "%d-%d-%dT%d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    double date = 0, time = 0;
    if (fields < 3 || !TryEncodeDate(y, mo, d, date) || !TryEncodeTime(h, mi, s, 0, time))
        return std::nullopt;
    return date + time;
}

// ---------------------------------------------------------------- relationships

struct TRelationship {
    std::string Type;
    std::string Target;
};

class TRelationshipsParser : public TXmlParser {
public:
    std::map<std::string, TRelationship> ById;

protected:
    void StartElement(std::string_view name, const Attributes &a) override
    {
        if (name != "Relationship" || Text::SameText(a.Get("TargetMode"), "External"))
            return;
        ById[std::string(a.Get("Id"))] = {std::string(a.Get("Type")), std::string(a.Get("Target"))};
    }
};

std::string RelationshipsPartOf(const std::string &part)
{
    return PartFolder(part) + "_rels/" + part.substr(PartFolder(part).size()) + ".rels";
}

// ---------------------------------------------------------------- workbook

class TWorkbookParser : public TXmlParser {
public:
    struct Sheet {
        std::string Name;
        std::string RelationshipId;
    };
    bool Date1904 = false;
    std::vector<Sheet> Sheets;

protected:
    void StartElement(std::string_view name, const Attributes &a) override
    {
        if (name == "workbookPr") {
            const std::string_view flag = a.Get("date1904");
            Date1904 = flag == "1" || Text::SameText(flag, "true");
        } else if (name == "sheet") {
            Sheets.push_back({std::string(a.Get("name")), std::string(a.Get("id"))});
        }
    }
};

// ---------------------------------------------------------------- styles

class TStylesParser : public TXmlParser {
public:
    struct Style {
        bool IsDate = false;
        TAlignment Alignment = TAlignment::taLeftJustify;
    };
    std::vector<Style> CellStyles;

    void Resolve()
    {
        for (std::size_t i = 0; i < CellStyles.size(); ++i) {
            const auto code = formats_.find(numFmtIds_[i]);
            CellStyles[i].IsDate = IsOpenXmlDateFormat(numFmtIds_[i], code == formats_.end() ? "" : code->second);
        }
    }

protected:
    void StartElement(std::string_view name, const Attributes &a) override
    {
        if (name == "numFmt") {
            if (const auto id = parseInteger(a.Get("numFmtId")))
                formats_[static_cast<int>(*id)] = std::string(a.Get("formatCode"));
        } else if (name == "cellXfs") {
            inCellXfs_ = true;
        } else if (name == "xf" && inCellXfs_) {
            CellStyles.emplace_back();
            numFmtIds_.push_back(static_cast<int>(parseInteger(a.Get("numFmtId")).value_or(0)));
        } else if (name == "alignment" && inCellXfs_ && !CellStyles.empty()) {
            const std::string_view horizontal = a.Get("horizontal");
            if (horizontal == "right")
                CellStyles.back().Alignment = TAlignment::taRightJustify;
            else if (horizontal == "center" || horizontal == "centerContinuous")
                CellStyles.back().Alignment = TAlignment::taCenter;
        }
    }
    void EndElement(std::string_view name) override
    {
        if (name == "cellXfs")
            inCellXfs_ = false;
    }

private:
    std::map<int, std::string> formats_;
    std::vector<int> numFmtIds_;
    bool inCellXfs_ = false;
};

// ---------------------------------------------------------------- rich text

// The text of <si> and <is>: every <t>, phonetic runs (<rPh>) left out.
class TRichTextCollector {
public:
    void Start(std::string_view name)
    {
        if (name == "rPh")
            ++phonetic_;
        else if (name == "t" && phonetic_ == 0)
            inText_ = true;
    }
    void End(std::string_view name)
    {
        if (name == "rPh" && phonetic_ > 0)
            --phonetic_;
        else if (name == "t")
            inText_ = false;
    }
    void Characters(std::string_view text)
    {
        if (inText_)
            text_ += text;
    }
    std::string Take()
    {
        inText_ = false;
        phonetic_ = 0;
        return std::move(text_);
    }

private:
    std::string text_;
    bool inText_ = false;
    int phonetic_ = 0;
};

class TSharedStringsParser : public TXmlParser {
public:
    std::vector<std::string> Strings;

protected:
    void StartElement(std::string_view name, const Attributes &) override
    {
        if (name == "si") {
            inItem_ = true;
            text_.Take();
        } else if (inItem_) {
            text_.Start(name);
        }
    }
    void EndElement(std::string_view name) override
    {
        if (name == "si") {
            inItem_ = false;
            Strings.push_back(text_.Take());
        } else if (inItem_) {
            text_.End(name);
        }
    }
    void Characters(std::string_view text) override
    {
        if (inItem_)
            text_.Characters(text);
    }

private:
    TRichTextCollector text_;
    bool inItem_ = false;
};

// ---------------------------------------------------------------- worksheet

class TSheetParser : public TXmlParser {
public:
    TSheetParser(TOpenXmlSink &sink, int sheet, bool date1904, const std::vector<std::string> &strings,
                 const std::vector<TStylesParser::Style> &styles)
        : sink_(sink), sheet_(sheet), date1904_(date1904), strings_(strings), styles_(styles)
    {
    }

    // Progress runs over all sheets read: this one starts at done, of total.
    void ProgressSpan(std::int64_t done, std::int64_t total)
    {
        progressDone_ = done;
        progressTotal_ = total;
    }

    // A sheet without a <dimension> still reports its extent, from the cells it holds.
    void Finish()
    {
        if (!dimensionSeen_)
            sink_.Dimensions(sheet_, 0, largestRow_ + 1, 0, largestColumn_ + 1);
    }

protected:
    void StartElement(std::string_view name, const Attributes &a) override
    {
        if (inCell_) {
            StartInCell(name);
            return;
        }
        if (name == "c")
            StartCell(a);
        else if (name == "row")
            StartRow(a);
        else if (name == "col")
            Column(a);
        else if (name == "dimension")
            Dimension(a.Get("ref"));
    }
    void EndElement(std::string_view name) override
    {
        if (!inCell_)
            return;
        if (name == "c") {
            EndCell();
        } else if (name == "v") {
            inValue_ = false;
        } else if (name == "is") {
            inInline_ = false;
        } else if (inInline_) {
            inline_.End(name);
        }
    }
    void Characters(std::string_view text) override
    {
        if (inValue_)
            value_ += text;
        else if (inInline_)
            inline_.Characters(text);
    }
    void Parsed(std::int64_t bytes, std::int64_t) override { sink_.Progress(progressDone_ + bytes, progressTotal_); }

private:
    void Dimension(std::string_view ref)
    {
        const auto colon = ref.find(':');
        int r1, c1, r2, c2;
        if (!ParseCellReference(ref.substr(0, colon), r1, c1))
            return;
        if (colon == std::string_view::npos || !ParseCellReference(ref.substr(colon + 1), r2, c2)) {
            r2 = r1;
            c2 = c1;
        }
        dimensionSeen_ = true;
        sink_.Dimensions(sheet_, r1, r2 + 1, c1, c2 + 1);
    }

    void Column(const Attributes &a)
    {
        const auto first = parseInteger(a.Get("min"));
        const auto last = parseInteger(a.Get("max"));
        const auto width = parseDouble(a.Get("width"));
        if (!first || !last || !width || *first < 1)
            return;
        const long long end = std::min<long long>(*last, MaxColumns);
        for (long long c = *first; c <= end; ++c)
            sink_.ColumnWidth(sheet_, static_cast<int>(c - 1), static_cast<int>(std::lround(*width * 256)));
    }

    void StartRow(const Attributes &a)
    {
        const auto number = parseInteger(a.Get("r"));
        row_ = number && *number >= 1 && *number <= MaxRows ? static_cast<int>(*number - 1) : row_ + 1;
        column_ = -1;
        if (const auto height = parseDouble(a.Get("ht")))
            sink_.RowHeight(sheet_, row_, static_cast<int>(std::lround(*height * 20)));
    }

    void StartCell(const Attributes &a)
    {
        int row = row_, column = column_ + 1;
        if (a.Has("r") && ParseCellReference(a.Get("r"), row, column))
            row_ = row;
        column_ = column;
        type_ = std::string(a.Get("t"));
        style_ = static_cast<int>(parseInteger(a.Get("s")).value_or(0));
        value_.clear();
        inline_.Take();
        inCell_ = true;
    }

    void StartInCell(std::string_view name)
    {
        if (name == "v")
            inValue_ = true;
        else if (name == "is")
            inInline_ = true;
        else if (inInline_)
            inline_.Start(name);
    }

    void EndCell()
    {
        inCell_ = inValue_ = inInline_ = false;
        if (row_ < 0 || row_ >= MaxRows || column_ < 0 || column_ >= MaxColumns)
            return;
        const Variant value = CellValue();
        if (value.IsNull() && !sink_.WantsEmptyCells())
            return;
        largestRow_ = std::max(largestRow_, row_);
        largestColumn_ = std::max(largestColumn_, column_);
        sink_.Cell(sheet_, row_, column_, style_, value, Style().Alignment);
    }

    TStylesParser::Style Style() const
    {
        if (style_ < 0 || static_cast<std::size_t>(style_) >= styles_.size())
            return {};
        return styles_[static_cast<std::size_t>(style_)];
    }

    Variant CellValue()
    {
        if (type_ == "s") {
            const auto index = parseInteger(value_);
            if (!index || *index < 0 || static_cast<std::size_t>(*index) >= strings_.size())
                throw ESpreadSheetError(SpreadSheetTexts().NotValidWorkbook);
            return Variant(strings_[static_cast<std::size_t>(*index)]);
        }
        if (type_ == "inlineStr")
            return Variant(inline_.Take());
        if (type_ == "str" || type_ == "e") // formula text and error texts such as #DIV/0!
            return value_.empty() ? Variant::Null() : Variant(value_);
        if (type_ == "b")
            return value_.empty() ? Variant::Null() : Variant(value_ == "1" || Text::SameText(value_, "true"));
        if (type_ == "d") {
            const auto date = parseIsoDate(value_);
            return date ? Variant::DateTime(*date) : Variant::Null();
        }
        const auto number = parseDouble(value_);
        if (!number)
            return Variant::Null();
        if (!Style().IsDate)
            return Variant(*number);
        return Variant::DateTime(date1904_ ? *number + Days1904 : *number);
    }

    TOpenXmlSink &sink_;
    const int sheet_;
    const bool date1904_;
    const std::vector<std::string> &strings_;
    const std::vector<TStylesParser::Style> &styles_;

    std::int64_t progressDone_ = 0;
    std::int64_t progressTotal_ = 0;
    int row_ = -1;
    int column_ = -1;
    int largestRow_ = -1;
    int largestColumn_ = -1;
    bool dimensionSeen_ = false;
    bool inCell_ = false;
    bool inValue_ = false;
    bool inInline_ = false;
    std::string type_;
    int style_ = 0;
    std::string value_;
    TRichTextCollector inline_;
};

// ---------------------------------------------------------------- the package

std::string officeDocumentPart(const TZipPackage &package)
{
    TRelationshipsParser rels;
    if (rels.ParsePart(package, "_rels/.rels"))
        for (const auto &[id, r] : rels.ById)
            if (endsWith(r.Type, "/officeDocument"))
                return ResolveTarget("", r.Target);
    return "xl/workbook.xml";
}

bool isWorksheetType(std::string_view type) { return endsWith(type, "/worksheet") || endsWith(type, "/xlMacrosheet"); }

} // namespace

bool ParseCellReference(std::string_view reference, int &row, int &column)
{
    std::size_t i = 0;
    long long c = 0, r = 0;
    for (; i < reference.size() && std::isalpha(static_cast<unsigned char>(reference[i])); ++i) {
        c = c * 26 + (std::toupper(static_cast<unsigned char>(reference[i])) - 'A' + 1);
        if (c > MaxColumns)
            return false;
    }
    if (i > 0 && i < reference.size() && reference[i] == '$')
        ++i;
    const std::size_t digits = i;
    for (; i < reference.size() && std::isdigit(static_cast<unsigned char>(reference[i])); ++i) {
        r = r * 10 + (reference[i] - '0');
        if (r > MaxRows)
            return false;
    }
    if (c == 0 || i == digits || i != reference.size() || r == 0)
        return false;
    row = static_cast<int>(r - 1);
    column = static_cast<int>(c - 1);
    return true;
}

void ReadOpenXmlWorkbook(std::span<const std::uint8_t> bytes, TOpenXmlSink &sink)
{
    const auto package = TZipPackage::Open(bytes);
    if (!package)
        throw ESpreadSheetError(SpreadSheetTexts().NotValidWorkbook);
    const std::string workbookPart = officeDocumentPart(*package);
    if (endsWith(workbookPart, ".bin"))
        throw ESpreadSheetError(SpreadSheetTexts().BinaryNotSupported);

    TWorkbookParser workbook;
    TRelationshipsParser rels;
    if (!workbook.ParsePart(*package, workbookPart) || !rels.ParsePart(*package, RelationshipsPartOf(workbookPart)))
        throw ESpreadSheetError(SpreadSheetTexts().NotValidWorkbook);
    const std::string folder = PartFolder(workbookPart);

    TSharedStringsParser strings;
    TStylesParser styles;
    for (const auto &[id, r] : rels.ById) {
        if (endsWith(r.Type, "/sharedStrings") && !strings.ParsePart(*package, ResolveTarget(folder, r.Target)))
            throw ESpreadSheetError(SpreadSheetTexts().NotValidWorkbook);
        if (endsWith(r.Type, "/styles") && !styles.ParsePart(*package, ResolveTarget(folder, r.Target)))
            throw ESpreadSheetError(SpreadSheetTexts().NotValidWorkbook);
    }
    styles.Resolve();

    std::vector<TOpenXmlSink::SheetInfo> infos;
    for (const auto &sheet : workbook.Sheets) {
        const auto r = rels.ById.find(sheet.RelationshipId);
        infos.push_back({sheet.Name, r != rels.ById.end() && isWorksheetType(r->second.Type)});
    }
    sink.Workbook(workbook.Date1904, infos);

    std::vector<std::string> parts(workbook.Sheets.size());
    std::int64_t total = 0;
    for (std::size_t i = 0; i < workbook.Sheets.size(); ++i) {
        if (!infos[i].Worksheet)
            continue;
        parts[i] = ResolveTarget(folder, rels.ById.at(workbook.Sheets[i].RelationshipId).Target);
        total += std::max<std::int64_t>(package->Size(parts[i]), 0);
    }
    int index = -1;
    std::int64_t done = 0;
    for (std::size_t i = 0; i < workbook.Sheets.size(); ++i) {
        if (!infos[i].Worksheet)
            continue;
        ++index;
        const std::int64_t size = std::max<std::int64_t>(package->Size(parts[i]), 0);
        if (!sink.BeginSheet(infos[i].Name, index)) {
            TSheetParser parser(sink, index, workbook.Date1904, strings.Strings, styles.CellStyles);
            parser.ProgressSpan(done, total);
            if (!parser.ParsePart(*package, parts[i]))
                throw ESpreadSheetError(SpreadSheetTexts().NotValidWorkbook);
            parser.Finish();
        }
        done += size;
        sink.Progress(done, total);
    }
}

} // namespace sources::excel

#include "sources/word/VxWord.h"

#include "engine/DataSet.h"
#include "sources/common/ByteView.h"
#include "sources/excel/CompoundFile.h"
#include "sources/excel/XmlParser.h"
#include "sources/excel/ZipPackage.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

using sources::excel::TCompoundFile;
using sources::excel::TXmlParser;
using sources::excel::TZipPackage;

namespace sources::word {

TWordTexts &WordTexts()
{
    static TWordTexts texts;
    return texts;
}

namespace {

constexpr std::size_t NoText = static_cast<std::size_t>(-1);

bool endsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

int parseCount(std::string_view text, int fallback)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : fallback;
}

// ---------------------------------------------------------------- the package

// The package's relationships point at its main part; a package without them is read at
// the place Word itself writes it.
class TRelationshipsParser : public TXmlParser {
public:
    std::string MainPart;

protected:
    void StartElement(std::string_view name, const Attributes &attributes) override
    {
        if (name == "Relationship" && MainPart.empty() && endsWith(attributes.Get("Type"), "/officeDocument"))
            MainPart = excel::ResolveTarget("", std::string(attributes.Get("Target")));
    }
};

// The content type the package declares for a part; empty when it declares none.
class TContentTypesParser : public TXmlParser {
public:
    explicit TContentTypesParser(std::string part) : part_("/" + std::move(part)) {}
    std::string ContentType;

protected:
    void StartElement(std::string_view name, const Attributes &attributes) override
    {
        if (name == "Override" && ContentType.empty() && attributes.Get("PartName") == part_)
            ContentType = attributes.Get("ContentType");
    }

private:
    std::string part_;
};

// Workbooks and presentations are packages with a main part too: only a word-processing
// one is a Word document. Without a declared type the part's place decides.
bool isWordMainPart(const TZipPackage &package, const std::string &part)
{
    TContentTypesParser types(part);
    if (!types.ParsePart(package, "[Content_Types].xml") || types.ContentType.empty())
        return part.starts_with("word/");
    return types.ContentType.find("wordprocessingml") != std::string::npos ||
           types.ContentType.find("ms-word") != std::string::npos;
}

std::string mainPartOf(const TZipPackage &package)
{
    TRelationshipsParser relationships;
    std::string part;
    if (relationships.ParsePart(package, "_rels/.rels") && package.Has(relationships.MainPart))
        part = relationships.MainPart;
    else if (package.Has("word/document.xml"))
        part = "word/document.xml";
    return !part.empty() && isWordMainPart(package, part) ? part : std::string();
}

bool isOpenDocumentText(const TZipPackage &package)
{
    std::string mimetype;
    if (!package.Read("mimetype", [&](std::span<const char> piece) {
            if (mimetype.size() < 256)
                mimetype.append(piece.data(), std::min<std::size_t>(piece.size(), 256));
        }))
        return false;
    return mimetype.starts_with("application/vnd.oasis.opendocument.text");
}

// A binary Word document says in its file information block whether it is enciphered.
bool isEncryptedDoc(const std::vector<std::uint8_t> &stream)
{
    constexpr std::uint16_t FlagEncrypted = 0x0100;
    return stream.size() >= 12 && (LE16(stream.data() + 10) & FlagEncrypted) != 0;
}

TWordDocumentKind compoundKind(std::span<const std::uint8_t> bytes)
{
    const std::unique_ptr<TCompoundFile> file = TCompoundFile::Open(bytes);
    if (!file)
        return TWordDocumentKind::wdUnknown;
    const std::vector<std::string> names = file->ChildNames();
    const auto has = [&](std::string_view name) { return std::find(names.begin(), names.end(), name) != names.end(); };
    // An Open XML document with a password is enciphered whole into a compound document.
    if (has("EncryptedPackage") || has("EncryptionInfo"))
        return TWordDocumentKind::wdEncrypted;
    if (!has("WordDocument"))
        return TWordDocumentKind::wdUnknown;
    const std::optional<std::vector<std::uint8_t>> stream = file->ReadStream("WordDocument");
    if (!stream)
        return TWordDocumentKind::wdUnknown;
    return isEncryptedDoc(*stream) ? TWordDocumentKind::wdEncrypted : TWordDocumentKind::wdDoc;
}

// ---------------------------------------------------------------- the first table

// Walks the main part once and keeps the first table it meets, at any depth: one inside a
// text box anchored in a run counts as much as one in the body. What a reader of the
// document does not see is passed over: the fallback copy of content that has a choice
// (a text box is written twice), and deleted or moved-away text of tracked changes.
class TFirstTableParser : public TXmlParser {
public:
    TWordDocument Document;

protected:
    void StartElement(std::string_view name, const Attributes &attributes) override;
    void EndElement(std::string_view name) override;
    void Characters(std::string_view text) override
    {
        if (inText_ && inCell_ && skipDepth_ == 0)
            text_.append(text);
    }

private:
    enum class TVMerge { vmNone, vmRestart, vmContinue };

    void StartTable();
    void StartOuterElement(std::string_view name, const Attributes &attributes);
    void StartCellContent(std::string_view name);
    void FinishCell();
    TWordTable &table() { return Document.Table; }

    bool done_ = false;
    int skipDepth_ = 0;            // inside content nobody reads, counted so that its end is found
    int tableDepth_ = 0;           // 1 inside the first table itself, more inside tables nested in it
    std::vector<int> nestedCells_; // cells met so far in the current row of each nested table
    bool rowOpen_ = false;
    std::vector<TWordCell> row_;
    int nextColumn_ = 0;
    bool inCell_ = false;
    TWordCell cell_;
    TVMerge vMerge_ = TVMerge::vmNone;
    std::string text_;
    int paragraphs_ = 0;
    char separator_ = '\n';
    int runDepth_ = 0;
    bool inText_ = false;
    // The text of the cell that starts a vertical merge, by grid column.
    std::vector<std::size_t> mergeText_ = std::vector<std::size_t>(MaxColumns, NoText);
};

void TFirstTableParser::StartElement(std::string_view name, const Attributes &attributes)
{
    if (done_)
        return;
    if (skipDepth_ > 0 || name == "Fallback" || name == "del" || name == "moveFrom") {
        ++skipDepth_;
        return;
    }
    if (name == "tbl") {
        StartTable();
        return;
    }
    if (tableDepth_ == 0)
        return;
    if (tableDepth_ == 1)
        StartOuterElement(name, attributes);
    if (inCell_)
        StartCellContent(name);
}

void TFirstTableParser::StartTable()
{
    if (tableDepth_ == 0) {
        tableDepth_ = 1;
        Document.HasTable = true;
        return;
    }
    ++tableDepth_;
    nestedCells_.push_back(0);
}

// The grid, rows and cells of the first table itself.
void TFirstTableParser::StartOuterElement(std::string_view name, const Attributes &attributes)
{
    if (name == "gridCol" && !rowOpen_) {
        if (table().ColumnWidths.size() < static_cast<std::size_t>(MaxColumns))
            table().ColumnWidths.push_back(MeasureToTwips(attributes.Get("w")));
    } else if (name == "tr") {
        rowOpen_ = true;
        row_.clear();
        nextColumn_ = 0;
    } else if (name == "gridBefore" && rowOpen_ && !inCell_) {
        nextColumn_ = std::clamp(parseCount(attributes.Get("val"), 0), 0, MaxColumns);
    } else if (name == "tc" && rowOpen_) {
        inCell_ = true;
        cell_ = TWordCell{nextColumn_, 1, NoText};
        vMerge_ = TVMerge::vmNone;
        text_.clear();
        paragraphs_ = 0;
        separator_ = '\n';
        runDepth_ = 0;
    } else if (name == "gridSpan" && inCell_) {
        cell_.Span = std::clamp(parseCount(attributes.Get("val"), 1), 1, std::max(1, MaxColumns - cell_.Column));
    } else if (name == "vMerge" && inCell_) {
        // Without a value the element continues the merge above.
        vMerge_ = attributes.Get("val") == "restart" ? TVMerge::vmRestart : TVMerge::vmContinue;
    }
}

// A cell's text: its paragraphs one to a line; the rows of a table nested in it one to a
// line too, their cells apart by tabs.
void TFirstTableParser::StartCellContent(std::string_view name)
{
    if (name == "p") {
        if (paragraphs_++ > 0)
            text_ += separator_;
        separator_ = '\n';
    } else if (name == "t") {
        inText_ = true;
    } else if (name == "r") {
        ++runDepth_;
    } else if (runDepth_ > 0 && name == "tab") {
        text_ += '\t';
    } else if (runDepth_ > 0 && (name == "br" || name == "cr")) {
        text_ += '\n';
    } else if (runDepth_ > 0 && name == "noBreakHyphen") {
        text_ += '-';
    } else if (tableDepth_ > 1 && name == "tr") {
        nestedCells_.back() = 0;
    } else if (tableDepth_ > 1 && name == "tc") {
        if (nestedCells_.back()++ > 0)
            separator_ = '\t';
    }
}

void TFirstTableParser::EndElement(std::string_view name)
{
    if (done_)
        return;
    if (skipDepth_ > 0) {
        --skipDepth_;
        return;
    }
    if (name == "t") {
        inText_ = false;
    } else if (name == "r") {
        runDepth_ = std::max(0, runDepth_ - 1);
    } else if (name == "tc" && tableDepth_ == 1 && inCell_) {
        FinishCell();
    } else if (name == "tr" && tableDepth_ == 1 && rowOpen_) {
        table().Rows.push_back(std::move(row_));
        row_.clear();
        rowOpen_ = false;
    } else if (name == "tbl" && tableDepth_ > 0) {
        if (--tableDepth_ == 0)
            done_ = true;
        else
            nestedCells_.pop_back();
    }
}

void TFirstTableParser::FinishCell()
{
    inCell_ = false;
    inText_ = false;
    if (cell_.Column >= MaxColumns)
        return;
    cell_.Span = std::min(cell_.Span, MaxColumns - cell_.Column);
    std::size_t &merged = mergeText_[static_cast<std::size_t>(cell_.Column)];
    // A cell that continues a vertical merge shows the text of the cell that began it, as
    // a reader of the table sees it: a group's value belongs to every row of the group.
    if (vMerge_ == TVMerge::vmContinue && merged != NoText) {
        cell_.Text = merged;
    } else {
        // Every cell ends with a paragraph, often an empty one (always after a nested
        // table): it adds no line of its own.
        while (!text_.empty() && text_.back() == '\n')
            text_.pop_back();
        cell_.Text = table().Texts.size();
        table().Texts.push_back(std::move(text_));
        merged = vMerge_ == TVMerge::vmRestart ? cell_.Text : NoText;
    }
    text_.clear();
    row_.push_back(cell_);
    nextColumn_ = cell_.Column + cell_.Span;
    table().ColumnCount = std::max(table().ColumnCount, nextColumn_);
}

} // namespace

// ---------------------------------------------------------------- public

std::string_view TWordTable::CellText(std::size_t row, int column) const
{
    if (row >= Rows.size())
        return {};
    // A row's cells go from left to right.
    const std::vector<TWordCell> &cells = Rows[row];
    const auto cell = std::lower_bound(cells.begin(), cells.end(), column,
                                       [](const TWordCell &c, int wanted) { return c.Column < wanted; });
    return cell != cells.end() && cell->Column == column ? std::string_view(Texts[cell->Text]) : std::string_view();
}

TWordDocumentKind DetectWordDocument(std::span<const std::uint8_t> bytes)
{
    if (TCompoundFile::HasSignature(bytes))
        return compoundKind(bytes);
    constexpr std::string_view RtfMark = "{\\rtf";
    if (bytes.size() >= RtfMark.size() && std::equal(RtfMark.begin(), RtfMark.end(), bytes.begin()))
        return TWordDocumentKind::wdRtf;
    const std::unique_ptr<TZipPackage> package = TZipPackage::Open(bytes);
    if (!package)
        return TWordDocumentKind::wdUnknown;
    if (!mainPartOf(*package).empty())
        return TWordDocumentKind::wdDocx;
    return isOpenDocumentText(*package) ? TWordDocumentKind::wdOdt : TWordDocumentKind::wdUnknown;
}

std::string_view ConversionExtension(TWordDocumentKind kind)
{
    switch (kind) {
    case TWordDocumentKind::wdDoc: return ".doc";
    case TWordDocumentKind::wdOdt: return ".odt";
    case TWordDocumentKind::wdRtf: return ".rtf";
    default: return {};
    }
}

TWordDocument ReadWordDocument(std::span<const std::uint8_t> bytes, const std::string &fileName)
{
    const auto damaged = [&] { return EWordError(FormatMessage(WordTexts().Damaged, {fileName})); };
    const std::unique_ptr<TZipPackage> package = TZipPackage::Open(bytes);
    if (!package)
        throw damaged();
    const std::string mainPart = mainPartOf(*package);
    TFirstTableParser parser;
    if (mainPart.empty() || !parser.ParsePart(*package, mainPart))
        throw damaged();
    TWordTable &table = parser.Document.Table;
    table.ColumnCount = std::min(std::max<int>(table.ColumnCount, static_cast<int>(table.ColumnWidths.size())),
                                 MaxColumns);
    return std::move(parser.Document);
}

int MeasureToTwips(std::string_view measure)
{
    double value = 0;
    const auto [end, error] = std::from_chars(measure.data(), measure.data() + measure.size(), value);
    if (error != std::errc() || !std::isfinite(value) || value < 0)
        return 0;
    const std::string_view unit(end, static_cast<std::size_t>(measure.data() + measure.size() - end));
    double twips = 0;
    if (unit.empty())
        twips = value;
    else if (unit == "pt")
        twips = value * 20;
    else if (unit == "in")
        twips = value * 1440;
    else if (unit == "cm")
        twips = value * 1440 / 2.54;
    else if (unit == "mm")
        twips = value * 144 / 2.54;
    else if (unit == "pc" || unit == "pi")
        twips = value * 240;
    else
        return 0;
    return twips >= 1e9 ? 1000000000 : static_cast<int>(twips);
}

} // namespace sources::word

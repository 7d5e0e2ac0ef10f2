#include "sources/markup/VxI2XML.h"

#include "engine/VxIConvert.h"
#include "sources/markup/MarkupText.h"

#include <algorithm>
#include <unordered_set>

using markup::FindNoCase;
using markup::IsBlank;
using markup::MatchesAt;

namespace {

// A data packet keeps its rows in ROWDATA whatever the records tag says: what the preview
// shows, the import reads.
constexpr std::string_view PacketRecordsTag = "ROWDATA";

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = markup::UpperAscii(c);
    return out;
}

class TTagNames {
public:
    TTagNames(const TVxIXMLTags &tags, std::string table) : tags_(tags), table_(std::move(table)) {}

    bool Records(std::string_view token, std::string_view mark) const
    {
        return Is(token, mark, tags_.RecordsTag) || Is(token, mark, PacketRecordsTag);
    }
    bool Record(std::string_view token, std::string_view mark = "<") const { return Is(token, mark, tags_.RecordTag); }
    bool Row(std::string_view token) const { return Is(token, "<", tags_.RowTag); }
    bool Table(std::string_view token, std::string_view mark = "<") const
    {
        return !table_.empty() && Is(token, mark, table_);
    }
    bool Is(std::string_view token, std::string_view mark, std::string_view name) const
    {
        if (token.size() != mark.size() + name.size() || token.substr(0, mark.size()) != mark)
            return false;
        const std::string_view rest = token.substr(mark.size());
        return tags_.CaseSensitive ? rest == name : MatchesAt(rest, 0, name);
    }
    const TVxIXMLTags &Tags() const { return tags_; }
    const std::string &TableName() const { return table_; }

private:
    const TVxIXMLTags &tags_;
    std::string table_;
};

bool allBlank(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return IsBlank(c); });
}

// The end of the markup that starts with "<" at pos: a CDATA section or a comment whole, a
// tag up to its ">" outside quoted attribute values. The end of the text when it never ends.
std::size_t markupEnd(std::string_view text, std::size_t pos)
{
    const auto through = [&](std::string_view close, std::size_t from) {
        const std::size_t end = text.find(close, from);
        return end == std::string_view::npos ? text.size() : end + close.size();
    };
    if (MatchesAt(text, pos, "<![CDATA["))
        return through("]]>", pos + 9);
    if (MatchesAt(text, pos, "<!--"))
        return through("-->", pos + 4);
    char quote = '\0';
    for (std::size_t k = pos + 1; k < text.size(); ++k) {
        const char c = text[k];
        if (quote != '\0') {
            if (c == quote)
                quote = '\0';
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return k + 1;
        }
    }
    return text.size();
}

// The name of a tag written from "<" (or "</"): up to a blank, "/", "<" or ">".
std::string_view tagName(std::string_view tag, std::size_t from)
{
    std::size_t end = from;
    while (end < tag.size() && !IsBlank(tag[end]) && tag[end] != '/' && tag[end] != '<' && tag[end] != '>')
        ++end;
    return tag.substr(from, end - from);
}

// An element record: from its first child to the closing tag of the record. Blank runs
// between tags are layout and go; line breaks inside values stay.
std::string readElementRecord(std::string_view text, std::size_t &pos, std::string_view start, const TTagNames &names)
{
    const std::string_view startName = start.substr(1);
    const auto closes = [&](std::string_view tag) {
        if (tag.size() < 3 || tag[1] != '/')
            return false;
        const std::string_view name = tagName(tag, 2);
        return (!names.TableName().empty() && Text::SameText(name, names.TableName())) ||
               Text::SameText(name, names.Tags().RecordTag) || Text::SameText(name, startName);
    };
    std::string record;
    const std::string_view first = ReadXMLTag(text, pos);
    if (first.empty())
        return record;
    const std::size_t tokenStart = pos - first.size();
    pos = markupEnd(text, tokenStart);
    record.assign(text.substr(tokenStart, pos - tokenStart));
    if (closes(record))
        return record;
    while (pos < text.size()) {
        if (text[pos] == '<') {
            const std::size_t end = markupEnd(text, pos);
            const std::string_view tag = text.substr(pos, end - pos);
            record.append(tag);
            pos = end;
            if (closes(tag))
                break;
            continue;
        }
        const std::size_t end = std::min(text.find('<', pos), text.size());
        const std::string_view run = text.substr(pos, end - pos);
        if (!allBlank(run))
            record.append(run);
        pos = end;
    }
    return record;
}

// The columns of a first record: the elements it holds, or an attribute row's attributes.
void addNamesFrom(std::string_view record, bool attributes, std::vector<TXMLColumnName> &columns)
{
    std::unordered_set<std::string> seen;
    const auto add = [&](std::string_view name) {
        if (!name.empty() && seen.insert(upper(name)).second)
            columns.push_back({std::string(name), std::nullopt});
    };
    if (attributes) {
        // name="value" pairs, in order.
        for (std::size_t pos = 0; pos < record.size();) {
            while (pos < record.size() && (IsBlank(record[pos]) || record[pos] == '/' || record[pos] == '>'))
                ++pos;
            const std::size_t start = pos;
            while (pos < record.size() && !IsBlank(record[pos]) && record[pos] != '=' && record[pos] != '>')
                ++pos;
            const std::string_view name = record.substr(start, pos - start);
            while (pos < record.size() && IsBlank(record[pos]))
                ++pos;
            if (pos >= record.size() || record[pos] != '=')
                continue;
            ++pos;
            while (pos < record.size() && IsBlank(record[pos]))
                ++pos;
            if (pos < record.size() && (record[pos] == '"' || record[pos] == '\'')) {
                const std::size_t close = record.find(record[pos], pos + 1);
                pos = close == std::string_view::npos ? record.size() : close + 1;
            }
            add(name);
        }
        return;
    }
    for (std::size_t pos = record.find('<'); pos != std::string_view::npos; pos = record.find('<', pos)) {
        const std::size_t end = markupEnd(record, pos);
        if (pos + 1 < record.size() && record[pos + 1] != '!' && record[pos + 1] != '/' && record[pos + 1] != '?')
            add(tagName(record, pos + 1));
        pos = end;
    }
}

void readFields(std::string_view text, std::size_t &pos, const TTagNames &names, std::vector<TXMLColumnName> &columns)
{
    for (;;) {
        const std::string_view token = ReadXMLTag(text, pos);
        if (token.empty() || names.Is(token, "</", "FIELDS"))
            return;
        if (!names.Is(token, "<", "FIELD"))
            continue;
        const std::string field = CollectXMLElement(text, pos, "FIELD");
        std::string name, type, subType, width;
        if (!FindXMLValue("attrname", field, name) || name.empty())
            continue;
        FindXMLValue("fieldtype", field, type);
        FindXMLValue("subtype", field, subType);
        FindXMLValue("width", field, width);
        std::int64_t w = 0;
        if (!TryStrToInt64(Text::Trim(width), w) || w < 0 || w > INT32_MAX)
            w = 0;
        columns.push_back({name, TXMLFldAttr{MapXMLFieldType(type, subType), static_cast<int>(w)}});
    }
}

struct TRecordWindow {
    long long First;
    long long Last;
    long long Wanted; // past this record nothing more is read
};

// The records part, from the token that opened it; false when nothing more is wanted.
bool readRecords(std::string_view text, std::size_t &pos, std::string_view token, const TTagNames &names,
                 const TRecordWindow &window, long long &i, std::vector<TXMLColumnName> &columns,
                 std::vector<std::string> &records)
{
    while (pos < text.size()) {
        if (!names.Record(token) && !names.Table(token)) {
            token = ReadXMLTag(text, pos);
            if (token.empty())
                return true;
        }
        if (!names.Row(token) && !names.Record(token) && !names.Table(token)) {
            if (names.Records(token, "</") || names.Record(token, "</") || names.Table(token, "</"))
                return true;
            token = {};
            continue;
        }
        const bool attributes = names.Row(token) && pos < text.size() && text[pos] != '>';
        std::string record = attributes ? CollectXMLElement(text, pos, names.Tags().RowTag)
                                        : readElementRecord(text, pos, token, names);
        token = {};
        if (record.empty() || record == ">")
            continue;
        if (i == 1 && columns.empty())
            addNamesFrom(record, attributes, columns);
        if (window.First <= i && i <= window.Last)
            records.push_back(std::move(record));
        if (++i > window.Wanted)
            return false;
    }
    return true;
}

} // namespace

std::string_view ReadXMLTag(std::string_view text, std::size_t &pos)
{
    for (;;) {
        while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == '>'))
            ++pos;
        pos = std::min(text.find('<', pos), text.size());
        if (pos >= text.size())
            return {};
        if (!MatchesAt(text, pos, "<!--"))
            break;
        const std::size_t end = text.find("-->", pos + 4);
        pos = end == std::string_view::npos ? text.size() : end + 3;
    }
    // A tag name ends at any blank: attributes on lines of their own are common.
    const std::size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != '>')
        ++pos;
    return text.substr(start, pos - start);
}

std::string CollectXMLElement(std::string_view text, std::size_t &pos, std::string_view name)
{
    const std::size_t start = pos;
    std::size_t end = text.find('>', pos);
    if (!name.empty())
        for (; end != std::string_view::npos; end = text.find('>', end + 1)) {
            if (end > start && text[end - 1] == '/')
                break;
            if (end >= start + name.size() + 1 && text[end - name.size() - 1] == '/' &&
                MatchesAt(text, end - name.size(), name))
                break;
        }
    if (end == std::string_view::npos)
        end = text.size();
    std::string element(text.substr(start, end - start));
    element += '>';
    pos = std::min(end + 1, text.size());
    return element;
}

namespace {

// name="value" or name='value', with any blank before the name and blanks around "=".
bool findAttribute(std::string_view name, std::string_view text, std::string &value)
{
    for (std::size_t at = FindNoCase(text, name, 1); at != std::string_view::npos;
         at = FindNoCase(text, name, at + 1)) {
        if (!IsBlank(text[at - 1]))
            continue;
        std::size_t k = at + name.size();
        while (k < text.size() && IsBlank(text[k]))
            ++k;
        if (k >= text.size() || text[k] != '=')
            continue;
        ++k;
        while (k < text.size() && IsBlank(text[k]))
            ++k;
        if (k >= text.size() || (text[k] != '"' && text[k] != '\''))
            continue;
        const std::size_t close = text.find(text[k], k + 1);
        value.assign(text.substr(k + 1, close == std::string_view::npos ? std::string_view::npos : close - k - 1));
        return true;
    }
    return false;
}

bool findElement(std::string_view name, std::string_view text, std::string &value)
{
    std::size_t close = std::string_view::npos;
    for (std::size_t at = text.find("</"); at != std::string_view::npos; at = text.find("</", at + 2)) {
        if (!MatchesAt(text, at + 2, name))
            continue;
        std::size_t k = at + 2 + name.size();
        while (k < text.size() && IsBlank(text[k]))
            ++k;
        if (k < text.size() && text[k] == '>') {
            close = at;
            break;
        }
    }
    if (close == std::string_view::npos)
        return false;
    if (close >= 3 && text.substr(close - 3, 3) == "]]>") {
        const std::size_t cdata = text.rfind("<![CDATA[", close);
        if (cdata != std::string_view::npos) {
            // "[CDATA[...]]": the form the value conversion unwraps.
            value.assign(text.substr(cdata + 2, close - 1 - (cdata + 2)));
            return true;
        }
    }
    // The text after the last tag before the closing one: the element's own opening tag
    // for a plain value (a ">" in the value does not cut it).
    const std::size_t lt = close == 0 ? std::string_view::npos : text.rfind('<', close - 1);
    const std::size_t start = lt == std::string_view::npos ? 0 : std::min(markupEnd(text, lt), close);
    value.assign(text.substr(start, close - start));
    return true;
}

} // namespace

bool FindXMLValue(std::string_view name, std::string_view text, std::string &value)
{
    if (name.empty())
        return false;
    return findAttribute(name, text, value) || findElement(name, text, value);
}

std::string XMLValue(std::string_view name, std::string_view text)
{
    std::string value;
    if (!FindXMLValue(name, text, value))
        value.assign(name);
    return value;
}

TVxIDataType MapXMLFieldType(std::string_view fieldType, std::string_view subType)
{
    using D = TVxIDataType;
    const std::string t = Text::Lower(fieldType);
    const std::string s = Text::Lower(subType);
    if (t == "i2" || t == "i4" || t == "ui2")
        return D::itInteger;
    if (t == "boolean")
        return D::itBoolean;
    if (t == "r8" || t == "fixed")
        return D::itFloat;
    if (t == "date")
        return D::itDate;
    if (t == "time")
        return D::itTime;
    if (t == "datetime")
        return D::itDateTime;
    if (t == "blob")
        return s == "text" ? D::itMEMO : s == "graphic" || s == "picture" || s == "image" ? D::itGraphic : D::itBLOB;
    if (t == "memo")
        return D::itMEMO;
    if (t == "graphic" || t == "picture")
        return D::itGraphic;
    if (t == "bin.hex")
        return s == "graphic" ? D::itGraphic : s == "text" ? D::itMEMO : D::itBLOB;
    return s == "image" ? D::itGraphic : D::itString;
}

std::string ReadXMLRecords(const TXMLRecordsRequest &request, std::string_view text,
                           std::vector<TXMLColumnName> &columnNames, std::vector<std::string> &records)
{
    columnNames.clear();
    records.clear();
    static const TVxIXMLTags defaultTags;
    const TTagNames names(request.Tags != nullptr ? *request.Tags : defaultTags, upper(request.TableName));
    TRecordWindow window{request.RowFirst, request.RowLast, 0};
    const long long previewLast = static_cast<long long>(request.PreviewRowCount) + request.RowFirst - 1;
    if (request.Preview && previewLast < window.Last)
        window.Last = previewLast;
    window.Wanted = std::max<long long>(window.Last, 1);

    std::string encoding;
    std::size_t pos = 0;
    long long i = 1;
    while (pos < text.size()) {
        const std::string_view token = ReadXMLTag(text, pos);
        if (token.empty())
            break;
        if (MatchesAt(token, 0, "<?XML")) {
            const std::string declaration = CollectXMLElement(text, pos);
            if (std::string value; FindXMLValue("encoding", declaration, value))
                encoding = value;
        } else if (names.Is(token, "<", "FIELDS")) {
            readFields(text, pos, names, columnNames);
        } else if (names.Records(token, "<") || names.Record(token) || names.Table(token)) {
            if (!readRecords(text, pos, token, names, window, i, columnNames, records))
                break;
        } else {
            pos = std::min(text.find('>', pos), text.size());
        }
    }
    return encoding;
}

void BuildXMLPreview(const TMarkupPreviewRequest &request, std::vector<std::string> &columnNames)
{
    TXMLRecordsRequest recordsRequest;
    recordsRequest.Preview = true;
    recordsRequest.PreviewRowCount = request.PreviewRowCount;
    recordsRequest.RowLast = request.LastRow;
    recordsRequest.RowFirst = request.FirstRow;
    recordsRequest.TableName = request.TableName;
    std::vector<TXMLColumnName> columns;
    std::vector<std::string> records;
    ReadXMLRecords(recordsRequest, markup::ReadDocument(nullptr, request.FileName, markup::TMarkupKind::mkXML), columns,
                   records);
    columnNames.clear();
    for (const TXMLColumnName &c : columns)
        columnNames.push_back(c.Name);
    if (request.ColumnList != nullptr)
        columnNames = SplitColumnList(*request.ColumnList);
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::vector<Variant> values;
        for (const std::string &name : columnNames) {
            // A value the record lacks shows as nothing, not as the column's name.
            std::string value;
            FindXMLValue(name, records[i], value);
            values.emplace_back(std::move(value));
        }
        SendPreviewRow(request, static_cast<int>(columnNames.size()), i, std::move(values));
    }
}

// ---------------------------------------------------------------- TVxImportFromXML

TVxImportFromXML::TVxImportFromXML(TVxImportBaseComponent *owner) : TVxImportFromMarkup(owner)
{
    TableType = TTableTypeImport::teXML;
    ApplyDefaultSourceFileName();
}

void TVxImportFromXML::OpenSource()
{
    ResetRows();
    ColumnNames.clear();
    TXMLRecordsRequest request;
    request.Tags = &XMLTags;
    request.RowLast = RowLast;
    request.RowFirst = RowFirst;
    request.TableName = GetTableName();
    const std::string text = markup::ReadDocument(SourceStream, SourceFileName, markup::TMarkupKind::mkXML);
    Encoding = ReadXMLRecords(request, text, ColumnNames, texts_);
}

void TVxImportFromXML::CloseSource()
{
    TVxImportFromMarkup::CloseSource();
    ColumnNames.clear();
}

void TVxImportFromXML::GetFieldValue(const Variant &name, Variant &value)
{
    const std::string key = name.AsString();
    std::string text;
    if (!FindXMLValue(key, CurrentLine, text)) {
        value = name;
        return;
    }
    // A CDATA section is text as it stands: nothing in it is an entity.
    if (text.rfind("[CDATA[", 0) != 0)
        DecodeHTMLEntities(text);
    value = Variant(std::move(text));
}

void TVxImportFromXML::GetFileFilter(std::string &filter) const
{
    std::string base;
    TVxImportBaseComponent::GetFileFilter(base);
    filter = "XML file (*.xml)|*.XML|" + base;
}

void TVxImportFromXML::CreateColumns()
{
    if (RowFieldNames <= 0 && DataSet && DataSet->FieldCount() > 0) {
        TVxImportBaseComponent::CreateColumns();
        return;
    }
    for (std::size_t k = 0; k < ColumnNames.size(); ++k) {
        const TXMLColumnName &name = ColumnNames[k];
        TVxIColumn &c = Columns.Add();
        if (name.Attr) {
            c.FieldName = name.Name;
            c.DataType = name.Attr->DataType;
            c.Size = name.Attr->Width;
        } else {
            std::string attrName, type, subType, width;
            if (FindXMLValue("attrname", name.Name, attrName))
                c.FieldName = attrName;
            else if (name.Name.find_first_of("=<>") == std::string::npos)
                c.FieldName = name.Name;
            else
                c.FieldName = "attrname" + std::to_string(k + 1);
            FindXMLValue("fieldtype", name.Name, type);
            FindXMLValue("subtype", name.Name, subType);
            FindXMLValue("width", name.Name, width);
            c.DataType = MapXMLFieldType(type, subType);
            std::int64_t w = 0;
            c.Size = TryStrToInt64(Text::Trim(width), w) && w >= 0 && w <= INT32_MAX ? static_cast<int>(w) : 0;
        }
        c.Caption = c.FieldName;
    }
}

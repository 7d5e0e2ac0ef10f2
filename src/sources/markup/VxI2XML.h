#pragma once

#include "sources/markup/MarkupSource.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class TVxIBLOBEncoding { ibeNone, ibeEncode64 };

// The names of the elements that hold records: the records element, an element record,
// and an attribute row.
struct TVxIXMLTags {
    bool CaseSensitive = false;
    std::string RecordsTag = "RECORDS";
    std::string RecordTag = "RECORD";
    std::string RowTag = "ROW";
};

// A column a data packet's field list declares.
struct TXMLFldAttr {
    TVxIDataType DataType = TVxIDataType::itString;
    int Width = 0;
};

struct TXMLColumnName {
    std::string Name;
    std::optional<TXMLFldAttr> Attr;
};

// The next tag token from pos ("<RECORD", "</ROWDATA", "<?xml"), comments passed over; pos
// stays right after the token, on a blank or ">". Empty at the end of the text.
std::string_view ReadXMLTag(std::string_view text, std::size_t &pos);
// The rest of the element from pos followed by ">": without a name up to the next ">",
// with one up to its "/>" or its closing tag. pos moves past it.
std::string CollectXMLElement(std::string_view text, std::size_t &pos, std::string_view name = {});
// The value of the attribute or child element name in a record text (an attribute wins).
// A CDATA section comes as "[CDATA[...]]", its content whole.
bool FindXMLValue(std::string_view name, std::string_view text, std::string &value);
// As FindXMLValue, the name itself when it is found nowhere.
std::string XMLValue(std::string_view name, std::string_view text);
TVxIDataType MapXMLFieldType(std::string_view fieldType, std::string_view subType);

struct TXMLRecordsRequest {
    bool Preview = false;
    const TVxIXMLTags *Tags = nullptr; // none: the default names
    int PreviewRowCount = 0;
    int RowLast = 2147483647;
    int RowFirst = 1;
    std::string TableName; // records may be named after the destination table
};

// Finds the records of a document, keeps the wanted ones as texts and names the columns;
// returns the encoding the XML declaration names.
std::string ReadXMLRecords(const TXMLRecordsRequest &request, std::string_view text,
                           std::vector<TXMLColumnName> &columnNames, std::vector<std::string> &records);

// The start of an XML file for the wizard: its column names, and each previewed record.
void BuildXMLPreview(const TMarkupPreviewRequest &request, std::vector<std::string> &columnNames);

// The records of an XML document.
class TVxImportFromXML : public TVxImportFromMarkup {
public:
    explicit TVxImportFromXML(TVxImportBaseComponent *owner = nullptr);

    TVxIXMLTags XMLTags;
    std::string Encoding; // what the document's declaration names, once opened
    TVxIBLOBEncoding BLOBEncoding = TVxIBLOBEncoding::ibeEncode64;

    // ---- run-time state
    const std::vector<std::string> &RecordTexts = texts_;
    std::vector<TXMLColumnName> ColumnNames;

    void OpenSource() override;
    void CloseSource() override;
    void GetFieldValue(const Variant &name, Variant &value) override;
    bool IsBLOBEncoded() override { return BLOBEncoding == TVxIBLOBEncoding::ibeEncode64; }
    void GetDefaultExt(std::string &ext) const override { ext = ".XML"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
};

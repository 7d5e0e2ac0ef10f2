#include "sources/dbase/VxDBF.h"

#include "values/StringList.h"
#include "sources/common/CompanionFile.h"
#include "sources/common/TableStream.h"
#include "sources/dbase/DbfFieldValue.h"
#include "sources/dbase/DbfMemo.h"

#include <algorithm>
#include <limits>

namespace {

int clampToInt(std::uint32_t value)
{
    return static_cast<int>(std::min<std::uint32_t>(value, std::numeric_limits<int>::max()));
}

} // namespace

TDBF::TDBF() = default;

TDBF::~TDBF() { EndOfRows(); }

bool TDBF::IsEncrypted() const { return layout_.Encrypted(); }

std::string TDBF::FieldName(int index) const
{
    if (index < 0 || index >= FieldCount())
        return {};
    return layout_.Fields[static_cast<std::size_t>(index)].Name;
}

int TDBF::FindField(const std::string &name) const
{
    const std::string wanted = Text::Upper(name.substr(0, 10));
    for (int i = 0; i < FieldCount(); ++i)
        if (Text::Upper(layout_.Fields[static_cast<std::size_t>(i)].Name) == wanted)
            return i;
    return -1;
}

// ---------------------------------------------------------------- loading

void TDBF::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    EndOfRows();
    ResetRows();
    table_ = std::make_unique<sources::TTableStream>(stream);
    table_->Seek(0);
    text_.SetCodePage(0); // names come as bytes until the header has named the code page
    sources::dbase::ReadTableLayout(*table_, text_, layout_);
    DBFVersion = layout_.Version;
    text_.SetCodePage(sources::dbase::CodePageOfLanguageDriver(layout_.LanguageDriver()));
    for (sources::dbase::TDBFField &field : layout_.Fields)
        field.Name = text_.Decode(field.Name);

    if (OnDimensions)
        OnDimensions(this, 0, 0, clampToInt(layout_.RecordCount), 0, FieldCount());
    for (int i = 0; i < FieldCount() && OnColumnWidth; ++i)
        OnColumnWidth(this, 0, i, layout_.Fields[static_cast<std::size_t>(i)].Length);

    record_.assign(layout_.RecordLength, 0);
    recordsRead_ = 0;
    RestartRecords();
    if (!table_->Seek(layout_.HeaderLength))
        recordsRead_ = layout_.RecordCount; // the records would start beyond the file
    if (!ByRowMode)
        ReadAllRows(layout_.RecordCount);
}

void TDBF::EndOfRows()
{
    table_.reset();
    memo_.reset();
    memoLookedFor_ = false;
    RestartRecords();
}

// ---------------------------------------------------------------- records

bool TDBF::ReadRecord(TVxIRowStatus &status)
{
    // records past the header's count are left-overs, not rows
    if (!table_ || recordsRead_ >= layout_.RecordCount || !table_->Read(record_))
        return false;
    ++recordsRead_;
    status = record_[0] == '*' ? TVxIRowStatus::rsDeleted : TVxIRowStatus::rsNormal;
    return true;
}

void TDBF::DeliverRecord(int row)
{
    const std::span<const std::uint8_t> record(record_);
    for (std::size_t i = 0; i < layout_.Fields.size(); ++i) {
        const sources::dbase::TDBFField &field = layout_.Fields[i];
        const auto bytes = record.subspan(field.Position, field.Length);
        Variant value;
        if (sources::dbase::IsBlank(bytes))
            value = Variant();
        else if (sources::dbase::IsMemoReference(field.Type, DBFVersion))
            value = MemoValue(field, bytes);
        else
            value = sources::dbase::DecodeFieldValue(field, bytes, DBFVersion, text_);
        OnCellValue(this, 0, row, static_cast<int>(i), 0, value, sources::dbase::FieldAlignment(field.Type));
    }
}

Variant TDBF::MemoValue(const sources::dbase::TDBFField &field, std::span<const std::uint8_t> bytes)
{
    const std::uint64_t block = sources::dbase::MemoBlockNumber(bytes, DBFVersion);
    if (!ParseBLOB)
        return block <= static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())
                   ? Variant(static_cast<std::int32_t>(block))
                   : Variant(static_cast<std::int64_t>(block));
    std::string text;
    ReadMemo(static_cast<std::int64_t>(block), 0, text);
    if (sources::dbase::IsTextMemo(field.Type))
        text = text_.Decode(text);
    return Variant(std::move(text));
}

void TDBF::ReadMemo(std::int64_t block, int length, std::string &text)
{
    text.clear();
    if (block <= 0)
        return;
    if (!memoLookedFor_) {
        memoLookedFor_ = true;
        memo_ = MemoStream ? sources::dbase::TDBFMemoFile::FromStream(*MemoStream, DBFVersion, DBFMemoType)
                           : sources::dbase::TDBFMemoFile::Open(FileName, DBFVersion, DBFMemoType);
    }
    if (memo_)
        text = memo_->Read(static_cast<std::uint64_t>(block));
}

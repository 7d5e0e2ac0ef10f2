#include "sources/paradox/VxParadox.h"

#include "values/StringList.h"
#include "sources/common/ByteView.h"
#include "sources/common/CompanionFile.h"
#include "sources/common/TableStream.h"
#include "sources/paradox/PxBlob.h"
#include "sources/paradox/PxFieldValue.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::size_t blockHeaderSize = 6;

int clampToInt(std::uint32_t value)
{
    return static_cast<int>(std::min<std::uint32_t>(value, std::numeric_limits<int>::max()));
}

} // namespace

TDBParadox::TDBParadox()
{
    ByRowMode = true;
    NameKind = TVxIColumnNameKind::nkFieldName;
}

TDBParadox::~TDBParadox() { EndOfRows(); }

std::string TDBParadox::FieldName(int index) const
{
    if (index < 0 || index >= FieldCount())
        return {};
    return layout_.Fields[static_cast<std::size_t>(index)].Name;
}

int TDBParadox::FindField(const std::string &name) const
{
    for (int i = 0; i < FieldCount(); ++i)
        if (Text::SameText(layout_.Fields[static_cast<std::size_t>(i)].Name, name))
            return i;
    return -1;
}

// ---------------------------------------------------------------- loading

void TDBParadox::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    EndOfRows();
    ResetRows();
    table_ = std::make_unique<sources::TTableStream>(stream);
    table_->Seek(0);
    sources::paradox::ReadTableLayout(*table_, layout_);
    text_.SetCodePage(layout_.CodePage());
    sources::paradox::DecodeFieldNames(layout_, text_);

    if (OnDimensions)
        OnDimensions(this, 0, 0, clampToInt(layout_.RecordCount), 0, FieldCount());
    for (int i = 0; i < FieldCount() && OnColumnWidth; ++i)
        OnColumnWidth(this, 0, i, layout_.Fields[static_cast<std::size_t>(i)].Size);

    block_.assign(static_cast<std::size_t>(layout_.BlockSize) - blockHeaderSize, 0);
    record_.assign(layout_.RecordLength, 0);
    CheckPassword();
    StartBlocks();
    if (!ByRowMode)
        ReadAllRows(layout_.RecordCount);
}

void TDBParadox::CheckPassword()
{
    if (!IsEncrypted())
        return;
    const auto expected = static_cast<std::int32_t>(layout_.ExpectedChecksum());
    bool more = true;
    while (more) {
        if (OnPassword)
            OnPassword(this, Password, more);
        else
            more = false;
        std::int32_t checksum = 0;
        if (OnGetPasswordChecksum)
            OnGetPasswordChecksum(this, Password, checksum);
        if (checksum == expected)
            return;
    }
    throw ESpreadSheetError(ParadoxTexts::Encrypted);
}

void TDBParadox::EndOfRows()
{
    table_.reset();
    block_.clear();
    block_.shrink_to_fit();
    haveRecords_ = false;
    blobs_.reset();
    blobsLookedFor_ = false;
}

// ---------------------------------------------------------------- the block chain

void TDBParadox::StartBlocks()
{
    nextRow_ = 0;
    blocksRead_ = 0;
    previousBlock_ = -1;
    const std::int64_t blocks = (table_->Size() - layout_.HeaderLength) / layout_.BlockSize + 1;
    visited_.assign(static_cast<std::size_t>(std::max<std::int64_t>(blocks, 0)), false);
    nextBlock_ = layout_.FirstBlock < 2 ? 0 : layout_.FirstBlock - 1;
    ReadNextBlock();
}

// Reads the block the chain names next, passing over blocks without records, until one
// with records is found or the chain ends.
void TDBParadox::ReadNextBlock()
{
    haveRecords_ = false;
    while (nextBlock_ >= 0 && !haveRecords_) {
        const int index = nextBlock_;
        nextBlock_ = -1;
        if (!ReadBlock(index))
            return;
    }
}

bool TDBParadox::ReadBlock(int index)
{
    if (!table_ || static_cast<std::size_t>(index) >= visited_.size() || visited_[static_cast<std::size_t>(index)])
        return false;
    visited_[static_cast<std::size_t>(index)] = true;
    const std::int64_t position = static_cast<std::int64_t>(layout_.HeaderLength) +
                                  static_cast<std::int64_t>(index) * layout_.BlockSize;
    std::vector<std::uint8_t> &whole = wholeBlock_;
    whole.resize(static_cast<std::size_t>(layout_.BlockSize));
    if (position >= table_->Size() || !table_->ReadAt(position, whole))
        return false;
    if (IsEncrypted() && OnDecryptDBBlock)
        OnDecryptDBBlock(this, whole, index, layout_.BlockSize, static_cast<std::int32_t>(layout_.ExpectedChecksum()),
                         false);
    if (whole.size() != static_cast<std::size_t>(layout_.BlockSize))
        return false; // a decryption that changed the block's size left nothing to read
    std::copy(whole.begin() + blockHeaderSize, whole.end(), block_.begin());
    nextBlock_ = sources::LE16(whole.data()) - 1;
    previousBlock_ = sources::LE16(whole.data() + 2) - 1;
    lastRecordOffset_ = sources::LE16(whole.data() + 4);
    ++blocksRead_;
    recordOffset_ = 0;
    // an empty block has a negative offset of its last record, read here as a large one
    haveRecords_ = lastRecordOffset_ < layout_.BlockSize && lastRecordOffset_ + layout_.RecordLength <= block_.size();
    return true;
}

bool TDBParadox::HasRecord() const { return haveRecords_ && !block_.empty(); }

// Copies the record out of the block buffer, which the next block of the chain reuses.
std::span<const std::uint8_t> TDBParadox::TakeRecord()
{
    const auto from = block_.begin() + static_cast<std::ptrdiff_t>(recordOffset_);
    std::copy(from, from + layout_.RecordLength, record_.begin());
    recordOffset_ += layout_.RecordLength;
    if (recordOffset_ > lastRecordOffset_)
        ReadNextBlock();
    return record_;
}

bool TDBParadox::HasRecordFor(int row)
{
    CatchUpTo(row);
    return HasRecord();
}

// A source that starts at a later row passes over the records before it.
void TDBParadox::CatchUpTo(int row)
{
    for (; nextRow_ < row && HasRecord(); ++nextRow_)
        TakeRecord();
}

// ---------------------------------------------------------------- rows

void TDBParadox::ReadRow(int row)
{
    TCustomSpreadSheetFile::ReadRow(row);
    ReportProgress(row, layout_.RecordCount);
    CatchUpTo(row);
    if (!HasRecord())
        return;
    const std::span<const std::uint8_t> record = TakeRecord();
    nextRow_ = std::max(nextRow_, row) + 1;
    if (row < Range.FirstRow - 1 || row > Range.LastRow - 1)
        return;
    if (OnCellValue)
        DeliverRecord(row, record);
}

void TDBParadox::DeliverRecord(int row, std::span<const std::uint8_t> record)
{
    for (std::size_t i = 0; i < layout_.Fields.size(); ++i) {
        const sources::paradox::TPxField &field = layout_.Fields[i];
        if (!sources::paradox::HasDecoding(field.Type))
            continue;
        const auto bytes = record.subspan(field.Offset, field.Size);
        const Variant value = sources::paradox::IsBLOBType(field.Type)
                                  ? BLOBValue(field, bytes)
                                  : sources::paradox::DecodeFieldValue(field, bytes, text_);
        OnCellValue(this, 0, row, static_cast<int>(i), 0, value, sources::paradox::FieldAlignment(field.Type));
    }
}

Variant TDBParadox::BLOBValue(const sources::paradox::TPxField &field, std::span<const std::uint8_t> bytes)
{
    const sources::paradox::TPxBLOBRef ref = sources::paradox::BLOBReference(bytes);
    if (ref.Length <= 0)
        return {};
    std::string value;
    if (static_cast<std::size_t>(ref.Length) + 10 <= bytes.size())
        value.assign(bytes.begin(), bytes.begin() + ref.Length);
    else if (ParseBLOB)
        value = ReadBLOB(field, bytes);
    if (field.Type != sources::paradox::pxfMemoBLOb)
        return Variant(std::move(value));
    if (ParseBLOB)
        value.erase(value.find_last_not_of('\0') + 1);
    return Variant(text_.Decode(value));
}

std::string TDBParadox::ReadBLOB(const sources::paradox::TPxField &field, std::span<const std::uint8_t> bytes)
{
    if (!blobsLookedFor_) {
        blobsLookedFor_ = true;
        blobs_ = BLOBStream ? sources::paradox::TPxBLOBFile::FromStream(*BLOBStream)
                            : sources::paradox::TPxBLOBFile::Open(FileName);
    }
    if (!blobs_)
        return {};
    sources::paradox::TPxBLOBFile::TDecrypt decrypt;
    if (IsEncrypted() && OnDecryptDBBlock)
        decrypt = [this](std::vector<std::uint8_t> &units) {
            OnDecryptDBBlock(this, units, 0, static_cast<int>(units.size()),
                             static_cast<std::int32_t>(layout_.ExpectedChecksum()), true);
        };
    return blobs_->Read(sources::paradox::BLOBReference(bytes), decrypt);
}

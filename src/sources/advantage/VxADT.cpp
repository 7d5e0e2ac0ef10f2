#include "sources/advantage/VxADT.h"

#include "sources/cells/VxCellsTexts.h"
#include "sources/common/ByteView.h"
#include "sources/common/CompanionFile.h"
#include "sources/common/TableStream.h"
#include "values/StringList.h"

#include <algorithm>
#include <array>
#include <limits>

using sources::advantage::TADTField;

namespace {

constexpr std::size_t HeaderSize = 400;
constexpr std::size_t DescriptorSize = 200;
constexpr std::size_t MaxFields = 4096;

[[noreturn]] void damaged() { throw ESpreadSheetError(SpreadSheetTexts().AdvantageDamaged); }

} // namespace

TADT::TADT() = default;

TADT::~TADT() { EndOfRows(); }

std::string TADT::FieldName(int index) const
{
    if (index < 0 || index >= FieldCount())
        return {};
    return fields_[static_cast<std::size_t>(index)].Name;
}

// ---------------------------------------------------------------- loading

void TADT::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    EndOfRows();
    ResetRows();
    table_ = std::make_unique<sources::TTableStream>(stream);
    table_->Seek(0);
    ReadLayout();
    if (OnDimensions)
        OnDimensions(this, 0, 0, sources::ClampedRowCount(recordCount_), 0, FieldCount());
    for (int i = 0; i < FieldCount() && OnColumnWidth; ++i)
        OnColumnWidth(this, 0, i, static_cast<int>(fields_[static_cast<std::size_t>(i)].Length));
    recordsRead_ = 0;
    RestartRecords();
    // The records follow the descriptors and one byte; the field positions count from it.
    if (!table_->Seek(static_cast<std::int64_t>(HeaderSize + DescriptorSize * fields_.size() + 1)))
        recordsRead_ = recordCount_;
    if (!ByRowMode)
        ReadAllRows(recordCount_);
}

void TADT::ReadLayout()
{
    std::array<std::uint8_t, HeaderSize> header{};
    if (!table_->Read(header))
        damaged();
    recordCount_ = sources::LE32(header.data() + 24);
    const std::uint32_t recordLength = sources::LE32(header.data() + 36);
    const std::size_t fieldCount = sources::LE16(header.data() + 358);
    // A record longer than the file, or more fields than a table can have, is a damaged header.
    if (recordLength == 0 || recordLength > static_cast<std::uint64_t>(table_->Size()) || fieldCount > MaxFields)
        damaged();
    fields_.clear();
    std::array<std::uint8_t, DescriptorSize> descriptor{};
    for (std::size_t i = 0; i < fieldCount; ++i) {
        if (!table_->Read(descriptor))
            damaged();
        const sources::TByteView data(descriptor);
        TADTField field;
        field.Name = std::string(reinterpret_cast<const char *>(descriptor.data()),
                                 std::find(descriptor.begin(), descriptor.begin() + 128, 0) - descriptor.begin());
        field.Type = data.U8(129);
        const std::size_t position = data.U16(131);
        field.Length = sources::BE16(descriptor.data() + 134);
        field.Decimals = data.U16(137);
        // Positions count from the record's first byte, 1-based against the buffer.
        if (position == 0 || position - 1 + field.Length > recordLength)
            damaged();
        field.Offset = position - 1;
        fields_.push_back(std::move(field));
    }
    record_.assign(recordLength, 0);
}

void TADT::EndOfRows()
{
    table_.reset();
    blob_.reset();
    blobFile_.reset();
    blobLookedFor_ = false;
    RestartRecords();
}

// ---------------------------------------------------------------- records

bool TADT::ReadRecord(TVxIRowStatus &status)
{
    if (!ReadPaddedRecord(table_.get(), record_, recordsRead_, recordCount_))
        return false;
    status = record_[0] == '*' ? TVxIRowStatus::rsDeleted : TVxIRowStatus::rsNormal;
    return true;
}

void TADT::DeliverRecord(int row)
{
    const std::span<const std::uint8_t> record(record_);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const TADTField &field = fields_[i];
        const auto bytes = record.subspan(field.Offset, field.Length);
        Variant value;
        try {
            value = sources::advantage::IsBlobField(field.Type) ? BlobValue(bytes)
                                                                : sources::advantage::DecodeFieldValue(field, bytes);
        } catch (const sources::EShortData &) {
            damaged(); // a field too short for its type
        }
        OnCellValue(this, 0, row, static_cast<int>(i), 0, value, sources::advantage::FieldAlignment(field.Type));
    }
}

Variant TADT::BlobValue(std::span<const std::uint8_t> bytes)
{
    const sources::TByteView data(bytes);
    const std::uint32_t block = data.U32(0);
    const std::int32_t length = data.I32(4);
    if (length <= 0)
        return {};
    if (!ParseBLOB)
        return block <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())
                   ? Variant(static_cast<std::int32_t>(block))
                   : Variant(static_cast<std::int64_t>(block));
    std::string text;
    ReadMemo(block, length, text);
    return Variant(std::move(text));
}

bool TADT::OpenBlobFile()
{
    if (!blobLookedFor_) {
        blobLookedFor_ = true;
        if (!BlobStream) {
            const std::string name = sources::FindCompanionFile(FileName, ".adm");
            if (!name.empty())
                blobFile_ = sources::OpenSharedForReading(name);
        }
        if (std::istream *stream = BlobStream ? BlobStream : blobFile_.get()) {
            blob_ = std::make_unique<sources::TTableStream>(*stream);
            std::array<std::uint8_t, 8> header{};
            if (blob_->ReadAt(0, header))
                blockSize_ = sources::BE32(header.data() + 4);
        }
    }
    return blob_ && blockSize_ != 0;
}

void TADT::ReadMemo(std::int64_t block, int length, std::string &text)
{
    text.clear();
    if (block < 0 || length <= 0 || !OpenBlobFile())
        return;
    // Positions in 64 bits; a length is cut at the file's end.
    const std::uint64_t size = static_cast<std::uint64_t>(blob_->Size());
    if (static_cast<std::uint64_t>(block) > size / blockSize_)
        return;
    const std::uint64_t at = static_cast<std::uint64_t>(block) * blockSize_;
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(static_cast<std::uint64_t>(length), size - at));
    text.resize(count);
    if (!blob_->ReadAt(static_cast<std::int64_t>(at),
                       std::span<std::uint8_t>(reinterpret_cast<std::uint8_t *>(text.data()), count)))
        text.clear();
}

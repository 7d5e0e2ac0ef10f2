#include "sources/clarion/VxClarion.h"

#include "sources/cells/VxCellsTexts.h"
#include "sources/clarion/ClarionValue.h"
#include "sources/common/ByteView.h"
#include "sources/common/CompanionFile.h"
#include "sources/common/TableStream.h"
#include "values/StringList.h"

#include <algorithm>
#include <array>
#include <limits>

using sources::clarion::TClarionEntry;

namespace {

constexpr std::int64_t MemoBlockSize = 256;
constexpr std::size_t MemoDataSize = 252;

// Where a memo block starts: block 1 right after the 6-byte header.
std::int64_t memoBlockPosition(std::uint32_t block) { return static_cast<std::int64_t>(block) * MemoBlockSize - 250; }

} // namespace

TClarion::TClarion() = default;

TClarion::~TClarion() { EndOfRows(); }

std::string TClarion::FieldName(int index) const
{
    if (index < 0 || index >= FieldCount())
        return {};
    return layout_.Entries[static_cast<std::size_t>(index)].Name;
}

void TClarion::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    EndOfRows();
    ResetRows();
    table_ = std::make_unique<sources::TTableStream>(stream);
    sources::clarion::ReadLayout(*table_, AutoPatchFieldNames, layout_);
    for (int i = 0; i < FieldCount() && OnColumnWidth; ++i)
        if (layout_.Entries[static_cast<std::size_t>(i)].Type != sources::clarion::ctGroup)
            OnColumnWidth(this, 0, i, static_cast<int>(layout_.Entries[static_cast<std::size_t>(i)].Width));
    if (OnDimensions)
        OnDimensions(this, 0, 0, sources::ClampedRowCount(layout_.RecordCount), 0, FieldCount());
    record_.assign(layout_.RecordLength, 0);
    recordsRead_ = 0;
    RestartRecords();
    if (!table_->Seek(layout_.FirstRecord))
        recordsRead_ = layout_.RecordCount; // the records would start beyond the file
    if (!ByRowMode)
        ReadAllRows(layout_.RecordCount);
}

void TClarion::EndOfRows()
{
    table_.reset();
    memo_.reset();
    memoFile_.reset();
    memoLookedFor_ = false;
    RestartRecords();
}

bool TClarion::ReadRecord(TVxIRowStatus &status)
{
    if (!ReadPaddedRecord(table_.get(), record_, recordsRead_, layout_.RecordCount))
        return false;
    status = (record_[0] & 0x10) ? TVxIRowStatus::rsError : TVxIRowStatus::rsNormal;
    return true;
}

void TClarion::DeliverRecord(int row)
{
    const std::span<const std::uint8_t> record(record_);
    for (std::size_t i = 0; i < layout_.Entries.size(); ++i) {
        const TClarionEntry &entry = layout_.Entries[i];
        const auto bytes = record.subspan(entry.Offset, entry.Width);
        TAlignment alignment = TAlignment::taLeftJustify;
        Variant value;
        try {
            value = entry.Type == sources::clarion::ctMemo
                        ? MemoValue(bytes)
                        : sources::clarion::DecodeEntry(entry, bytes, DateAutodetect, alignment);
        } catch (const sources::EShortData &) {
            throw ESpreadSheetError(SpreadSheetTexts().ClarionDamaged); // a field too short for its kind
        }
        OnCellValue(this, 0, row, static_cast<int>(i), 0, value, alignment);
    }
}

Variant TClarion::MemoValue(std::span<const std::uint8_t> bytes)
{
    const std::uint32_t block = sources::TByteView(bytes).U32(0);
    if (block == 0)
        return {};
    const std::int64_t position = memoBlockPosition(block);
    if (!ParseBLOB)
        return position <= std::numeric_limits<std::int32_t>::max() ? Variant(static_cast<std::int32_t>(position))
                                                                    : Variant(position);
    std::string text;
    ReadMemo(position, 0, text);
    return Variant(std::move(text));
}

bool TClarion::OpenMemoFile()
{
    if (memoLookedFor_)
        return memo_ != nullptr;
    memoLookedFor_ = true;
    if (!MemoStream) {
        const std::string name = sources::FindCompanionFile(FileName, ".mem");
        if (!name.empty())
            memoFile_ = sources::OpenSharedForReading(name);
    }
    std::istream *stream = MemoStream ? MemoStream : memoFile_.get();
    if (!stream)
        return false;
    memo_ = std::make_unique<sources::TTableStream>(*stream);
    std::array<std::uint8_t, 6> header{};
    if (!memo_->ReadAt(0, header) || header[0] != 0x4D || header[1] != 0x33) {
        memo_.reset();
        memoFile_.reset();
        throw ESpreadSheetError(SpreadSheetTexts().ClarionMemoInvalid);
    }
    return true;
}

void TClarion::ReadMemo(std::int64_t block, int length, std::string &text)
{
    text.clear();
    if (block < 0 || !OpenMemoFile())
        return;
    // A chain longer than the file has blocks returns to one it has passed: that ends
    // the read with the memo file's message instead of reading forever.
    ReadMemoChain(block, memo_->Size() / MemoBlockSize + 1, text);
    // The last block is filled up with zero bytes: they are no part of the text.
    text.erase(text.find_last_not_of('\0') + 1);
}

void TClarion::ReadMemoChain(std::int64_t position, std::int64_t maxBlocks, std::string &text)
{
    for (std::int64_t blocks = 0;; ++blocks) {
        if (blocks > maxBlocks)
            throw ESpreadSheetError(SpreadSheetTexts().ClarionMemoInvalid);
        std::array<std::uint8_t, MemoBlockSize> bytes{};
        if (!memo_->Seek(position))
            return;
        const std::size_t read = memo_->ReadSome(bytes);
        if (read > 4)
            text.append(reinterpret_cast<const char *>(bytes.data()) + 4, std::min(read - 4, MemoDataSize));
        if (read < bytes.size())
            return;
        const std::uint32_t next = sources::LE32(bytes.data());
        if (next == 0)
            return;
        position = memoBlockPosition(next);
    }
}

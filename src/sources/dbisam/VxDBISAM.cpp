#include "sources/dbisam/VxDBISAM.h"

#include "sources/cells/VxCellsTexts.h"
#include "sources/common/ByteView.h"
#include "sources/common/CompanionFile.h"
#include "sources/common/TableStream.h"
#include "sources/dbisam/DbisamValue.h"

#include <algorithm>
#include <limits>
#include <set>

using sources::dbisam::TDBISAMField;

namespace {

constexpr std::size_t BlobHeaderSize = 512;
constexpr std::size_t BlockHeaderSize = 18;
// The BLOB file places blocks by number times the block size from this version on; before
// it a block number is the block's byte offset.
constexpr int FirstSizedBlockVersion = 5;

[[noreturn]] void damaged() { throw ESpreadSheetError(SpreadSheetTexts().DBISAMDamaged); }
[[noreturn]] void blobDamaged() { throw ESpreadSheetError(SpreadSheetTexts().DBISAMBlobDamaged); }
[[noreturn]] void passwordNeeded() { throw ESpreadSheetError(SpreadSheetTexts().DBISAMPasswordNeeded); }

} // namespace

TDBISAM::TDBISAM() = default;

TDBISAM::~TDBISAM() { EndOfRows(); }

std::string TDBISAM::FieldName(int index) const
{
    if (index < 0 || index >= FieldCount())
        return {};
    return fields_[static_cast<std::size_t>(index)].Name;
}

void TDBISAM::Decipher(std::span<std::uint8_t> bytes, bool isHeader, bool isRecord, bool isPChar)
{
    if (OnDecryptBuffer && !bytes.empty())
        OnDecryptBuffer(this, bytes.data(), static_cast<int>(bytes.size()), isHeader, isRecord, isPChar);
}

// ---------------------------------------------------------------- loading

void TDBISAM::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    EndOfRows();
    ResetRows();
    table_ = std::make_unique<sources::TTableStream>(stream);
    ReadHeader();
    if (OnDimensions)
        OnDimensions(this, 0, 0, sources::ClampedRowCount(header_.RecordCount), 0,
                     static_cast<int>(header_.FieldCount));
    CheckSignature();
    CheckPassword();
    ReadDescriptors();
    for (int i = 0; i < FieldCount() && OnColumnWidth; ++i)
        OnColumnWidth(this, 0, i, static_cast<int>(fields_[static_cast<std::size_t>(i)].Width));
    // The stream now stands at the first record.
    record_.assign(header_.RecordLength, 0);
    recordsRead_ = 0;
    RestartRecords();
    if (!ByRowMode)
        ReadAllRows(header_.RecordCount);
}

void TDBISAM::ReadHeader()
{
    std::array<std::uint8_t, sources::dbisam::VersionOffset + 1> start{};
    if (!table_->ReadAt(0, start))
        damaged();
    const int version = start[sources::dbisam::VersionOffset];
    std::vector<std::uint8_t> bytes(sources::dbisam::HeaderSizeOf(version));
    if (!table_->ReadAt(0, bytes))
        damaged();
    if (version >= sources::dbisam::FirstCurrentVersion) {
        header_ = sources::dbisam::ParseHeader(bytes);
    } else {
        header_ = sources::dbisam::ParseOldHeader(bytes);
        if (header_.Encrypted) {
            const auto [at, length] = sources::dbisam::OldPasswordPlace(bytes);
            Decipher(std::span<std::uint8_t>(bytes).subspan(at, length), true, false, false);
            header_.Password.assign(reinterpret_cast<const char *>(bytes.data() + at), length);
        }
        password_ = header_.Password;
    }
    // Every record holds its status byte; the descriptors must fit the file.
    const std::uint64_t descriptors = static_cast<std::uint64_t>(header_.FieldCount) *
                                      sources::dbisam::DescriptorSizeOf(header_.Version);
    if (header_.RecordLength == 0 || descriptors > static_cast<std::uint64_t>(table_->Remaining()))
        damaged();
}

void TDBISAM::CheckSignature()
{
    if (!header_.Encrypted || header_.Version < sources::dbisam::FirstCurrentVersion || !OnGetPasswordDigest)
        return;
    TMD5DigestArray digest{};
    OnGetPasswordDigest(this, "DBISAM_SIG", digest);
    if (digest != header_.Signature)
        throw ESpreadSheetError(SpreadSheetTexts().DBISAMBadSignature);
}

// Without a deciphering handler an encrypted table would import its ciphertext as data:
// it is refused. Without a digest handler an answer cannot be checked, so one is all
// that is asked for.
void TDBISAM::CheckPassword()
{
    if (!header_.Encrypted)
        return;
    if (!OnDecryptBuffer)
        passwordNeeded();
    if (header_.Version < sources::dbisam::FirstCurrentVersion)
        return;
    if (!OnPassword)
        passwordNeeded();
    std::string password = password_;
    for (;;) {
        bool proceed = true;
        OnPassword(this, password, proceed);
        if (!proceed || !OnGetPasswordDigest)
            break;
        if (PasswordMatches(password)) {
            password_ = password;
            return;
        }
    }
    passwordNeeded();
}

bool TDBISAM::PasswordMatches(const std::string &password)
{
    TMD5DigestArray digest{};
    OnGetPasswordDigest(this, password, digest);
    if (OnCryptInit)
        OnCryptInit(this, digest);
    TMD5DigestArray check = header_.PasswordCheck;
    Decipher(check, true, false, false);
    return check == digest;
}

void TDBISAM::ReadDescriptors()
{
    const std::size_t size = sources::dbisam::DescriptorSizeOf(header_.Version);
    const bool current = header_.Version >= sources::dbisam::FirstCurrentVersion;
    std::vector<std::uint8_t> bytes(header_.FieldCount * size);
    if (!table_->Read(bytes))
        damaged();
    if (header_.Encrypted && current)
        Decipher(bytes, true, false, true);
    fields_.clear();
    fields_.reserve(header_.FieldCount);
    for (std::size_t i = 0; i < header_.FieldCount; ++i) {
        const auto descriptor = std::span<std::uint8_t>(bytes).subspan(i * size, size);
        if (header_.Encrypted && !current)
            Decipher(descriptor, false, true, false);
        TDBISAMField field = current ? sources::dbisam::ParseDescriptor(descriptor)
                                     : sources::dbisam::ParseOldDescriptor(descriptor, header_.Version);
        // A value reaching past the record is a damaged descriptor.
        if (sources::dbisam::ValueOffset(field) + field.Width > header_.RecordLength)
            damaged();
        fields_.push_back(std::move(field));
    }
}

void TDBISAM::ResetRows()
{
    TRecordTableFile::ResetRows();
    password_.clear();
}

void TDBISAM::EndOfRows()
{
    table_.reset();
    blob_.reset();
    blobFile_.reset();
    blobLookedFor_ = false;
    RestartRecords();
}

// ---------------------------------------------------------------- records

bool TDBISAM::ReadRecord(TVxIRowStatus &status)
{
    if (!ReadPaddedRecord(table_.get(), record_, recordsRead_, header_.RecordCount))
        return false;
    if (header_.Encrypted)
        Decipher(record_, false, true, false);
    switch (record_[0]) {
    case 1: status = TVxIRowStatus::rsDeleted; break;
    case 2: status = TVxIRowStatus::rsError; break;
    default: status = TVxIRowStatus::rsNormal; break;
    }
    return true;
}

void TDBISAM::DeliverRecord(int row)
{
    const std::span<const std::uint8_t> record(record_);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const TDBISAMField &field = fields_[i];
        TAlignment alignment = TAlignment::taLeftJustify;
        Variant value;
        if (!sources::dbisam::HasNullByte(field) || record[field.Position] == 1) {
            const auto bytes = record.subspan(sources::dbisam::ValueOffset(field), field.Width);
            try {
                value = field.Type == sources::dbisam::BlobType ? BlobValue(bytes)
                                                                : sources::dbisam::DecodeValue(field, bytes, alignment);
            } catch (const sources::EShortData &) {
                damaged(); // a field too narrow for its type
            }
        }
        OnCellValue(this, 0, row, static_cast<int>(i), 0, value, alignment);
    }
}

Variant TDBISAM::BlobValue(std::span<const std::uint8_t> bytes)
{
    // A block number stored negative names the same block.
    const std::int64_t stored = sources::TByteView(bytes).I32(0);
    const std::int64_t block = stored < 0 ? -stored : stored;
    if (block < 1)
        return {};
    if (!ParseBLOB)
        return block <= std::numeric_limits<std::int32_t>::max() ? Variant(static_cast<std::int32_t>(block))
                                                                 : Variant(block);
    std::string text;
    ReadMemo(block, 0, text);
    return Variant(std::move(text));
}

// ---------------------------------------------------------------- BLOB file

bool TDBISAM::DeciphersBlobs() const
{
    return header_.Encrypted && header_.Version < sources::dbisam::FirstCurrentVersion;
}

bool TDBISAM::OpenBlobFile()
{
    if (blobLookedFor_)
        return blob_ != nullptr;
    blobLookedFor_ = true;
    if (!BlobStream) {
        const std::string name = sources::FindCompanionFile(FileName, ".blb");
        if (!name.empty())
            blobFile_ = sources::OpenSharedForReading(name);
    }
    std::istream *stream = BlobStream ? BlobStream : blobFile_.get();
    if (!stream)
        return false;
    blob_ = std::make_unique<sources::TTableStream>(*stream);
    // The header is read for the deciphering that follows it, not for its contents.
    std::array<std::uint8_t, BlobHeaderSize> header{};
    if (blob_->ReadAt(0, header) && DeciphersBlobs())
        Decipher(header, false, true, false);
    return true;
}

bool TDBISAM::ReadBlobBlockHeader(std::int64_t block, std::array<std::uint8_t, BlockHeaderSize> &blockHeader)
{
    std::int64_t position = block;
    if (header_.Version >= FirstSizedBlockVersion) {
        if (header_.BlobBlockSize == 0 || block > blob_->Size() / header_.BlobBlockSize)
            return false;
        position = block * header_.BlobBlockSize;
    }
    if (!blob_->ReadAt(position, blockHeader))
        return false;
    if (DeciphersBlobs())
        Decipher(blockHeader, false, true, false);
    return true;
}

// Positions and lengths in 64 bits, the total cut at the file's size. A chain that
// comes back to a block it has passed, a block that holds no bytes, or one that ends
// before the BLOB does end the read with the BLOB file's message.
void TDBISAM::ReadMemo(std::int64_t block, int, std::string &text)
{
    text.clear();
    if (block <= 0 || !OpenBlobFile() || block >= blob_->Size())
        return;
    std::array<std::uint8_t, BlockHeaderSize> blockHeader{};
    if (!ReadBlobBlockHeader(block, blockHeader))
        return;
    const std::uint64_t total = sources::LE32(blockHeader.data() + 14);
    if (total > static_cast<std::uint64_t>(blob_->Size()))
        blobDamaged();
    std::set<std::int64_t> visited{block};
    text.reserve(total);
    while (text.size() < total) {
        const std::size_t count = sources::LE16(blockHeader.data() + 8);
        const std::size_t n = std::min<std::size_t>(total - text.size(), count);
        if (n == 0)
            blobDamaged();
        const std::size_t before = text.size();
        text.resize(before + n);
        auto piece = std::span<std::uint8_t>(reinterpret_cast<std::uint8_t *>(text.data()) + before, n);
        if (!blob_->Read(piece))
            blobDamaged();
        if (DeciphersBlobs())
            Decipher(piece, false, true, true);
        if (text.size() == total)
            break;
        // Without a next block the BLOB goes on in the bytes that follow.
        const std::int64_t next = static_cast<std::int32_t>(sources::LE32(blockHeader.data() + 4));
        if (next > 0) {
            if (!visited.insert(next).second || !ReadBlobBlockHeader(next, blockHeader))
                blobDamaged();
        }
    }
}

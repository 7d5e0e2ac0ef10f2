#include "sources/dbase/DbfMemo.h"

#include "sources/common/ByteView.h"
#include "sources/common/CompanionFile.h"

#include <array>
#include <filesystem>
#include <vector>

namespace sources::dbase {

namespace {

constexpr std::size_t memoHeaderSize = 512;
constexpr int defaultBlockSize = 512;

bool hasNoLength(TDBFVersion version) { return version == TDBFVersion::dBase3 || version == TDBFVersion::dBase3Memo; }

bool usesFoxProMemo(TDBFVersion version, TDBFMemoType memoType)
{
    return IsFoxProFamily(version) || memoType == TDBFMemoType::dmFPT;
}

// Two end-of-file characters, or one followed by two zeros, end a dBase III memo.
std::size_t terminatorAt(const std::string &text, std::size_t from)
{
    for (std::size_t i = from; i + 1 < text.size(); ++i) {
        if (text[i] != '\x1A')
            continue;
        if (text[i + 1] == '\x1A')
            return i;
        if (i + 2 < text.size() && text[i + 1] == '\0' && text[i + 2] == '\0')
            return i;
    }
    return std::string::npos;
}

std::string findMemoFile(const std::string &tableFileName, TDBFVersion version, TDBFMemoType memoType)
{
    const std::string name = sources::FindCompanionFile(tableFileName, MemoExtension(version, memoType));
    if (!name.empty() || version != TDBFVersion::HyperSix)
        return name;
    std::filesystem::path bare(tableFileName);
    bare.replace_extension();
    std::error_code error;
    return std::filesystem::is_regular_file(bare, error) ? bare.string() : std::string();
}

} // namespace

std::string MemoExtension(TDBFVersion version, TDBFMemoType memoType)
{
    if (usesFoxProMemo(version, memoType))
        return ".fpt";
    return memoType == TDBFMemoType::dmSMT ? ".smt" : ".dbt";
}

std::unique_ptr<TDBFMemoFile> TDBFMemoFile::Open(const std::string &tableFileName, TDBFVersion version,
                                                 TDBFMemoType memoType)
{
    const std::string name = findMemoFile(tableFileName, version, memoType);
    if (name.empty())
        return nullptr;
    auto file = sources::OpenSharedForReading(name);
    if (!file)
        return nullptr;
    std::istream &stream = *file;
    std::unique_ptr<TDBFMemoFile> memo(
        new TDBFMemoFile(std::move(file), stream, version, usesFoxProMemo(version, memoType)));
    memo->ReadHeader();
    return memo;
}

std::unique_ptr<TDBFMemoFile> TDBFMemoFile::FromStream(std::istream &stream, TDBFVersion version, TDBFMemoType memoType)
{
    std::unique_ptr<TDBFMemoFile> memo(new TDBFMemoFile(nullptr, stream, version, usesFoxProMemo(version, memoType)));
    memo->ReadHeader();
    return memo;
}

TDBFMemoFile::TDBFMemoFile(std::unique_ptr<std::istream> file, std::istream &stream, TDBFVersion version, bool foxPro)
    : file_(std::move(file)), stream_(stream), version_(version), foxPro_(foxPro)
{
}

void TDBFMemoFile::ReadHeader()
{
    std::array<std::uint8_t, memoHeaderSize> header{};
    stream_.Seek(0);
    stream_.ReadSome(header); // a short header reads as zeros: the default block size
    int size = foxPro_ ? sources::BE16(header.data() + 6) : sources::LE16(header.data() + 20);
    if (size == 0)
        size = defaultBlockSize;
    if (version_ == TDBFVersion::dBase3Memo && (size & 0xFF) != 0)
        size = defaultBlockSize;
    blockSize_ = size;
}

std::string TDBFMemoFile::Read(std::uint64_t block)
{
    if (block == 0)
        return {};
    const std::uint64_t start = block * static_cast<std::uint64_t>(blockSize_);
    if (start / static_cast<std::uint64_t>(blockSize_) != block ||
        start >= static_cast<std::uint64_t>(stream_.Size()) || !stream_.Seek(static_cast<std::int64_t>(start)))
        return {};
    return hasNoLength(version_) ? ReadTerminated() : ReadCounted();
}

// dBase III memos carry no length: they run, block after block, to their terminator.
std::string TDBFMemoFile::ReadTerminated()
{
    std::string text;
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(blockSize_));
    while (stream_.Remaining() > 0) {
        const std::size_t got = stream_.ReadSome(chunk);
        if (got == 0)
            break;
        const std::size_t searchFrom = text.size() >= 2 ? text.size() - 2 : 0;
        text.append(reinterpret_cast<const char *>(chunk.data()), got);
        const std::size_t end = terminatorAt(text, searchFrom);
        if (end != std::string::npos) {
            text.resize(end);
            break;
        }
    }
    return text;
}

std::string TDBFMemoFile::ReadCounted()
{
    std::array<std::uint8_t, 8> blockHeader{};
    if (!stream_.Read(blockHeader))
        return {};
    const std::uint32_t length = foxPro_ ? sources::BE32(blockHeader.data() + 4)
                                         : sources::LE32(blockHeader.data() + 4);
    if (length == 0)
        return {};
    if ((version_ == TDBFVersion::dBase4 || version_ == TDBFVersion::dBase4Memo) &&
        !stream_.Seek(stream_.Position() + 8))
        return {};
    // a length beyond the file is damage: what the file holds is all there is
    const std::int64_t wanted = std::min<std::int64_t>(length, stream_.Remaining());
    std::string text(static_cast<std::size_t>(wanted), '\0');
    const std::size_t got = stream_.ReadSome({reinterpret_cast<std::uint8_t *>(text.data()), text.size()});
    text.resize(got);
    return text;
}

} // namespace sources::dbase

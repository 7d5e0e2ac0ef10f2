#include "sources/access/AccessDatabase.h"

#include "sources/access/ReaderProcess.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace sources::access {

namespace {

// What a reading process answers with, before its end.
enum TTag : char {
    tgFields = 'F',
    tgCount = 'N',
    tgRow = 'R',
    tgName = 'T',
};

// What is asked of a reading process.
enum TRequestKind : char {
    rqTableNames = 'L',
    rqTable = 'O',
};

// A request as it goes to the reading process: what is asked, of which database (a file
// or the bytes themselves, which go last and are not copied on the way) and, for a
// table's records, of which table.
struct TRequest {
    TRequestKind Kind = rqTableNames;
    bool InMemory = false;
    std::string_view FileName;
    std::string_view Table;
    std::string_view Bytes;

    // A request of a database in a file, or in memory when bytes are given.
    static TRequest Of(TRequestKind kind, std::string_view fileName, const void *bytes, std::size_t size,
                       std::string_view table)
    {
        TRequest request;
        request.Kind = kind;
        request.InMemory = bytes != nullptr;
        request.FileName = fileName;
        request.Table = table;
        if (bytes)
            request.Bytes = {static_cast<const char *>(bytes), size};
        return request;
    }

    // All but the bytes.
    std::string Head() const
    {
        std::string out(1, Kind);
        out += InMemory ? '1' : '0';
        for (const std::string_view part : {FileName, Table}) {
            const auto size = static_cast<std::uint64_t>(part.size());
            out.append(reinterpret_cast<const char *>(&size), sizeof size);
            out += part;
        }
        return out;
    }

    // The parts point into the request.
    static TRequest Decoded(std::string_view in)
    {
        TRequest request;
        if (in.size() < 2)
            throw EAccessError("The Access database cannot be read: a malformed request");
        request.Kind = static_cast<TRequestKind>(in[0]);
        request.InMemory = in[1] == '1';
        in.remove_prefix(2);
        for (std::string_view *part : {&request.FileName, &request.Table}) {
            std::uint64_t size = 0;
            if (in.size() < sizeof size)
                throw EAccessError("The Access database cannot be read: a malformed request");
            std::memcpy(&size, in.data(), sizeof size);
            in.remove_prefix(sizeof size);
            if (in.size() < size)
                throw EAccessError("The Access database cannot be read: a malformed request");
            *part = in.substr(0, static_cast<std::size_t>(size));
            in.remove_prefix(static_cast<std::size_t>(size));
        }
        request.Bytes = in;
        return request;
    }
};

void writeTable(TMdbFile &file, const std::string &name, TReplyWriter &writer)
{
    const std::unique_ptr<TRecordset> table = file.OpenTable(name);
    writer.Byte(tgFields);
    writer.Number(static_cast<std::uint32_t>(table->Fields().size()));
    for (const TRecordsetField &field : table->Fields()) {
        writer.Text(field.Name);
        writer.Byte(static_cast<char>(field.DataType));
        writer.Byte(static_cast<char>(field.Alignment));
        writer.Number(field.Size);
        writer.Number(field.Precision);
    }
    writer.Byte(tgCount);
    writer.Number(table->RecordCount().value_or(-1));
    // A row goes out whole or not at all: a value that cannot be read raises before any
    // of its row is written, so the error that follows is never taken for the row's values.
    std::vector<Variant> values(table->Fields().size());
    for (table->MoveFirst(); !table->Eof(); table->MoveNext()) {
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = table->Value(static_cast<int>(i));
        writer.Byte(tgRow);
        for (const Variant &value : values)
            writer.Value(value);
    }
}

// What tells that a file has changed since it was opened.
struct TFileStamp {
    dev_t Device = 0;
    ino_t Node = 0;
    off_t Size = 0;
    std::int64_t ModifiedSeconds = 0;
    long ModifiedNanoseconds = 0;

    bool operator==(const TFileStamp &) const = default;

    static std::optional<TFileStamp> Of(const std::string &fileName)
    {
        struct stat status {};
        if (stat(fileName.c_str(), &status) != 0)
            return std::nullopt;
        return TFileStamp{status.st_dev, status.st_ino, status.st_size, status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
    }
};

// The database the reading process opened last, kept for the requests that follow (the
// table list, then a table's records): opening reads the whole catalogue. A file is
// opened anew when it has changed in between.
class TOpenDatabase {
public:
    static TMdbFile &For(const TRequest &request)
    {
        static std::unique_ptr<TOpenDatabase> last;
        const std::optional<TFileStamp> stamp = request.InMemory ? std::nullopt
                                                                 : TFileStamp::Of(std::string(request.FileName));
        if (!last || !last->Holds(request, stamp)) {
            last.reset();
            last = std::make_unique<TOpenDatabase>(request, stamp);
        }
        return last->file_;
    }

    TOpenDatabase(const TRequest &request, std::optional<TFileStamp> stamp)
        : inMemory_(request.InMemory),
          fileName_(request.FileName),
          bytes_(request.Bytes),
          stamp_(stamp),
          file_(inMemory_ ? TMdbFile(bytes_.data(), bytes_.size()) : TMdbFile(fileName_))
    {
    }

private:
    bool Holds(const TRequest &request, const std::optional<TFileStamp> &stamp) const
    {
        if (request.InMemory != inMemory_)
            return false;
        if (inMemory_)
            return request.Bytes == bytes_;
        return request.FileName == fileName_ && stamp && stamp == stamp_;
    }

    bool inMemory_;
    std::string fileName_;
    std::string bytes_; // read by mdbtools in place
    std::optional<TFileStamp> stamp_;
    TMdbFile file_;
};

void serveRequest(std::string_view encoded, TReplyWriter &writer)
{
    const TRequest request = TRequest::Decoded(encoded);
    TMdbFile &file = TOpenDatabase::For(request);
    if (request.Kind == rqTable) {
        writeTable(file, std::string(request.Table), writer);
        return;
    }
    for (const std::string &name : file.TableNames()) {
        writer.Byte(tgName);
        writer.Text(name);
    }
}

// A table's records as a reading process sends them. The process goes back to the idle
// ones once the last record is read.
class TProcessRecordset : public TRecordset {
public:
    TProcessRecordset(std::string head, std::string_view bytes, int silenceLimit)
        : head_(std::move(head)), bytes_(bytes), silenceLimit_(silenceLimit)
    {
        Start();
    }

    void MoveFirst() override
    {
        if (started_)
            Start(); // read forward only: the first record again is a new reading
        started_ = true;
        MoveNext();
    }
    void MoveNext() override
    {
        started_ = true;
        values_.clear();
        if (!lease_) {
            eof_ = true;
            return;
        }
        if ((*lease_)->Tag() != tgRow) {
            lease_.reset();
            eof_ = true;
            return;
        }
        eof_ = false;
        for (std::size_t i = 0; i < fields_.size(); ++i)
            values_.push_back((*lease_)->Value());
    }
    bool Eof() const override { return eof_; }
    std::optional<std::int64_t> RecordCount() const override { return count_; }
    Variant Value(int field) override
    {
        return field >= 0 && static_cast<std::size_t>(field) < values_.size() ? values_[static_cast<std::size_t>(field)]
                                                                              : Variant::Null();
    }

private:
    void Start()
    {
        lease_.reset();
        lease_ = std::make_unique<TReaderLease>(serveRequest, head_, bytes_, silenceLimit_);
        TReaderProcess &process = **lease_;
        if (process.Tag() != tgFields)
            throw EAccessError("The Access database cannot be read: its reader sent no fields");
        fields_.clear();
        for (auto count = process.Number<std::uint32_t>(); count > 0; --count) {
            TRecordsetField field;
            field.Name = process.Text();
            field.DataType = static_cast<TVxIDataType>(process.Byte());
            field.Alignment = static_cast<TAlignment>(process.Byte());
            field.Size = process.Number<std::int32_t>();
            field.Precision = process.Number<std::int32_t>();
            fields_.push_back(std::move(field));
        }
        process.Tag();
        count_ = process.Number<std::int64_t>();
        eof_ = false;
        values_.clear();
    }

    std::string head_;
    std::string_view bytes_;
    int silenceLimit_;
    std::unique_ptr<TReaderLease> lease_; // until the last record is read
    std::vector<Variant> values_;
    std::int64_t count_ = 0;
    bool eof_ = false;
    bool started_ = false;
};

} // namespace

TAccessDatabase::TAccessDatabase(std::string fileName) : fileName_(std::move(fileName)) {}

TAccessDatabase::TAccessDatabase(const void *bytes, std::size_t size) : bytes_(bytes), size_(size) {}

std::vector<std::string> TAccessDatabase::TableNames() const
{
    const TRequest request = TRequest::Of(rqTableNames, fileName_, bytes_, size_, {});
    TReaderLease lease(serveRequest, request.Head(), request.Bytes, SilenceLimitMilliseconds);
    std::vector<std::string> names;
    while (lease->Tag() == tgName)
        names.push_back(lease->Text());
    return names;
}

std::unique_ptr<TRecordset> TAccessDatabase::OpenTable(const std::string &name) const
{
    const TRequest request = TRequest::Of(rqTable, fileName_, bytes_, size_, name);
    return std::make_unique<TProcessRecordset>(request.Head(), request.Bytes, SilenceLimitMilliseconds);
}

} // namespace sources::access

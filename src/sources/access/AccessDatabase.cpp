#include "sources/access/AccessDatabase.h"

#include "sources/access/ReaderProcess.h"

#include <cstdint>
#include <cstring>

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
// or the bytes themselves) and, for a table's records, of which table.
struct TRequest {
    TRequestKind Kind = rqTableNames;
    bool InMemory = false;
    std::string FileName;
    std::string Bytes;
    std::string Table;

    std::string Encoded() const
    {
        std::string out(1, Kind);
        out += InMemory ? '1' : '0';
        for (const std::string *part : {&FileName, &Bytes, &Table}) {
            const auto size = static_cast<std::uint64_t>(part->size());
            out.append(reinterpret_cast<const char *>(&size), sizeof size);
            out += *part;
        }
        return out;
    }

    static TRequest Decoded(const std::string &in)
    {
        TRequest request;
        if (in.size() < 2)
            throw EAccessError("The Access database cannot be read: a malformed request");
        request.Kind = static_cast<TRequestKind>(in[0]);
        request.InMemory = in[1] == '1';
        std::size_t at = 2;
        for (std::string *part : {&request.FileName, &request.Bytes, &request.Table}) {
            std::uint64_t size = 0;
            if (in.size() - at < sizeof size)
                throw EAccessError("The Access database cannot be read: a malformed request");
            std::memcpy(&size, in.data() + at, sizeof size);
            at += sizeof size;
            if (in.size() - at < size)
                throw EAccessError("The Access database cannot be read: a malformed request");
            part->assign(in, at, static_cast<std::size_t>(size));
            at += static_cast<std::size_t>(size);
        }
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
    for (table->MoveFirst(); !table->Eof(); table->MoveNext()) {
        writer.Byte(tgRow);
        for (std::size_t i = 0; i < table->Fields().size(); ++i)
            writer.Value(table->Value(static_cast<int>(i)));
    }
}

// What the reading process does: it opens the database anew for each request, so that
// a file changed in between is read as it is now.
void serveRequest(const std::string &encoded, TReplyWriter &writer)
{
    const TRequest request = TRequest::Decoded(encoded);
    TMdbFile file = request.InMemory ? TMdbFile(request.Bytes.data(), request.Bytes.size())
                                     : TMdbFile(request.FileName);
    if (request.Kind == rqTable) {
        writeTable(file, request.Table, writer);
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
    TProcessRecordset(std::string request, int silenceLimit) : request_(std::move(request)), silenceLimit_(silenceLimit)
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
        lease_ = std::make_unique<TReaderLease>(serveRequest, request_, silenceLimit_);
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

    std::string request_;
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

std::string TAccessDatabase::Request(char kind, const std::string &table) const
{
    TRequest request;
    request.Kind = static_cast<TRequestKind>(kind);
    request.InMemory = bytes_ != nullptr;
    request.FileName = fileName_;
    if (bytes_)
        request.Bytes.assign(static_cast<const char *>(bytes_), size_);
    request.Table = table;
    return request.Encoded();
}

std::vector<std::string> TAccessDatabase::TableNames() const
{
    TReaderLease lease(serveRequest, Request(rqTableNames, {}), SilenceLimitMilliseconds);
    std::vector<std::string> names;
    while (lease->Tag() == tgName)
        names.push_back(lease->Text());
    return names;
}

std::unique_ptr<TRecordset> TAccessDatabase::OpenTable(const std::string &name) const
{
    return std::make_unique<TProcessRecordset>(Request(rqTable, name), SilenceLimitMilliseconds);
}

} // namespace sources::access

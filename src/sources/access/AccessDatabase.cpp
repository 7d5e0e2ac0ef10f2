#include "sources/access/AccessDatabase.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace sources::access {

namespace {

// What the reading process sends: a tag byte, then the tag's data.
enum TTag : char {
    tgFields = 'F',
    tgCount = 'N',
    tgRow = 'R',
    tgName = 'T',
    tgEnd = 'E',
    tgError = 'X',
};
// The kinds of value.
enum TKind : char {
    kdNull = 'n',
    kdBoolean = 'b',
    kdInteger = 'i',
    kdInt64 = 'l',
    kdDouble = 'd',
    kdDate = 't',
    kdString = 's',
};

// Buffered writes of the reading process to its pipe; a parent that has gone ends it.
class TWriter {
public:
    explicit TWriter(int fd) : fd_(fd) {}
    void Byte(char c) { Put(&c, 1); }
    template <class T> void Number(T value) { Put(&value, sizeof value); }
    void Text(const std::string &text)
    {
        Number(static_cast<std::uint32_t>(text.size()));
        Put(text.data(), text.size());
    }
    void Value(const Variant &value)
    {
        switch (value.VarType()) {
        case TVarType::varBoolean: Byte(kdBoolean), Byte(value.AsBoolean() ? 1 : 0); break;
        case TVarType::varShortInt:
        case TVarType::varSmallint:
        case TVarType::varInteger: Byte(kdInteger), Number(value.AsInteger()); break;
        case TVarType::varInt64: Byte(kdInt64), Number(value.AsInt64()); break;
        case TVarType::varDouble: Byte(kdDouble), Number(value.AsDouble()); break;
        case TVarType::varDate: Byte(kdDate), Number(value.AsDateTime()); break;
        case TVarType::varString:
        case TVarType::varWideString: Byte(kdString), Text(*value.StringPointer()); break;
        default: Byte(kdNull); break;
        }
    }
    void Flush()
    {
        const char *p = buffer_.data();
        std::size_t left = buffer_.size();
        while (left > 0) {
            const ssize_t n = write(fd_, p, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                _exit(1);
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        buffer_.clear();
    }

private:
    void Put(const void *bytes, std::size_t count)
    {
        buffer_.append(static_cast<const char *>(bytes), count);
        if (buffer_.size() >= 64 * 1024)
            Flush();
    }

    int fd_;
    std::string buffer_;
};

// A reading process and the pipe it writes to. Ending it stops the process: it is one
// this object started.
class TReaderProcess {
public:
    TReaderProcess(const std::function<void(TWriter &)> &work, int silenceLimit) : silenceLimit_(silenceLimit)
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            throw EAccessError("The Access database cannot be read: no pipe to a reading process");
        pid_ = fork();
        if (pid_ < 0) {
            close(fds[0]);
            close(fds[1]);
            throw EAccessError("The Access database cannot be read: no reading process");
        }
        if (pid_ == 0)
            Serve(fds[1], fds[0], work);
        close(fds[1]);
        fd_ = fds[0];
    }
    ~TReaderProcess()
    {
        close(fd_);
        kill(pid_, SIGKILL);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    TReaderProcess(const TReaderProcess &) = delete;
    TReaderProcess &operator=(const TReaderProcess &) = delete;

    char Byte()
    {
        char c = 0;
        Get(&c, 1);
        return c;
    }
    template <class T> T Number()
    {
        T value{};
        Get(&value, sizeof value);
        return value;
    }
    std::string Text()
    {
        std::string text(Number<std::uint32_t>(), '\0');
        Get(text.data(), text.size());
        return text;
    }
    Variant Value()
    {
        switch (Byte()) {
        case kdBoolean: return Variant(Byte() != 0);
        case kdInteger: return Variant(Number<std::int32_t>());
        case kdInt64: return Variant(Number<std::int64_t>());
        case kdDouble: return Variant(Number<double>());
        case kdDate: return Variant::DateTime(Number<double>());
        case kdString: return Variant(Text());
        default: return Variant::Null();
        }
    }
    // The tag of what comes next; the reading process's own error is raised.
    char Tag()
    {
        const char tag = Byte();
        if (tag == tgError)
            throw EAccessError(Text());
        return tag;
    }

private:
    [[noreturn]] static void Serve(int out, int in, const std::function<void(TWriter &)> &work)
    {
        close(in);
        signal(SIGPIPE, SIG_DFL);
        // mdbtools writes its complaints (and dumps of damaged pages) to the standard
        // output and error; the reader reports its own.
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        TWriter writer(out);
        try {
            work(writer);
            writer.Byte(tgEnd);
        } catch (const std::exception &e) {
            writer.Byte(tgError);
            writer.Text(e.what());
        }
        writer.Flush();
        _exit(0);
    }

    void Get(void *bytes, std::size_t count)
    {
        auto *p = static_cast<char *>(bytes);
        while (count > 0) {
            pollfd wait{fd_, POLLIN, 0};
            const int ready = poll(&wait, 1, silenceLimit_);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready == 0)
                throw EAccessError("The Access database cannot be read: its reader got stuck (is the file damaged?)");
            const ssize_t n = read(fd_, p, count);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw EAccessError("The Access database cannot be read: its reader stopped (is the file damaged?)");
            p += n;
            count -= static_cast<std::size_t>(n);
        }
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    int silenceLimit_;
};

// A table's records as the reading process sends them.
class TProcessRecordset : public TRecordset {
public:
    TProcessRecordset(std::function<void(TWriter &)> work, int silenceLimit)
        : work_(std::move(work)), silenceLimit_(silenceLimit)
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
        if (ended_) {
            eof_ = true;
            return;
        }
        if (process_->Tag() != tgRow) {
            ended_ = eof_ = true;
            return;
        }
        eof_ = false;
        for (std::size_t i = 0; i < fields_.size(); ++i)
            values_.push_back(process_->Value());
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
        process_.reset();
        process_ = std::make_unique<TReaderProcess>(work_, silenceLimit_);
        if (process_->Tag() != tgFields)
            throw EAccessError("The Access database cannot be read: its reader sent no fields");
        fields_.clear();
        for (auto count = process_->Number<std::uint32_t>(); count > 0; --count) {
            TRecordsetField field;
            field.Name = process_->Text();
            field.DataType = static_cast<TVxIDataType>(process_->Byte());
            field.Alignment = static_cast<TAlignment>(process_->Byte());
            field.Size = process_->Number<std::int32_t>();
            field.Precision = process_->Number<std::int32_t>();
            fields_.push_back(std::move(field));
        }
        process_->Tag();
        count_ = process_->Number<std::int64_t>();
        eof_ = ended_ = false;
        values_.clear();
    }

    std::function<void(TWriter &)> work_;
    int silenceLimit_;
    std::unique_ptr<TReaderProcess> process_;
    std::vector<Variant> values_;
    std::int64_t count_ = 0;
    bool eof_ = false;
    bool ended_ = false; // the reading process sent its last record
    bool started_ = false;
};

} // namespace

TAccessDatabase::TAccessDatabase(std::string fileName) : fileName_(std::move(fileName)) {}

TAccessDatabase::TAccessDatabase(const void *bytes, std::size_t size) : bytes_(bytes), size_(size) {}

std::vector<std::string> TAccessDatabase::TableNames() const
{
    TReaderProcess process(
        [this](TWriter &writer) {
            const TMdbFile file = bytes_ ? TMdbFile(bytes_, size_) : TMdbFile(fileName_);
            for (const std::string &name : file.TableNames()) {
                writer.Byte(tgName);
                writer.Text(name);
            }
        },
        SilenceLimitMilliseconds);
    std::vector<std::string> names;
    while (process.Tag() == tgName)
        names.push_back(process.Text());
    return names;
}

std::unique_ptr<TRecordset> TAccessDatabase::OpenTable(const std::string &name) const
{
    auto work = [fileName = fileName_, bytes = bytes_, size = size_, name](TWriter &writer) {
        TMdbFile file = bytes ? TMdbFile(bytes, size) : TMdbFile(fileName);
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
    };
    return std::make_unique<TProcessRecordset>(std::move(work), SilenceLimitMilliseconds);
}

} // namespace sources::access

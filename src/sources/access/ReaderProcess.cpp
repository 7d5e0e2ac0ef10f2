#include "sources/access/ReaderProcess.h"

#include "sources/access/MdbFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <mutex>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace sources::access {

namespace {

// The kinds of value in an answer.
enum TKind : char {
    kdNull = 'n',
    kdBoolean = 'b',
    kdInteger = 'i',
    kdInt64 = 'l',
    kdDouble = 'd',
    kdDate = 't',
    kdString = 's',
};

// A process serves this many requests and is then replaced: whatever the library it
// calls leaks on damaged files stays bounded.
constexpr int RequestsPerProcess = 1000;
// Idle processes kept: a table being read and the table list asked meanwhile.
constexpr std::size_t IdleProcesses = 2;
// The socket's end in the reading process.
constexpr int ServiceFd = 3;

// Reads exactly count bytes; false at the end of the stream or on an error.
bool readAll(int fd, void *bytes, std::size_t count)
{
    auto *p = static_cast<char *>(bytes);
    while (count > 0) {
        const ssize_t n = read(fd, p, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

[[noreturn]] void serve(int fd, pid_t parent, TReaderService service)
{
    // A process that outlives the program, or that a Ctrl+C meant for the program stops
    // mid-answer, would help nobody: the program decides when it ends.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(0);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGINT, SIG_IGN);
    signal(SIGTERM, SIG_DFL);
    // The program's crash handlers (the database engine's among them) are for the program;
    // run here on a fault of the library they would act on a copy of its state. A fault
    // just ends this process, which the program sees.
    for (const int fault : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        signal(fault, SIG_DFL);
    // The program's files, sockets and the other reading processes' sockets are none of
    // this process's business, and it must not keep them open for as long as it lives.
    // The library writes its complaints (and dumps of damaged pages) to the standard output
    // and error; the answers carry the reader's own.
    if (dup2(fd, ServiceFd) < 0)
        _exit(1);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
    }
    close_range(ServiceFd + 1, ~0U, 0);
    // Every request takes and gives back buffers of a few hundred kilobytes (a table's
    // text buffers, the request itself); mapped afresh each time, their pages cost more
    // than the reading.
    mallopt(M_MMAP_THRESHOLD, 8 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
    for (;;) {
        std::uint32_t size = 0;
        if (!readAll(ServiceFd, &size, sizeof size))
            _exit(0);
        std::string request(size, '\0');
        if (!readAll(ServiceFd, request.data(), request.size()))
            _exit(0);
        TReplyWriter writer(ServiceFd);
        try {
            service(request, writer);
            writer.Byte(tgAnswerEnd);
        } catch (const std::exception &e) {
            writer.Byte(tgAnswerError);
            writer.Text(e.what());
        } catch (...) {
            // Nothing may unwind past here: what lies above is the program's own stack.
            writer.Byte(tgAnswerError);
            writer.Text("The Access database cannot be read: its reader failed");
        }
        writer.Flush();
    }
}

// The idle reading processes of the whole program.
class TIdleProcesses {
public:
    static TIdleProcesses &Instance()
    {
        static TIdleProcesses idle;
        return idle;
    }

    std::unique_ptr<TReaderProcess> Take(TReaderService service, bool &reused)
    {
        std::unique_ptr<TReaderProcess> taken;
        {
            const std::lock_guard lock(mutex_);
            for (auto it = processes_.begin(); it != processes_.end(); ++it)
                if ((*it)->Service() == service) {
                    taken = std::move(*it);
                    processes_.erase(it);
                    break;
                }
        }
        reused = taken && !taken->Ended();
        if (reused)
            return taken;
        taken.reset();
        return std::make_unique<TReaderProcess>(service);
    }

    void Give(std::unique_ptr<TReaderProcess> process)
    {
        if (!process->Answered() || process->Served() >= RequestsPerProcess)
            return;
        const std::lock_guard lock(mutex_);
        if (processes_.size() < IdleProcesses)
            processes_.push_back(std::move(process));
        // otherwise the process is stopped as this returns, outside the lock
    }

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<TReaderProcess>> processes_;
};

} // namespace

void TReplyWriter::Text(const std::string &text)
{
    Number(static_cast<std::uint32_t>(text.size()));
    Put(text.data(), text.size());
}

void TReplyWriter::Value(const Variant &value)
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

void TReplyWriter::Flush()
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

void TReplyWriter::Put(const void *bytes, std::size_t count)
{
    buffer_.append(static_cast<const char *>(bytes), count);
    if (buffer_.size() >= 64 * 1024)
        Flush();
}

TReaderProcess::TReaderProcess(TReaderService service) : service_(service)
{
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        throw EAccessError("The Access database cannot be read: no socket to a reading process");
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) {
        close(fds[0]);
        close(fds[1]);
        throw EAccessError("The Access database cannot be read: no reading process");
    }
    if (pid_ == 0)
        serve(fds[1], parent, service);
    close(fds[1]);
    fd_ = fds[0];
}

TReaderProcess::~TReaderProcess()
{
    close(fd_);
    if (ended_)
        return;
    kill(pid_, SIGKILL);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
}

bool TReaderProcess::Ended()
{
    int status = 0;
    if (!ended_)
        ended_ = waitpid(pid_, &status, WNOHANG) != 0;
    return ended_;
}

bool TReaderProcess::Ask(std::string_view head, std::string_view tail, int silenceLimit)
{
    silenceLimit_ = silenceLimit;
    answered_ = false;
    ++served_;
    inStart_ = inEnd_ = 0;
    if (head.size() + tail.size() > UINT32_MAX)
        throw EAccessError("The Access database cannot be read: it is too large");
    const auto size = static_cast<std::uint32_t>(head.size() + tail.size());
    return Send({reinterpret_cast<const char *>(&size), sizeof size}, head, tail) && Fill();
}

bool TReaderProcess::Send(std::string_view size, std::string_view head, std::string_view tail)
{
    iovec parts[3] = {{const_cast<char *>(size.data()), size.size()},
                      {const_cast<char *>(head.data()), head.size()},
                      {const_cast<char *>(tail.data()), tail.size()}};
    iovec *part = parts;
    std::size_t count = 3;
    while (count > 0) {
        if (part->iov_len == 0) {
            ++part, --count;
            continue;
        }
        if (!Wait(POLLOUT))
            return false;
        msghdr message{};
        message.msg_iov = part;
        message.msg_iovlen = count;
        const ssize_t n = sendmsg(fd_, &message, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        for (auto sent = static_cast<std::size_t>(n); sent > 0;) {
            const std::size_t taken = std::min(sent, part->iov_len);
            part->iov_base = static_cast<char *>(part->iov_base) + taken;
            part->iov_len -= taken;
            sent -= taken;
            if (part->iov_len == 0)
                ++part, --count;
        }
    }
    return true;
}

// Reads what the process has sent into the buffer, which must be used up; false when the
// process's end is closed.
bool TReaderProcess::Fill()
{
    inStart_ = inEnd_ = 0;
    for (;;) {
        if (!Wait(POLLIN))
            return false;
        const ssize_t n = read(fd_, in_.data(), in_.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        inEnd_ = static_cast<std::size_t>(n);
        return true;
    }
}

// Waits for the socket to be ready; false when the process's end is closed.
bool TReaderProcess::Wait(short events)
{
    for (;;) {
        pollfd wait{fd_, events, 0};
        const int ready = poll(&wait, 1, silenceLimit_);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            throw EAccessError("The Access database cannot be read: its reader got stuck (is the file damaged?)");
        if (ready < 0)
            return false;
        // Data still waiting to be read counts before a closed end.
        return (wait.revents & events) != 0;
    }
}

char TReaderProcess::Byte()
{
    char c = 0;
    Get(&c, 1);
    return c;
}

std::string TReaderProcess::Text()
{
    std::string text;
    std::size_t left = Number<std::uint32_t>();
    text.reserve(left);
    while (left > 0) {
        const std::size_t taken = std::min(left, Buffered());
        text.append(in_.data() + inStart_, taken);
        inStart_ += taken;
        left -= taken;
    }
    return text;
}

Variant TReaderProcess::Value()
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

char TReaderProcess::Tag()
{
    const char tag = Byte();
    if (tag == tgAnswerEnd)
        answered_ = true;
    if (tag == tgAnswerError) {
        std::string message = Text();
        answered_ = true;
        throw EAccessError(message);
    }
    return tag;
}

void TReaderProcess::Get(void *bytes, std::size_t count)
{
    auto *p = static_cast<char *>(bytes);
    while (count > 0) {
        const std::size_t taken = std::min(count, Buffered());
        std::memcpy(p, in_.data() + inStart_, taken);
        inStart_ += taken;
        p += taken;
        count -= taken;
    }
}

// What is in the buffer, read from the process when nothing is.
std::size_t TReaderProcess::Buffered()
{
    if (inStart_ == inEnd_ && !Fill())
        throw EAccessError("The Access database cannot be read: its reader stopped (is the file damaged?)");
    return inEnd_ - inStart_;
}

TReaderLease::TReaderLease(TReaderService service, std::string_view head, std::string_view tail, int silenceLimit)
{
    bool reused = false;
    process_ = TIdleProcesses::Instance().Take(service, reused);
    if (process_->Ask(head, tail, silenceLimit))
        return;
    // An idle process may have been ended meanwhile (by the system, short of memory); a
    // new one that does not answer has crashed on the request.
    if (reused) {
        process_ = std::make_unique<TReaderProcess>(service);
        if (process_->Ask(head, tail, silenceLimit))
            return;
    }
    throw EAccessError("The Access database cannot be read: its reader stopped (is the file damaged?)");
}

TReaderLease::~TReaderLease()
{
    if (process_)
        TIdleProcesses::Instance().Give(std::move(process_));
}

} // namespace sources::access

#pragma once

#include "values/Variant.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace sources::access {

// An answer of a reading process as it is written: buffered, sent through the socket
// when the buffer fills or the answer ends. A parent that has gone ends the process.
class TReplyWriter {
public:
    explicit TReplyWriter(int fd) : fd_(fd) {}
    void Byte(char c) { Put(&c, 1); }
    template <class T> void Number(T value) { Put(&value, sizeof value); }
    void Text(const std::string &text);
    void Value(const Variant &value);
    void Flush();

private:
    void Put(const void *bytes, std::size_t count);

    int fd_;
    std::string buffer_;
};

// What a reading process does with a request: writes its answer, or raises.
using TReaderService = void (*)(std::string_view request, TReplyWriter &writer);

// A process forked from this one that serves requests one after another over a socket:
// code that trusts its file (and may loop or crash on a damaged one) runs there, and
// this process only reads answers. Ending the object stops the process: it is one this
// object started.
class TReaderProcess {
public:
    explicit TReaderProcess(TReaderService service);
    ~TReaderProcess();
    TReaderProcess(const TReaderProcess &) = delete;
    TReaderProcess &operator=(const TReaderProcess &) = delete;

    // Sends the request (its two parts one after the other) and waits for its answer to
    // begin: false when the process has gone. Raises EAccessError when it stays silent
    // too long.
    bool Ask(std::string_view head, std::string_view tail, int silenceLimit);

    char Byte();
    template <class T> T Number()
    {
        T value{};
        Get(&value, sizeof value);
        return value;
    }
    std::string Text();
    Variant Value();
    // The tag of what comes next in the answer; the process's own error is raised.
    char Tag();

    // Whether the last answer was read to its end: the process waits for the next request.
    bool Answered() const { return answered_; }
    // Whether the process has ended on its own.
    bool Ended();
    TReaderService Service() const { return service_; }
    int Served() const { return served_; }

private:
    bool Send(std::string_view size, std::string_view head, std::string_view tail);
    bool Wait(short events);
    bool Fill();
    std::size_t Buffered();
    void Get(void *bytes, std::size_t count);

    TReaderService service_;
    pid_t pid_ = -1;
    int fd_ = -1;
    int silenceLimit_ = 0;
    int served_ = 0;
    std::array<char, 64 * 1024> in_{}; // the answer as read, from inStart_ to inEnd_
    std::size_t inStart_ = 0;
    std::size_t inEnd_ = 0;
    bool answered_ = true;
    bool ended_ = false; // and reaped: its number may be another process's now
};

// A reading process lent for one request and its answer. Forking a large program and
// tearing the copy down costs more than most reads, so a process whose answer was read
// to its end goes back to the idle ones for the next request; one left mid-answer, stuck
// or gone is stopped.
class TReaderLease {
public:
    TReaderLease(TReaderService service, std::string_view head, std::string_view tail, int silenceLimit);
    ~TReaderLease();
    TReaderLease(const TReaderLease &) = delete;
    TReaderLease &operator=(const TReaderLease &) = delete;

    TReaderProcess &operator*() const { return *process_; }
    TReaderProcess *operator->() const { return process_.get(); }

private:
    std::unique_ptr<TReaderProcess> process_;
};

// What a reading process's answer ends with.
inline constexpr char tgAnswerEnd = 'E';
inline constexpr char tgAnswerError = 'X';

} // namespace sources::access

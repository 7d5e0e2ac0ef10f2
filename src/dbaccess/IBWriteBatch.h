#pragma once

#include "dbaccess/IBSQL.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Statement executions held back and sent many to a round trip, as the parameters of
// EXECUTE BLOCKs that run the statements in their order. Whatever fails — a statement's
// error, a statement that changed other than exactly one row, a block the server cannot
// take — undoes everything sent since the batch began, and the executions stay held for
// the caller to send one by one.
//
// A batch may also be sent ahead: a thread of its own sends it while the caller goes on
// holding the next one, so that reading the source and writing overlap. The caller makes
// no other call on the connection until it has waited for it.
class TIBWriteBatch {
public:
    TIBWriteBatch() = default;
    ~TIBWriteBatch();
    TIBWriteBatch(const TIBWriteBatch &) = delete;
    TIBWriteBatch &operator=(const TIBWriteBatch &) = delete;

    // A statement as a block runs it: its text with "?" for each parameter, and each
    // parameter's type as a PSQL declaration ("TYPE OF COLUMN ...").
    struct TShape {
        std::string Text;
        std::vector<std::string> Types;
        std::size_t RowBytes = 0; // the parameters' size in the message, about
        std::size_t Contexts = 2; // the tables the statement names, an update's twice
    };
    struct THeld {
        int Shape = 0;
        std::vector<TIBValue> Values;
        std::vector<int> Scales;
    };

    // The limits of one block. A row's parameters are declared apiece, so the block's
    // message grows with every row; Firebird 3 takes messages and texts of this size, and
    // every statement of a block names its table (a context, of which a block may have
    // 255). A server that refuses a block gets blocks of half as many rows.
    static constexpr std::size_t MaxMessageBytes = 1000000;
    static constexpr std::size_t MaxTextBytes = 1000000;
    static constexpr std::size_t MaxParams = 8000;
    static constexpr std::size_t MaxContexts = 255;

    void SetConnection(TIBDatabase *database, TIBTransaction *transaction);
    // Rows a batch holds before it is full; 0 or 1 turns holding off.
    void SetMaxRows(std::size_t rows) { maxRows_ = rows; }

    // The shape's number (the same for the same text).
    int AddShape(TShape shape);
    void Hold(int shape, std::vector<TIBValue> values, std::vector<int> scales);
    std::size_t Size() const { return held_.size(); }
    bool Empty() const { return held_.empty(); }
    bool Full() const;
    const THeld &Held(std::size_t index) const { return held_.at(index); }
    void Clear();

    // Sends everything held; true when it all went through, and the batch is empty.
    // False when it was undone: nothing of it stays and the executions are still held.
    bool Send();
    // Starts sending everything held and returns at once; the batch is empty again.
    void SendAhead();
    bool InFlight() const { return inFlight_; }
    // Waits for what was sent ahead: true when it all went through. False when it was
    // undone: Sent() holds its executions until the next SendAhead.
    bool Wait();
    const std::vector<THeld> &Sent() const { return sent_; }
    // True once the server refused a block or a savepoint: holding is then pointless.
    bool Broken() const { return broken_; }
    // The blocks prepared so far, for a test to look at.
    int BlocksPrepared() const { return blocksPrepared_; }

private:
    struct TLayout {
        std::vector<int> shapes; // the shapes the block's rows may take
        std::size_t rows = 0;
    };
    std::size_t RowsFitting(const std::vector<int> &shapes) const;
    std::size_t ParamsOf(int shape) const;
    TIBSQL &Block(const TLayout &layout);
    std::string BlockText(const TLayout &layout) const;
    bool SendRows(const std::vector<THeld> &rows);
    bool SendChunk(const std::vector<THeld> &rows, std::size_t first, std::size_t count);
    void Undo();
    void Work();

    TIBDatabase *database_ = nullptr;
    TIBTransaction *transaction_ = nullptr;
    std::size_t maxRows_ = 0;
    std::vector<TShape> shapes_;
    std::vector<THeld> held_;
    std::vector<bool> present_; // shapes among the held rows
    std::map<std::string, std::unique_ptr<TIBSQL>> blocks_;
    std::unique_ptr<TIBSQL> savepoint_, rollback_;
    std::atomic<bool> broken_ = false;
    std::atomic<std::size_t> rowsCap_ = SIZE_MAX;
    int blocksPrepared_ = 0;

    // Sending ahead. shapesMutex_ guards shapes_ against a shape added while a block is made.
    mutable std::mutex shapesMutex_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::thread worker_;
    bool inFlight_ = false;
    bool job_ = false, done_ = false, stop_ = false;
    bool result_ = false;
    std::exception_ptr error_;
    std::vector<THeld> sent_;
};

// The text with every "?" parameter outside literals, quoted names and comments
// replaced by what `name` makes of its position.
std::string ReplaceParameterMarks(const std::string &text, const std::function<std::string(int)> &name);

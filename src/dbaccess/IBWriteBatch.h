#pragma once

#include "dbaccess/IBSQL.h"

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Statement executions held back and sent many to a round trip, as the parameters of
// EXECUTE BLOCKs that run the statements in their order. Whatever fails — a statement's
// error, a statement that changed other than exactly one row, a block the server cannot
// take — undoes everything sent since the batch began, and the executions stay held for
// the caller to send one by one.
class TIBWriteBatch {
public:
    // A statement as a block runs it: its text with "?" for each parameter, and each
    // parameter's type as a PSQL declaration ("TYPE OF COLUMN ...").
    struct TShape {
        std::string Text;
        std::vector<std::string> Types;
        std::size_t RowBytes = 0; // the parameters' size in the message, about
    };
    struct THeld {
        int Shape = 0;
        std::vector<TIBValue> Values;
        std::vector<int> Scales;
    };

    // The limits of one block. A row's parameters are declared apiece, so the block's
    // message grows with every row: its size stays well inside the 64 KiB a message may
    // have, and its text inside the 64 KiB that servers before Firebird 3 accept.
    static constexpr std::size_t MaxMessageBytes = 60000;
    static constexpr std::size_t MaxTextBytes = 60000;
    static constexpr std::size_t MaxParams = 4000;

    void SetConnection(TIBDatabase *database, TIBTransaction *transaction);
    // Rows a batch holds before it is full; 0 or 1 turns holding off.
    void SetMaxRows(std::size_t rows) { maxRows_ = rows; }
    std::size_t MaxRows() const { return maxRows_; }

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
    // True once the server refused a block or a savepoint: holding is then pointless.
    bool Broken() const { return broken_; }
    // Statements a test may inspect: the blocks prepared so far.
    int BlocksPrepared() const { return blocksPrepared_; }

private:
    struct TLayout {
        std::vector<int> shapes; // the shapes the block's rows may take
        std::size_t rows = 0;
    };
    std::size_t RowsFitting(const std::vector<int> &shapes) const;
    TIBSQL &Block(const TLayout &layout);
    std::string BlockText(const TLayout &layout) const;
    bool SendChunk(std::size_t first, std::size_t count);
    void Undo();

    TIBDatabase *database_ = nullptr;
    TIBTransaction *transaction_ = nullptr;
    std::size_t maxRows_ = 0;
    std::vector<TShape> shapes_;
    std::vector<THeld> held_;
    std::vector<bool> present_; // shapes among the held rows
    std::map<std::string, std::unique_ptr<TIBSQL>> blocks_;
    std::unique_ptr<TIBSQL> savepoint_, rollback_;
    bool broken_ = false;
    int blocksPrepared_ = 0;
};

// The text with every "?" parameter outside literals, quoted names and comments
// replaced by what `name` makes of its position.
std::string ReplaceParameterMarks(const std::string &text, const std::function<std::string(int)> &name);

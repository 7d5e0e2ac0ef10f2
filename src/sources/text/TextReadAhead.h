#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "values/Variant.h"

// Works out the values of the rows of a source, in order, on a thread of its own, a few
// hundred rows ahead of the row loop that takes them: while the loop waits for the
// database to store one row, the next ones are being read and converted.
class TTextReadAhead {
public:
    // Fills the values of one row; raises when the row cannot be read.
    using TRowFunction = std::function<void(std::size_t row, std::vector<Variant> &values)>;

    TTextReadAhead(std::size_t rowCount, std::size_t valueCount, TRowFunction compute);
    ~TTextReadAhead(); // stops the thread and waits for it
    TTextReadAhead(const TTextReadAhead &) = delete;
    TTextReadAhead &operator=(const TTextReadAhead &) = delete;

    // The values of `row`, which must be the row after the one taken last (the first time,
    // row 0). False when it is not, or when working out that row failed: the caller reads
    // it itself, and does not ask again.
    bool Take(std::size_t row, std::vector<Variant> &values);

    static constexpr std::size_t kBatch = 64;     // rows handed over at once
    static constexpr std::size_t kCapacity = 512; // rows held at most, a multiple of kBatch

private:
    void Run();

    const std::size_t rowCount_;
    const std::size_t valueCount_;
    TRowFunction compute_;
    std::vector<Variant> ring_; // kCapacity rows of valueCount_ values

    std::atomic<std::size_t> produced_{0}; // rows ready, from row 0
    std::atomic<std::size_t> consumed_{0}; // rows taken
    std::atomic<bool> stop_{false};
    bool finished_ = false; // the thread left (all done, failed or stopped); under mutex_
    bool failed_ = false;   // taking gave up; the loop reads on its own
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable room_;
    std::thread thread_;
};

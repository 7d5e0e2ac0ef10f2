#include "sources/text/TextReadAhead.h"

#include <algorithm>

TTextReadAhead::TTextReadAhead(std::size_t rowCount, std::size_t valueCount, TRowFunction compute)
    : rowCount_(rowCount), valueCount_(valueCount), compute_(std::move(compute)), ring_(kCapacity * valueCount)
{
    thread_ = std::thread([this] { Run(); });
}

TTextReadAhead::~TTextReadAhead()
{
    stop_ = true;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
    }
    room_.notify_one();
    thread_.join();
}

void TTextReadAhead::Run()
{
    std::vector<Variant> values(valueCount_);
    std::size_t row = 0;
    while (row < rowCount_ && !stop_) {
        const std::size_t end = std::min(row + kBatch, rowCount_);
        {
            std::unique_lock<std::mutex> lock(mutex_);
            room_.wait(lock, [&] { return stop_ || end - consumed_ <= kCapacity; });
        }
        if (stop_)
            break;
        try {
            for (; row < end; ++row) {
                compute_(row, values);
                std::move(values.begin(), values.end(), ring_.begin() + (row % kCapacity) * valueCount_);
            }
        } catch (...) {
            // The rows before this one stand; the loop reads this one itself and meets the
            // same failure there, in its own order.
            produced_.store(row, std::memory_order_release);
            break;
        }
        produced_.store(row, std::memory_order_release);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
        }
        ready_.notify_one();
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    ready_.notify_one();
}

bool TTextReadAhead::Take(std::size_t row, std::vector<Variant> &values)
{
    // Only this thread writes consumed_; the other reads it to know which rows it may reuse.
    if (failed_ || row != consumed_.load(std::memory_order_relaxed)) {
        failed_ = true;
        return false;
    }
    if (row >= produced_.load(std::memory_order_acquire)) {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [&] { return row < produced_ || finished_; });
        if (row >= produced_) {
            failed_ = true;
            return false;
        }
    }
    values.resize(valueCount_);
    const auto first = ring_.begin() + static_cast<std::ptrdiff_t>((row % kCapacity) * valueCount_);
    std::move(first, first + static_cast<std::ptrdiff_t>(valueCount_), values.begin());
    consumed_.store(row + 1, std::memory_order_release);
    if ((row + 1) % kBatch == 0) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
        }
        room_.notify_one();
    }
    return true;
}

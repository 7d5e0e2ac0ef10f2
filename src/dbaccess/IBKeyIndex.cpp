#include "dbaccess/IBKeyIndex.h"

#include <algorithm>
#include <numeric>

void TIBKeyIndex::Clear() { *this = TIBKeyIndex{}; }

void TIBKeyIndex::AddRead(std::string_view key, TValues values)
{
    keys_.append(key);
    offsets_.push_back(keys_.size());
    if (!values.empty() || !values_.empty()) {
        values_.resize(offsets_.size() - 2);
        values_.push_back(std::move(values));
    }
}

void TIBKeyIndex::FinishReading()
{
    const std::size_t count = offsets_.size() - 1;
    if (!values_.empty())
        values_.resize(count);
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [this](std::uint32_t a, std::uint32_t b) { return ReadKey(a) < ReadKey(b); });
    std::string keys;
    keys.reserve(keys_.size());
    std::vector<std::uint64_t> offsets{0};
    std::vector<TValues> values;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view key = ReadKey(order[i]);
        if (i > 0 && key == ReadKey(order[i - 1]))
            continue;
        keys.append(key);
        offsets.push_back(keys.size());
        if (!values_.empty())
            values.push_back(std::move(values_[order[i]]));
    }
    keys_ = std::move(keys);
    offsets_ = std::move(offsets);
    offsets_.shrink_to_fit();
    values_ = std::move(values);
    gone_.assign(offsets_.size() - 1, false);
}

std::ptrdiff_t TIBKeyIndex::FindRead(std::string_view key) const
{
    std::size_t lo = 0, hi = offsets_.size() - 1;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (ReadKey(mid) < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < offsets_.size() - 1 && ReadKey(lo) == key ? static_cast<std::ptrdiff_t>(lo) : -1;
}

const TIBKeyIndex::TValues *TIBKeyIndex::Find(std::string_view key) const
{
    static const TValues none;
    if (!added_.empty())
        if (auto it = added_.find(std::string(key)); it != added_.end())
            return &it->second;
    const std::ptrdiff_t i = FindRead(key);
    if (i < 0 || gone_[static_cast<std::size_t>(i)])
        return nullptr;
    return values_.empty() ? &none : &values_[static_cast<std::size_t>(i)];
}

bool TIBKeyIndex::Erase(std::string_view key, TValues &values)
{
    if (auto it = added_.find(std::string(key)); it != added_.end()) {
        values = std::move(it->second);
        added_.erase(it);
        return true;
    }
    const std::ptrdiff_t i = FindRead(key);
    if (i < 0 || gone_[static_cast<std::size_t>(i)])
        return false;
    gone_[static_cast<std::size_t>(i)] = true;
    values = values_.empty() ? TValues{} : values_[static_cast<std::size_t>(i)];
    return true;
}

bool TIBKeyIndex::Add(std::string_view key, TValues values)
{
    if (Find(key))
        return false;
    // A key read from the table and erased since comes back in its place.
    if (const std::ptrdiff_t i = FindRead(key); i >= 0 && (values_.empty() ? values.empty() : true)) {
        gone_[static_cast<std::size_t>(i)] = false;
        if (!values_.empty())
            values_[static_cast<std::size_t>(i)] = std::move(values);
        return true;
    }
    added_.emplace(std::string(key), std::move(values));
    return true;
}

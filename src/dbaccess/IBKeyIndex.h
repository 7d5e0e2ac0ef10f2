#pragma once

#include "values/Variant.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The keys of a table in little memory: those read from the table sorted in one buffer,
// those written since in a map. Each key may carry a few values (the row's identity when
// it is not the key itself).
class TIBKeyIndex {
public:
    using TValues = std::vector<Variant>;

    // The keys as read: the first of equal keys is the one kept.
    void AddRead(std::string_view key, TValues values);
    // Sorts what was read; lookups work from then on.
    void FinishReading();
    void Clear();

    // The values of the key, or null when the table has no such key.
    const TValues *Find(std::string_view key) const;
    // Takes the key out; false when it was not there.
    bool Erase(std::string_view key, TValues &values);
    // Puts the key in; false when it was there already (the first row stays the one found).
    bool Add(std::string_view key, TValues values);

private:
    std::ptrdiff_t FindRead(std::string_view key) const;
    std::string_view ReadKey(std::size_t i) const
    {
        return std::string_view(keys_).substr(offsets_[i], offsets_[i + 1] - offsets_[i]);
    }

    std::string keys_;
    std::vector<std::uint64_t> offsets_{0};
    std::vector<TValues> values_; // empty when no key carries values
    std::vector<bool> gone_;
    std::unordered_map<std::string, TValues> added_;
};

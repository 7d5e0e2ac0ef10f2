#pragma once

#include "dbaccess/IBSQL.h"

#include <array>
#include <string>
#include <vector>

// The rows a dataset has fetched or posted, each kept as one compact byte string: a
// buffered table of a million rows costs about its data, not its values' bookkeeping.
// A removed row leaves an empty slot so that positions stay stable.
class TIBRowBuffer {
public:
    std::size_t Size() const { return rows_.size(); }
    bool Live(std::size_t i) const { return !rows_[i].empty(); }
    void Clear();
    void Append(const std::vector<TIBValue> &values);
    void Insert(std::size_t at, const std::vector<TIBValue> &values);
    void Replace(std::size_t i, const std::vector<TIBValue> &values);
    void Remove(std::size_t i);

    // The values of a live row. The reference stays valid until two other rows were read
    // or the buffer changed: callers read what they need at once.
    const std::vector<TIBValue> &Values(std::size_t i) const;

private:
    std::string Encode(const std::vector<TIBValue> &values) const;
    static void Decode(const std::string &row, std::vector<TIBValue> &values);
    void Forget() const;

    std::vector<std::string> rows_;
    struct Decoded {
        std::size_t row = static_cast<std::size_t>(-1);
        std::vector<TIBValue> values;
    };
    mutable std::array<Decoded, 2> decoded_;
    mutable std::size_t next_ = 0;
    mutable std::string scratch_;
};

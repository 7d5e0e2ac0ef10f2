#include "dbaccess/IBRowBuffer.h"

#include <cstring>
#include <stdexcept>

namespace {

enum Tag : char { tNull, tEmpty, tFalse, tTrue, tSmallint, tInteger, tInt64, tDouble, tDate, tString };

template <class T> void put(std::string &out, T v) { out.append(reinterpret_cast<const char *>(&v), sizeof v); }

template <class T> T get(const char *&p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
}

void putLength(std::string &out, std::size_t n)
{
    while (n >= 0x80) {
        out += static_cast<char>(n | 0x80);
        n >>= 7;
    }
    out += static_cast<char>(n);
}

std::size_t getLength(const char *&p)
{
    std::size_t n = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        n |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return n;
    }
}

} // namespace

std::string TIBRowBuffer::Encode(const std::vector<TIBValue> &values) const
{
    std::string &out = scratch_;
    out.clear();
    for (const TIBValue &v : values) {
        switch (v.VarType()) {
        case TVarType::varNull: out += tNull; break;
        case TVarType::varEmpty: out += tEmpty; break;
        case TVarType::varBoolean: out += v.AsBoolean() ? tTrue : tFalse; break;
        case TVarType::varShortInt:
        case TVarType::varSmallint:
            out += tSmallint;
            put<std::int16_t>(out, static_cast<std::int16_t>(v.AsInteger()));
            break;
        case TVarType::varInteger:
            out += tInteger;
            put<std::int32_t>(out, v.AsInteger());
            break;
        case TVarType::varInt64:
            out += tInt64;
            put<std::int64_t>(out, v.AsInt64());
            break;
        case TVarType::varDouble:
            out += tDouble;
            put<double>(out, v.AsDouble());
            break;
        case TVarType::varDate:
            out += tDate;
            put<double>(out, v.AsDateTime());
            break;
        case TVarType::varString:
        case TVarType::varWideString: {
            const std::string &s = *v.StringPointer();
            out += tString;
            putLength(out, s.size());
            out += s;
            break;
        }
        case TVarType::varArray: throw std::logic_error("a dataset row cannot hold an array");
        }
    }
    return std::string(out); // exactly as long as the row needs
}

void TIBRowBuffer::Decode(const std::string &row, std::vector<TIBValue> &values)
{
    values.clear();
    const char *p = row.data();
    const char *end = p + row.size();
    while (p < end) {
        switch (static_cast<Tag>(*p++)) {
        case tNull: values.push_back(TIBValue::Null()); break;
        case tEmpty: values.emplace_back(); break;
        case tFalse: values.emplace_back(false); break;
        case tTrue: values.emplace_back(true); break;
        case tSmallint: values.push_back(TIBValue::Smallint(get<std::int16_t>(p))); break;
        case tInteger: values.emplace_back(get<std::int32_t>(p)); break;
        case tInt64: values.emplace_back(get<std::int64_t>(p)); break;
        case tDouble: values.emplace_back(get<double>(p)); break;
        case tDate: values.push_back(TIBValue::DateTime(get<double>(p))); break;
        case tString: {
            const std::size_t n = getLength(p);
            values.emplace_back(std::string(p, n));
            p += n;
            break;
        }
        }
    }
}

void TIBRowBuffer::Forget() const
{
    for (Decoded &d : decoded_)
        d.row = static_cast<std::size_t>(-1);
}

void TIBRowBuffer::Clear()
{
    rows_.clear();
    rows_.shrink_to_fit();
    Forget();
}

void TIBRowBuffer::Append(const std::vector<TIBValue> &values) { rows_.push_back(Encode(values)); }

void TIBRowBuffer::Insert(std::size_t at, const std::vector<TIBValue> &values)
{
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), Encode(values));
    Forget();
}

void TIBRowBuffer::Replace(std::size_t i, const std::vector<TIBValue> &values)
{
    rows_.at(i) = Encode(values);
    Forget();
}

void TIBRowBuffer::Remove(std::size_t i)
{
    std::string().swap(rows_.at(i));
    Forget();
}

const std::vector<TIBValue> &TIBRowBuffer::Values(std::size_t i) const
{
    for (const Decoded &d : decoded_)
        if (d.row == i)
            return d.values;
    Decoded &d = decoded_[next_];
    next_ = (next_ + 1) % decoded_.size();
    Decode(rows_.at(i), d.values);
    d.row = i;
    return d.values;
}

#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "values/RegionalSettings.h"

// Kinds of value a Variant holds. Strings hold bytes (UTF-8 or the source's single-byte
// text); the two string kinds differ only in where the value came from, both behave alike.
enum class TVarType : std::uint8_t {
    varEmpty,
    varNull,
    varBoolean,
    varShortInt, // 8-bit signed
    varSmallint, // 16-bit signed
    varInteger,  // 32-bit signed
    varInt64,
    varDouble,
    varDate, // days since 1899-12-30, the fraction is the time of day
    varString,
    varWideString,
    varArray,
};

// Raised on impossible conversions and operations, with texts such as
// "Could not convert variant of type (String) into type (Double)".
class EVariantError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Variant {
public:
    Variant() noexcept; // Empty
    Variant(bool value) noexcept;
    Variant(std::int32_t value) noexcept;
    Variant(std::int64_t value) noexcept;
    Variant(double value) noexcept;
    Variant(const char *text);
    Variant(std::string text) noexcept;
    Variant(std::string_view text);

    static Variant Null() noexcept;
    static Variant ShortInt(std::int8_t value) noexcept;
    static Variant Smallint(std::int16_t value) noexcept;
    static Variant DateTime(double value) noexcept;
    static Variant WideString(std::string text) noexcept;
    static Variant Array(std::vector<Variant> items);

    // Arrays are deep-copied, so changing the items of one copy never shows in another.
    Variant(const Variant &other);
    Variant(Variant &&other) noexcept
        : type_(other.type_), i_(other.i_), s_(std::move(other.s_)), a_(std::move(other.a_))
    {
        other.Reset();
    }
    Variant &operator=(const Variant &other);
    Variant &operator=(Variant &&other) noexcept
    {
        if (this != &other) {
            // Taken before the old array goes: other may live inside it.
            std::shared_ptr<std::vector<Variant>> keep = std::move(a_);
            s_ = std::move(other.s_);
            a_ = std::move(other.a_);
            type_ = other.type_;
            i_ = other.i_;
            other.Reset();
        }
        return *this;
    }
    ~Variant() = default;

    TVarType VarType() const noexcept { return type_; }
    bool IsEmpty() const noexcept { return type_ == TVarType::varEmpty; }
    bool IsNull() const noexcept { return type_ == TVarType::varNull; }
    bool IsNullOrEmpty() const noexcept { return IsEmpty() || IsNull(); }
    bool IsString() const noexcept { return type_ == TVarType::varString || type_ == TVarType::varWideString; }
    // The text of a string value without copying it; nullptr for other kinds.
    const std::string *StringPointer() const noexcept { return IsString() ? &s_ : nullptr; }
    bool IsBoolean() const noexcept { return type_ == TVarType::varBoolean; }
    bool IsOrdinal() const noexcept; // the integer kinds
    bool IsFloat() const noexcept { return type_ == TVarType::varDouble; }
    bool IsNumeric() const noexcept { return IsOrdinal() || IsFloat(); }
    bool IsDate() const noexcept { return type_ == TVarType::varDate; }
    bool IsArray() const noexcept { return type_ == TVarType::varArray; }

    // Text of the value: empty for Null and Empty, "True"/"False" for Booleans, numbers
    // and dates by the regional settings. Arrays cannot be converted.
    std::string AsString() const;
    std::string AsString(const TFormatSettings &fs) const;
    // Numeric conversions: Null and Empty give 0, True gives -1, strings are read by the
    // regional settings (a period is accepted as decimal point too); anything else raises.
    double AsDouble() const;
    // Rounds floats to nearest, raises on overflow. Integers, the common case in value
    // lists and positions, are answered inline.
    std::int32_t AsInteger() const
    {
        return type_ == TVarType::varInteger ? static_cast<std::int32_t>(i_) : ConvertToInteger();
    }
    std::int64_t AsInt64() const { return IsOrdinalFast() ? i_ : ConvertToInt64(); }
    bool AsBoolean() const;    // "True"/"False" (any case), or a number (non-zero = true)
    double AsDateTime() const; // numbers as they are, strings read as dates by the regional settings

    const std::vector<Variant> &AsArray() const;
    std::vector<Variant> &AsArray();
    std::size_t ArrayCount() const; // 0 for non-arrays
    const Variant &operator[](std::size_t i) const
    {
        return type_ == TVarType::varArray && i < a_->size() ? (*a_)[i] : CheckedItem(i);
    }
    Variant &operator[](std::size_t i)
    {
        return type_ == TVarType::varArray && i < a_->size() ? (*a_)[i] : const_cast<Variant &>(CheckedItem(i));
    }

    // Arithmetic follows the classic variant rules: Null propagates, two strings
    // concatenate with "+", numeric strings convert for the other operators, integers
    // widen instead of overflowing, "/" is always a real division.
    friend Variant operator+(const Variant &a, const Variant &b);
    friend Variant operator-(const Variant &a, const Variant &b);
    friend Variant operator*(const Variant &a, const Variant &b);
    friend Variant operator/(const Variant &a, const Variant &b);
    Variant operator-() const;
    static Variant IntDiv(const Variant &a, const Variant &b);
    static Variant Mod(const Variant &a, const Variant &b);
    // Logical for Booleans, bitwise for integers; Null propagates.
    static Variant And(const Variant &a, const Variant &b);
    static Variant Or(const Variant &a, const Variant &b);
    static Variant Xor(const Variant &a, const Variant &b);
    static Variant Not(const Variant &a);

    // Comparison: Null equals only Null and is below every other value; a string against
    // a number compares as numbers; two strings compare by bytes; Booleans as -1/0.
    // Returns <0, 0 or >0.
    static int Compare(const Variant &a, const Variant &b);
    friend bool operator==(const Variant &a, const Variant &b) { return Compare(a, b) == 0; }
    friend bool operator!=(const Variant &a, const Variant &b) { return Compare(a, b) != 0; }
    friend bool operator<(const Variant &a, const Variant &b) { return Compare(a, b) < 0; }
    friend bool operator>(const Variant &a, const Variant &b) { return Compare(a, b) > 0; }
    friend bool operator<=(const Variant &a, const Variant &b) { return Compare(a, b) <= 0; }
    friend bool operator>=(const Variant &a, const Variant &b) { return Compare(a, b) >= 0; }

    // Same kind and same value (Null is same as Null); for tests and caches.
    bool SameAs(const Variant &other) const;

    // "Empty", "Null", "Boolean", "ShortInt", "Smallint", "Integer", "Int64", "Double",
    // "Date", "String", "OleStr", "Array": the names used in conversion messages.
    static const char *TypeName(TVarType type);

private:
    struct Ops; // the conversion and operator machinery, kept out of this header

    void CopyScalar(const Variant &other) noexcept;
    // The 8 bytes of the union travel as i_ whatever member is active.
    void Reset() noexcept
    {
        type_ = TVarType::varEmpty;
        i_ = 0;
        s_.clear();
    }
    std::int32_t ConvertToInteger() const;
    std::int64_t ConvertToInt64() const;
    const Variant &CheckedItem(std::size_t i) const; // raises: not an array, or out of bounds
    bool IsOrdinalFast() const noexcept
    {
        return type_ == TVarType::varInteger || type_ == TVarType::varInt64 || type_ == TVarType::varSmallint ||
               type_ == TVarType::varShortInt;
    }

    TVarType type_ = TVarType::varEmpty;
    // All integer kinds live sign-extended in i_; the active member follows type_.
    union {
        bool b_;
        std::int64_t i_ = 0;
        double d_;
    };
    std::string s_;
    std::shared_ptr<std::vector<Variant>> a_;
};

// Text and date helpers shared by the engine, the readers and the database layer.
std::string FloatToStr(double value, const TFormatSettings &fs);
std::string FloatToStr(double value);
// Reads a number; blanks around it are allowed, thousand separators are not. Accepts the
// regional decimal separator and ".".
bool TryStrToFloat(std::string_view text, double &value, const TFormatSettings &fs);
bool TryStrToFloat(std::string_view text, double &value);
bool TryStrToInt64(std::string_view text, std::int64_t &value);

// Dates are days since 1899-12-30; times the fraction of a day.
bool TryEncodeDate(int year, int month, int day, double &date);
bool TryEncodeTime(int hour, int minute, int second, int msec, double &time);
double EncodeDate(int year, int month, int day); // raises EVariantError on an impossible date
double EncodeTime(int hour, int minute, int second, int msec);
void DecodeDate(double dateTime, int &year, int &month, int &day);
void DecodeTime(double dateTime, int &hour, int &minute, int &second, int &msec);
bool IsLeapYear(int year);
// Short date format, then the long time format unless the time is exactly midnight.
std::string DateTimeToStr(double dateTime, const TFormatSettings &fs);
// Reads a date, a time or both in the order of the short date format.
bool TryStrToDateTime(std::string_view text, double &dateTime, const TFormatSettings &fs);

#pragma once

// Small helpers the files of the base import component share.

#include "engine/VxIBase.h"

#include "values/StringList.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace vxibase_detail {

inline bool isKeyedMode(TImportMode mode)
{
    return mode == TImportMode::imUpdate || mode == TImportMode::imAppendUpdate || mode == TImportMode::imDelete ||
           mode == TImportMode::imAppendNewOnly;
}

inline bool isEditing(const TDataSet *ds)
{
    if (!ds)
        return false;
    const TDataSetState s = ds->State();
    return s == TDataSetState::dsEdit || s == TDataSetState::dsInsert || s == TDataSetState::dsSetKey;
}

inline bool isIntegerField(TFieldType t)
{
    return t == TFieldType::ftSmallint || t == TFieldType::ftInteger || t == TFieldType::ftWord ||
           t == TFieldType::ftAutoInc || t == TFieldType::ftLargeint;
}

inline bool isNumberField(TFieldType t)
{
    return t == TFieldType::ftFloat || t == TFieldType::ftCurrency || t == TFieldType::ftBCD ||
           t == TFieldType::ftFMTBcd;
}

inline bool isDateField(TFieldType t)
{
    return t == TFieldType::ftDate || t == TFieldType::ftDateTime || t == TFieldType::ftTimeStamp;
}

inline bool isNumericOrDateTime(TFieldType t)
{
    return isIntegerField(t) || isNumberField(t) || isDateField(t) || t == TFieldType::ftTime;
}

// An error passed on by the inner guard after OnErrorEvent has seen it: it ends the run
// without being reported a second time.
class ERowAborted : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Entry of a value list: [0] name, [1] expression, [2] value, [3] position.
inline Variant entry(const std::string &name, const std::string &expression)
{
    return Variant::Array({Variant(name), Variant(expression), Variant::Null(), Variant(-1)});
}

// True when the value's text is empty, without writing a number or a date as text.
inline bool hasEmptyText(const Variant &value)
{
    if (value.IsNullOrEmpty())
        return true;
    if (const std::string *text = value.StringPointer())
        return text->empty();
    return false;
}

// A number written with the given decimal separator (and nothing else: no thousand
// separators, no blanks), read without regard to the process locale.
inline bool readNumber(std::string text, char decimalSeparator, double &number)
{
    if (decimalSeparator != '.') {
        if (text.find('.') != std::string::npos)
            return false;
        std::replace(text.begin(), text.end(), decimalSeparator, '.');
    }
    const char *begin = text.data();
    const char *end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    if (begin == end)
        return false;
    const auto [stop, error] = std::from_chars(begin, end, number);
    return error == std::errc() && stop == end && std::isfinite(number);
}

inline int count(const Variant &list) { return list.IsArray() ? static_cast<int>(list.ArrayCount()) : 0; }

inline std::vector<std::string> splitAt(const std::string &text, char separator)
{
    std::vector<std::string> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        items.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return items;
        start = end + 1;
    }
}

// The names the engine answers itself before the parameters and the source are asked,
// in the order EvaluateIdentifier tries them. LOOKUP and SUBSTITUTE count only as calls.
enum class TEngineName {
    enLookup,
    enSubstitute,
    enTotalCount,
    enTotalImported,
    enTotalAdded,
    enTotalDeleted,
    enTotalUpdated,
    enErrorCount,
    enTotalSkipped,
    enNone
};

inline TEngineName engineNameOf(const std::string &name)
{
    static constexpr const char *names[] = {
        "LOOKUP",           "SUBSTITUTE",       "STATTOTALCOUNT", "STATTOTALIMPORTED", "STATTOTALADDED",
        "STATTOTALDELETED", "STATTOTALUPDATED", "STATERRORCOUNT", "STATTOTALSKIPPED"};
    // Every one of them starts with L or S: most source names are ruled out at once.
    const char first = name.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (first != 'L' && first != 'S')
        return TEngineName::enNone;
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (Text::SameText(name, names[i]))
            return static_cast<TEngineName>(i);
    return TEngineName::enNone;
}

// A name as a source is asked for it: without the brackets or double quotes that let it
// hold blanks or operator characters. True when it had them.
inline bool unquoteName(std::string &name)
{
    const std::size_t before = name.size();
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
    return name.size() != before;
}

} // namespace vxibase_detail

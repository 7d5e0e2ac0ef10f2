#include "values/RegionalSettings.h"
#include "values/RegionalSettingsInternal.h"

#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <optional>

namespace regional_detail {

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void Trim(std::string &s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    s = s.substr(b, e - b);
}

// Literal text goes through as it is unless it contains something the date formatter
// would read as a field letter; then it is quoted. Non-ASCII bytes are quoted too so
// that a multi-byte character is never split by the formatter.
void AppendLiteral(std::string &out, std::string &literal)
{
    if (literal.empty())
        return;
    bool quote = false;
    for (char c : literal)
        if (IsAsciiLetter(c) || static_cast<unsigned char>(c) >= 0x80 || c == '\'')
            quote = true;
    if (quote) {
        out += '"';
        for (char c : literal)
            if (c != '"')
                out += c;
        out += '"';
    } else {
        out += literal;
    }
    literal.clear();
}

void Convert(std::string_view format, std::string_view amPmFormat, int depth, std::string &out, std::string &literal)
{
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%') {
            literal += c;
            continue;
        }
        bool noPad = false;
        ++i;
        // glibc flags and field widths, then the E/O alternative-representation modifiers.
        while (i < format.size() && std::strchr("-_0^#", format[i]) != nullptr) {
            if (format[i] == '-')
                noPad = true;
            ++i;
        }
        while (i < format.size() && format[i] >= '0' && format[i] <= '9')
            ++i;
        if (i < format.size() && (format[i] == 'E' || format[i] == 'O'))
            ++i;
        if (i >= format.size())
            break;

        const char *token = nullptr;
        const char *expansion = nullptr;
        switch (format[i]) {
        case 'd': token = noPad ? "d" : "dd"; break;
        case 'e': token = "d"; break;
        case 'm': token = noPad ? "M" : "MM"; break;
        case 'y': token = "yy"; break;
        case 'Y': token = "yyyy"; break;
        case 'b':
        case 'h': token = "MMM"; break;
        case 'B': token = "MMMM"; break;
        case 'H':
        case 'I': token = noPad ? "h" : "hh"; break;
        case 'k':
        case 'l': token = "h"; break;
        case 'M': token = noPad ? "n" : "nn"; break;
        case 'S': token = noPad ? "s" : "ss"; break;
        case 'p':
        case 'P': token = "AMPM"; break;
        case 'D': expansion = "%m/%d/%y"; break;
        case 'F': expansion = "%Y-%m-%d"; break;
        case 'T': expansion = "%H:%M:%S"; break;
        case 'R': expansion = "%H:%M"; break;
        case 'r': expansion = "%I:%M:%S %p"; break;
        case '%': literal += '%'; break;
        case 'n':
        case 't': literal += ' '; break;
        default: break; // weekday names, time zones and the like have no equivalent
        }
        if (format[i] == 'r' && depth == 0 && !amPmFormat.empty()) {
            Convert(amPmFormat, amPmFormat, depth + 1, out, literal);
        } else if (expansion != nullptr) {
            Convert(expansion, amPmFormat, depth + 1, out, literal);
        } else if (token != nullptr) {
            AppendLiteral(out, literal);
            out += token;
        }
    }
}

} // namespace

std::string FormatFromStrftime(std::string_view format, std::string_view amPmFormat)
{
    std::string out, literal;
    Convert(format, amPmFormat, 0, out, literal);
    AppendLiteral(out, literal);
    // Dropped fields leave their blanks behind.
    std::string tidy;
    bool quoted = false;
    for (char c : out) {
        if (c == '"')
            quoted = !quoted;
        if (!quoted && c == ' ' && (tidy.empty() || tidy.back() == ' '))
            continue;
        tidy += c;
    }
    Trim(tidy);
    return tidy;
}

char SeparatorOf(std::string_view format, char fallback)
{
    bool quoted = false;
    for (char c : format) {
        if (c == '"' || c == '\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted || IsAsciiLetter(c) || IsBlank(c) || (c >= '0' && c <= '9') || static_cast<unsigned char>(c) >= 0x80)
            continue;
        return c;
    }
    return fallback;
}

char SingleCharSeparator(std::string_view text)
{
    if (text.size() == 1)
        return text[0];
    // U+00A0 no-break space, U+2009 thin space, U+202F narrow no-break space.
    if (text == "\xC2\xA0" || text == "\xE2\x80\x89" || text == "\xE2\x80\xAF")
        return ' ';
    if (text == "\xE2\x80\x99") // right single quotation mark, as in 1’000
        return '\'';
    return '\0';
}

TFormatSettings BuildFormatSettings(const TLocaleTexts &texts)
{
    TFormatSettings fs;
    if (!texts.timeIsPosix) {
        const std::string date = FormatFromStrftime(texts.dateFormat, texts.timeAmPmFormat);
        if (!date.empty()) {
            fs.ShortDateFormat = date;
            fs.DateSeparator = SeparatorOf(date, fs.DateSeparator);
        }
        const std::string time = FormatFromStrftime(texts.timeFormat, texts.timeAmPmFormat);
        if (!time.empty()) {
            fs.LongTimeFormat = time;
            fs.TimeSeparator = SeparatorOf(time, fs.TimeSeparator);
        }
        for (std::size_t m = 0; m < 12; ++m) {
            if (!texts.shortMonths[m].empty())
                fs.ShortMonthNames[m] = texts.shortMonths[m];
            if (!texts.longMonths[m].empty())
                fs.LongMonthNames[m] = texts.longMonths[m];
        }
        if (!texts.am.empty())
            fs.TimeAMString = texts.am;
        if (!texts.pm.empty())
            fs.TimePMString = texts.pm;
    }
    if (!texts.numericIsPosix) {
        const char radix = SingleCharSeparator(texts.radix);
        if (radix != '\0' && radix != ' ')
            fs.DecimalSeparator = radix;
        fs.ThousandSeparator = SingleCharSeparator(texts.thousands);
        if (fs.ThousandSeparator == fs.DecimalSeparator)
            fs.ThousandSeparator = '\0';
    }
    if (!texts.monetaryIsPosix) {
        std::string currency = texts.currency;
        // CRNCYSTR starts with where the symbol goes: '-' before, '+' after, '.' instead
        // of the decimal point.
        if (!currency.empty() && (currency[0] == '-' || currency[0] == '+' || currency[0] == '.'))
            currency.erase(0, 1);
        if (!currency.empty())
            fs.CurrencyString = currency;
    }
    return fs;
}

} // namespace regional_detail

namespace {

std::optional<TFormatSettings> &CurrentSlot()
{
    static std::optional<TFormatSettings> slot;
    return slot;
}

bool IsPosixLocaleName(const char *name)
{
    if (name == nullptr || *name == '\0')
        return true;
    return std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 || std::strncmp(name, "C.", 2) == 0;
}

#ifndef _NL_LOCALE_NAME
// Without glibc's category-name query, resolve the name the way setlocale would.
const char *CategoryName(const char *requested, const char *categoryVariable)
{
    if (requested != nullptr && *requested != '\0')
        return requested;
    for (const char *variable : {"LC_ALL", categoryVariable, "LANG"}) {
        const char *value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return value;
    }
    return "C";
}
#endif

} // namespace

const TFormatSettings &RegionalSettings::load()
{
    auto &slot = CurrentSlot();
    if (!slot)
        slot = fromLocale("");
    current_ = &*slot;
    return *slot;
}

void RegionalSettings::override(const TFormatSettings &settings)
{
    CurrentSlot() = settings;
    current_ = &*CurrentSlot();
}

void RegionalSettings::reset()
{
    current_ = nullptr;
    CurrentSlot().reset();
}

TFormatSettings RegionalSettings::fromLocale(const char *localeName)
{
    const char *name = localeName != nullptr ? localeName : "";
    locale_t loc = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0))
        return TFormatSettings{};

    auto text = [loc](nl_item item) -> std::string {
        const char *value = nl_langinfo_l(item, loc);
        return value != nullptr ? value : "";
    };

    regional_detail::TLocaleTexts texts;
#ifdef _NL_LOCALE_NAME
    texts.timeIsPosix = IsPosixLocaleName(nl_langinfo_l(_NL_LOCALE_NAME(LC_TIME), loc));
    texts.numericIsPosix = IsPosixLocaleName(nl_langinfo_l(_NL_LOCALE_NAME(LC_NUMERIC), loc));
    texts.monetaryIsPosix = IsPosixLocaleName(nl_langinfo_l(_NL_LOCALE_NAME(LC_MONETARY), loc));
#else
    texts.timeIsPosix = IsPosixLocaleName(CategoryName(localeName, "LC_TIME"));
    texts.numericIsPosix = IsPosixLocaleName(CategoryName(localeName, "LC_NUMERIC"));
    texts.monetaryIsPosix = IsPosixLocaleName(CategoryName(localeName, "LC_MONETARY"));
#endif
    texts.dateFormat = text(D_FMT);
    texts.timeFormat = text(T_FMT);
    texts.timeAmPmFormat = text(T_FMT_AMPM);
    texts.radix = text(RADIXCHAR);
    texts.thousands = text(THOUSEP);
    texts.currency = text(CRNCYSTR);
    for (int m = 0; m < 12; ++m) {
        texts.shortMonths[m] = text(static_cast<nl_item>(ABMON_1 + m));
        texts.longMonths[m] = text(static_cast<nl_item>(MON_1 + m));
    }
    texts.am = text(AM_STR);
    texts.pm = text(PM_STR);
    freelocale(loc);
    return regional_detail::BuildFormatSettings(texts);
}

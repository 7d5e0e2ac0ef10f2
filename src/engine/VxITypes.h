#pragma once

#include "engine/DataSet.h"
#include "values/StringList.h"
#include "values/Variant.h"
#include "engine/VxIHost.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Enumerations of the import engine; their order is the ordinal stored in files.

enum class TTableTypeImport {
    teParadox,
    teDBase,
    teText,
    teHTML,
    teXLS,
    teWKS,
    teQuattro,
    teXML,
    teAccess,
    teWord,
    teADO,
    teSPSS,
    teADT,
    teDBISAM,
    teClarion,
    teClipboard,
    teWAB,
    teVCalendar,
};
// "Text", "XLS", "DBase", ...: the type's name without its "te" prefix.
const char *TableTypeName(TTableTypeImport type);
bool TableTypeFromName(std::string_view name, TTableTypeImport &type); // ignoring case

enum class TImportMode { imAppend, imUpdate, imAppendUpdate, imDelete, imCopy, imAppendNewOnly };
enum class TVxIActionKind { akDatasetApply, akGenerateSQL };
enum class TVxIOption {
    soShowMessage,
    soExtendedStatistic,
    soSkipEmptyRow,
    soUseAnimatedControl,
    soWaitCursor,
    soAutoCloseStatistic
};
enum class TVxICharacterSet { csiANSI_WINDOWS, csiASCII_MSDOS, csiEBCDIC };
enum class TVxITrimSpaces { tsNoTrim, tsTrimRight, tsTrimLeft, tsTrimLeftRight };
enum class TVxIFieldDelimiter { fdNone, fdCustom, fdTab, fdSemicolon, fdComma, fdSpace };
enum class TVxITextQualifier { tqNone, tqCustom, tqQuot, tqApos };
enum class TVxIRecordSeparator { rsCustom, rsCRLF, rsCR, rsLF };
enum class TVxIDateOrder { doMDY, doDMY, doYMD, doYDM, doDYM, doMYD };
enum class TVxIDataType {
    itString,
    itInteger,
    itFloat,
    itDateTime,
    itDate,
    itTime,
    itBoolean,
    itBLOB,
    itMEMO,
    itGraphic
};
enum class TVxIAction { iaUnknown, iaAdd, iaUpdate, iaDelete };
enum class TVxIResult { irUnknown, irExecuted, irCanceled, irFailed };
enum class TVxIFieldCharCase { ifcNormal, ifcUpperCase, ifcLowerCase, ifcProper };
enum class TVxIParameterMode { ipmCalculate, ipmCalculateAndAsk, ipmAsk };

// A set of TVxIOption stored as its bit values (soShowMessage = 1 ... soAutoCloseStatistic = 32).
class TVxIOptions {
public:
    constexpr TVxIOptions() = default;
    constexpr TVxIOptions(std::initializer_list<TVxIOption> options)
    {
        for (TVxIOption o : options)
            bits_ |= Bit(o);
    }
    static constexpr TVxIOptions FromBits(unsigned bits)
    {
        TVxIOptions o;
        o.bits_ = bits & 63u;
        return o;
    }
    constexpr bool Has(TVxIOption o) const { return (bits_ & Bit(o)) != 0; }
    constexpr void Include(TVxIOption o) { bits_ |= Bit(o); }
    constexpr void Exclude(TVxIOption o) { bits_ &= ~Bit(o); }
    constexpr unsigned Bits() const { return bits_; }
    constexpr bool operator==(const TVxIOptions &) const = default;

private:
    static constexpr unsigned Bit(TVxIOption o) { return 1u << static_cast<unsigned>(o); }
    unsigned bits_ = 0;
};

inline constexpr TVxIOptions DefaultOptions = {TVxIOption::soShowMessage, TVxIOption::soExtendedStatistic,
                                               TVxIOption::soUseAnimatedControl, TVxIOption::soWaitCursor,
                                               TVxIOption::soAutoCloseStatistic};

// How text is read as dates, numbers and Booleans.
struct TVxIDataFormats {
    TVxIDateOrder DateOrder = TVxIDateOrder::doMDY;
    char DateSeparator = '/';
    char TimeSeparator = ':';
    bool FourDigitYear = true;
    bool LeadingZerosInDate = true;
    std::string CustomDateTimeFormat;
    char ThousandSeparator = ',';
    char DecimalSeparator = '.';
    std::string CurrencyString = "$";
    std::string BooleanTrue = "True";
    std::string BooleanFalse = "False";
    bool UseRegionalSettings = false;

    // Takes date order and separators, number symbols and currency from the regional
    // settings; the Boolean words and UseRegionalSettings stay as they are.
    void ApplyRegionalSettings();
    void Assign(const TVxIDataFormats &other) { *this = other; }
    bool operator==(const TVxIDataFormats &) const = default;
};

struct TVxIStatistic {
    std::int32_t TotalCount = 0;
    std::int32_t TotalImported = 0;
    std::int32_t TotalAdded = 0;
    std::int32_t TotalDeleted = 0;
    std::int32_t TotalUpdated = 0;
    std::int32_t TotalErrors = 0;
    std::int32_t TotalSkipped = 0;
    std::int32_t UpdateStep = 1;
    TVxIAction LastAction = TVxIAction::iaUnknown;
    std::string LastSQL;
    TVxIResult Result = TVxIResult::irUnknown;

    void Assign(const TVxIStatistic &other) { *this = other; }
};

struct TVxIColumn {
    std::string FieldName;
    std::string Caption;
    TVxIDataType DataType = TVxIDataType::itString;
    std::int32_t Size = 0;
    std::int32_t Precision = 0;
    TAlignment Alignment = TAlignment::taLeftJustify;

    void Assign(const TVxIColumn &other) { *this = other; }
};

class TVxIColumns {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TVxIColumn &Add()
    {
        items_.emplace_back();
        return items_.back();
    }
    TVxIColumn &operator[](int i) { return items_.at(static_cast<std::size_t>(i)); }
    const TVxIColumn &operator[](int i) const { return items_.at(static_cast<std::size_t>(i)); }
    void Clear() { items_.clear(); }
    void Delete(int i) { items_.erase(items_.begin() + i); }

private:
    std::vector<TVxIColumn> items_;
};

struct TVxILoadCondition {
    std::string LoadWhen;
    std::string SkipIf;
    void Assign(const TVxILoadCondition &other) { *this = other; }
};

struct TVxISQLFieldNameOptions {
    std::string SQLQuoteOpen = "[";
    std::string SQLQuoteClose = "]";
    void Assign(const TVxISQLFieldNameOptions &other) { *this = other; }
};

struct TVxISQLOptions {
    std::string SQLTerm = ";";
    char SQLQuote = '"';
    TVxIFieldCharCase FieldNameCharCase = TVxIFieldCharCase::ifcNormal;
    TVxISQLFieldNameOptions FieldNameOptions;
    void Assign(const TVxISQLOptions &other) { *this = other; }
};

class TVxIParameters;

class TVxIParameter {
public:
    const std::string &Name() const { return name_; }
    // Renaming also renames the caption when it still showed the old name.
    void SetName(const std::string &name);
    std::string Caption;
    std::string Description;
    std::string Expression;
    TVxIParameterEditor ParameterEditor = TVxIParameterEditor::ipeEdit;
    TVxIParameterMode ParameterMode = TVxIParameterMode::ipmCalculateAndAsk;
    TStringList ParamPromptValues;
    bool Required = false;
    Variant Value; // run-time

    void Assign(const TVxIParameter &other);

private:
    std::string name_;
};

class TVxIParameters {
public:
    TVxIParameters() = default;
    TVxIParameters(const TVxIParameters &other) { Assign(other); }
    TVxIParameters &operator=(const TVxIParameters &other)
    {
        Assign(other);
        return *this;
    }
    int Count() const { return static_cast<int>(items_.size()); }
    // A new item is named "Parameter" followed by the item count after insertion.
    TVxIParameter &Add();
    TVxIParameter &operator[](int i) { return *items_.at(static_cast<std::size_t>(i)); }
    const TVxIParameter &operator[](int i) const { return *items_.at(static_cast<std::size_t>(i)); }
    void Clear() { items_.clear(); }
    void Delete(int i) { items_.erase(items_.begin() + i); }
    // Exact, case-sensitive name; nullptr when none.
    TVxIParameter *Find(std::string_view name);
    void Assign(const TVxIParameters &other);

private:
    std::vector<std::unique_ptr<TVxIParameter>> items_;
};

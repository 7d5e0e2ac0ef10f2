// Conversion of source text for a destination field.

#include "engine/VxIBase.h"

#include "engine/ImpCnst.h"
#include "engine/VxIBaseHelpers.h"
#include "engine/VxIConvert.h"
#include "expr/VxIPars.h"
#include "expr/VxIParsFunctions.h"
#include "values/DateMask.h"
#include "values/RegionalSettings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

using namespace vxibase_detail;

void TVxImportBaseComponent::TrimSourceText(Variant &value, TVxITrimSpaces trimSpaces)
{
    if (!value.IsString() || trimSpaces == TVxITrimSpaces::tsNoTrim)
        return;
    const std::string &text = *value.StringPointer();
    const bool left = trimSpaces != TVxITrimSpaces::tsTrimRight;
    const bool right = trimSpaces != TVxITrimSpaces::tsTrimLeft;
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    // Most values have nothing to trim: they keep their text as it is.
    if (!text.empty() && ((left && blank(text.front())) || (right && blank(text.back()))))
        value = Variant::WideString(left && right ? Text::Trim(text)
                                    : left        ? Text::TrimLeft(text)
                                                  : Text::TrimRight(text));
}

void TVxImportBaseComponent::ConvertForField(TField *field, Variant &value, bool wasString)
{
    const TFieldType type = field->DataType();
    const bool dated = isDateField(type) || type == TFieldType::ftTime;
    const bool blobEncoded = IsBLOBEncoded();
    ConvertForField(type, field->FieldName(), blobEncoded && field->IsBlob(), value, wasString, directEvaluation_,
                    blobEncoded, DataFormats, dated ? &CachedMasks() : nullptr);
}

void TVxImportBaseComponent::ConvertForField(TFieldType type, const std::string &fieldName, bool isBlob, Variant &value,
                                             bool wasString, bool direct, bool blobEncoded, const TVxIDataFormats &df,
                                             const TMasks *masks)
{
    if (const std::string *pointer = value.StringPointer()) {
        const bool cdata = pointer->rfind("[CDATA[", 0) == 0;
        // Base64 is a BLOB's form only: a CDATA section bound for a text field is its text.
        const bool decode = blobEncoded && isBlob;
        if (cdata || decode) {
            std::string text = *pointer;
            if (cdata)
                text = text.size() >= 9 ? text.substr(7, text.size() - 9) : std::string();
            if (decode)
                text = DecodeBase64(text);
            value = Variant(std::move(text));
        }
    }

    // The value's own text, trimmed, without copying it; valid until value changes.
    std::string held;
    const auto trimmed = [&]() -> std::string_view {
        if (const std::string *text = value.StringPointer())
            return Text::TrimmedView(*text);
        held = value.AsString();
        return Text::TrimmedView(held);
    };
    if (isIntegerField(type)) {
        if (!wasString)
            return;
        const std::string_view t = trimmed();
        if (t.empty() || Text::SameText(t, fieldName))
            value = Variant(0);
    } else if (type == TFieldType::ftBoolean) {
        const std::string t = value.AsString();
        if (t == df.BooleanTrue || t == "1" || t == "T" || t == "Y")
            value = Variant(true);
        else if (t == df.BooleanFalse || t == "0" || t == "F" || t == "N")
            value = Variant(false);
        else if (t == "-1")
            value = Variant::Null();
    } else if (isNumberField(type)) {
        if (!wasString)
            return;
        std::string t(trimmed());
        if (t.empty() || Text::SameText(t, fieldName)) {
            value = Variant(0);
            return;
        }
        if (df.ThousandSeparator != '\0')
            t.erase(std::remove(t.begin(), t.end(), df.ThousandSeparator), t.end());
        if (!df.CurrencyString.empty())
            if (const auto at = t.find(df.CurrencyString); at != std::string::npos)
                t.erase(at, df.CurrencyString.size());
        if (Text::SameText(t, fieldName)) {
            value = Variant(0);
            return;
        }
        if (Text::SameText(t, "NULL")) {
            value = Variant::Null();
            return;
        }
        if (!t.empty() && t.front() == df.DecimalSeparator)
            t.insert(0, "0");
        double number = 0;
        if (!direct && readNumber(t, df.DecimalSeparator, number))
            value = Variant(number);
        else
            value = Variant(std::move(t));
    } else if (isDateField(type)) {
        if (!wasString)
            return;
        const std::string_view t = trimmed();
        if (t.empty() || Text::SameText(t, fieldName)) {
            value = Variant::Null();
            return;
        }
        const double d = ParseDateTimeByMask(t, masks->dateTime, df.DateSeparator, df.TimeSeparator);
        if (d != 0)
            value = Variant::DateTime(d);
    } else if (type == TFieldType::ftTime) {
        if (!wasString)
            return;
        const std::string_view t = trimmed();
        if (t.empty() || Text::SameText(t, fieldName)) {
            value = Variant(0);
            return;
        }
        value = Variant::DateTime(ParseDateTimeByMask(t, masks->time, df.DateSeparator, df.TimeSeparator));
    }
}

// The masks follow the data formats; they are rebuilt only when those change.
const TVxImportBaseComponent::TMasks &TVxImportBaseComponent::CachedMasks()
{
    if (!masks_.valid || !(masks_.formats == DataFormats) || masks_.tableType != TableType) {
        masks_.formats = DataFormats;
        masks_.tableType = TableType;
        masks_.dateTime = GetDateTimeMask();
        masks_.time = GetTimeMask();
        masks_.valid = true;
    }
    return masks_;
}

std::string TVxImportBaseComponent::GetTimeMask() const
{
    const char sep = DataFormats.TimeSeparator;
    std::string mask = TableType == TTableTypeImport::teXML ? "T" : "";
    mask += "HH";
    if (sep != '\0')
        mask += sep;
    mask += "NN";
    if (sep != '\0')
        mask += sep;
    return mask + "SS";
}

std::string TVxImportBaseComponent::GetDateTimeMask() const
{
    if (!DataFormats.CustomDateTimeFormat.empty())
        return Text::Upper(DataFormats.CustomDateTimeFormat);
    const std::string year = DataFormats.FourDigitYear ? "YYYY" : "YY";
    const char *order = "MDY";
    switch (DataFormats.DateOrder) {
    case TVxIDateOrder::doMDY: order = "MDY"; break;
    case TVxIDateOrder::doDMY: order = "DMY"; break;
    case TVxIDateOrder::doYMD: order = "YMD"; break;
    case TVxIDateOrder::doYDM: order = "YDM"; break;
    case TVxIDateOrder::doDYM: order = "DYM"; break;
    case TVxIDateOrder::doMYD: order = "MYD"; break;
    }
    std::string mask;
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && DataFormats.DateSeparator != '\0')
            mask += DataFormats.DateSeparator;
        mask += order[i] == 'D' ? "DD" : order[i] == 'M' ? "MM" : year;
    }
    return mask + " " + GetTimeMask();
}

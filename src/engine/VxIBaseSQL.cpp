// Script mode: the statement text of a row.

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

// ---------------------------------------------------------------- SQL text

std::string TVxImportBaseComponent::FormatFieldName(const std::string &name) const
{
    std::string result = name;
    switch (SQLOptions.FieldNameCharCase) {
    case TVxIFieldCharCase::ifcNormal: break;
    case TVxIFieldCharCase::ifcUpperCase: result = Text::Upper(name); break;
    case TVxIFieldCharCase::ifcLowerCase: result = Text::Lower(name); break;
    case TVxIFieldCharCase::ifcProper:
        result = Text::Lower(name);
        if (!result.empty())
            result[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(result[0])));
        break;
    }
    static constexpr const char *reserved[] = {"NAME", "TYPE", "SIZE", "ASC", "DESC"};
    const bool needsQuotes = result.find(' ') != std::string::npos ||
                             std::any_of(std::begin(reserved), std::end(reserved),
                                         [&](const char *r) { return Text::SameText(result, r); });
    if (needsQuotes)
        result = SQLOptions.FieldNameOptions.SQLQuoteOpen + result + SQLOptions.FieldNameOptions.SQLQuoteClose;
    return result;
}

std::string TVxImportBaseComponent::FormatLiteral(const Variant &value, const TField *field) const
{
    if (value.IsNull())
        return "NULL";
    std::string text = value.IsArray() ? std::string() : value.AsString();
    if (field) {
        switch (field->DataType()) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftBCD:
        case TFieldType::ftAutoInc:
            if (const auto comma = text.find(','); comma != std::string::npos)
                text[comma] = '.';
            return text;
        default: break;
        }
    }
    const char quote = SQLOptions.SQLQuote;
    std::string quoted(1, quote);
    for (char c : text) {
        quoted += c;
        if (c == quote)
            quoted += quote;
    }
    return quoted + quote;
}

void TVxImportBaseComponent::BuildSQLCondition()
{
    for (int k = 0; k < count(KeyColumns); ++k) {
        const Variant &key = KeyColumns[k];
        const std::string name = key[0].AsString();
        if (!sqlCondition_.empty())
            sqlCondition_ += " AND ";
        if (key[2].IsNull())
            sqlCondition_ += "(" + name + " IS NULL)";
        else
            sqlCondition_ += "(" + name + "=" + FormatLiteral(key[2], DataSet ? DataSet->FindField(name) : nullptr) +
                             ")";
    }
}

void TVxImportBaseComponent::AddSQLField(const TField *field, const Variant &value)
{
    const std::string name = FormatFieldName(field->FieldName());
    if (!sqlFields_.empty())
        sqlFields_ += ", ";
    sqlFields_ += name;
    std::string item;
    if (Statistic.LastAction == TVxIAction::iaAdd) {
        item = FormatLiteral(value, field);
    } else if (Statistic.LastAction == TVxIAction::iaUpdate) {
        const std::string keys = ";" + Text::Upper(DatasetKeys) + ";";
        if (keys.find(";" + Text::Upper(field->FieldName()) + ";") == std::string::npos)
            item = name + "=" + FormatLiteral(value, field);
    }
    if (item.empty())
        return;
    if (!sqlValues_.empty())
        sqlValues_ += ", ";
    sqlValues_ += item;
}

void TVxImportBaseComponent::ComposeSQL()
{
    const std::string table = GetTableName();
    std::string &sql = Statistic.LastSQL;
    switch (Statistic.LastAction) {
    case TVxIAction::iaAdd: sql = "INSERT INTO " + table + " (" + sqlFields_ + ") VALUES (" + sqlValues_ + ")"; break;
    case TVxIAction::iaUpdate:
        sql = "UPDATE " + table + " SET " + sqlValues_;
        if (!sqlCondition_.empty())
            sql += " WHERE " + sqlCondition_;
        break;
    case TVxIAction::iaDelete:
        sql = "DELETE FROM " + table;
        if (!sqlCondition_.empty())
            sql += " WHERE " + sqlCondition_;
        break;
    case TVxIAction::iaUnknown: sql.clear(); break;
    }
}

void TVxImportBaseComponent::TakeBackCounter(bool found)
{
    TVxIStatistic &s = Statistic;
    switch (Mode) {
    case TImportMode::imAppend:
    case TImportMode::imCopy: --s.TotalAdded; break;
    case TImportMode::imUpdate:
        if (found)
            --s.TotalUpdated;
        break;
    case TImportMode::imAppendUpdate:
        if (found)
            --s.TotalUpdated;
        else
            --s.TotalAdded;
        break;
    case TImportMode::imDelete:
        if (found)
            --s.TotalDeleted;
        break;
    case TImportMode::imAppendNewOnly:
        if (!found)
            --s.TotalAdded;
        break;
    }
}

// The destination field of a row-value slot: by its position, else by its name.

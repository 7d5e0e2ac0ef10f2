// The base import component: settings, columns, parameters and value lists.

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

// ---------------------------------------------------------------- registry

TVxIDataSetRegistry &TVxIDataSetRegistry::Instance()
{
    static TVxIDataSetRegistry registry;
    return registry;
}

void TVxIDataSetRegistry::Register(const std::string &name, TDataSet *dataSet) { byName_[Text::Upper(name)] = dataSet; }

void TVxIDataSetRegistry::Unregister(const std::string &name) { byName_.erase(Text::Upper(name)); }

TDataSet *TVxIDataSetRegistry::Find(const std::string &name) const
{
    const auto it = byName_.find(Text::Upper(name));
    return it == byName_.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------- small types

void TVxIDataFormats::ApplyRegionalSettings()
{
    const TFormatSettings &fs = RegionalSettings::current();
    DateSeparator = fs.DateSeparator;
    TimeSeparator = fs.TimeSeparator;
    const std::string format = Text::Upper(fs.ShortDateFormat);
    const std::vector<std::string> parts = splitAt(format, fs.DateSeparator);
    DateOrder = TVxIDateOrder::doMDY;
    if (parts.size() >= 3 && !parts[0].empty() && !parts[1].empty() && !parts[2].empty()) {
        const std::string order{parts[0][0], parts[1][0], parts[2][0]};
        if (order == "DMY")
            DateOrder = TVxIDateOrder::doDMY;
        else if (order == "DYM")
            DateOrder = TVxIDateOrder::doDYM;
        else if (order == "MDY")
            DateOrder = TVxIDateOrder::doMDY;
        else if (order == "MYD")
            DateOrder = TVxIDateOrder::doMYD;
        else if (order == "YMD")
            DateOrder = TVxIDateOrder::doYMD;
        else if (order == "YDM")
            DateOrder = TVxIDateOrder::doYDM;
    }
    DecimalSeparator = fs.DecimalSeparator;
    ThousandSeparator = fs.ThousandSeparator;
    CurrencyString = fs.CurrencyString;
    FourDigitYear = format.find("YYYY") != std::string::npos;
    LeadingZerosInDate = format.find("DD") != std::string::npos;
    CustomDateTimeFormat.clear();
}

void TVxIParameter::SetName(const std::string &name)
{
    if (Caption == name_)
        Caption = name;
    name_ = name;
}

void TVxIParameter::Assign(const TVxIParameter &other)
{
    name_ = other.name_;
    Caption = other.Caption;
    Description = other.Description;
    Expression = other.Expression;
    ParameterEditor = other.ParameterEditor;
    ParameterMode = other.ParameterMode;
    ParamPromptValues = other.ParamPromptValues;
    Required = other.Required;
    Value = other.Value;
}

TVxIParameter &TVxIParameters::Add()
{
    items_.push_back(std::make_unique<TVxIParameter>());
    items_.back()->SetName("Parameter" + std::to_string(items_.size()));
    return *items_.back();
}

TVxIParameter *TVxIParameters::Find(std::string_view name)
{
    for (auto &p : items_)
        if (p->Name() == name)
            return p.get();
    return nullptr;
}

void TVxIParameters::Assign(const TVxIParameters &other)
{
    if (&other == this)
        return;
    items_.clear();
    for (const auto &p : other.items_) {
        items_.push_back(std::make_unique<TVxIParameter>());
        items_.back()->Assign(*p);
    }
}

// ---------------------------------------------------------------- component

TVxImportBaseComponent::TVxImportBaseComponent(TVxImportBaseComponent *owner) : owner_(owner)
{
    TitleStatus = ImpTexts().Importing;
    DataFormats.ApplyRegionalSettings();
    DataFormats.BooleanTrue = ImpTexts().True;
    DataFormats.BooleanFalse = ImpTexts().False;
    ApplyDefaultSourceFileName();
}

TVxImportBaseComponent::~TVxImportBaseComponent() = default;

void TVxImportBaseComponent::ApplyDefaultSourceFileName()
{
    std::string ext;
    GetDefaultExt(ext);
    SourceFileName = "VxImport" + ext;
}

void TVxImportBaseComponent::SetFieldDelimiter(TVxIFieldDelimiter value)
{
    fieldDelimiter_ = value;
    switch (value) {
    case TVxIFieldDelimiter::fdNone: fieldDelimiterCustom_ = '\0'; break;
    case TVxIFieldDelimiter::fdCustom: break;
    case TVxIFieldDelimiter::fdTab: fieldDelimiterCustom_ = '\t'; break;
    case TVxIFieldDelimiter::fdSemicolon: fieldDelimiterCustom_ = ';'; break;
    case TVxIFieldDelimiter::fdComma: fieldDelimiterCustom_ = ','; break;
    case TVxIFieldDelimiter::fdSpace: fieldDelimiterCustom_ = ' '; break;
    }
}

void TVxImportBaseComponent::SetFieldDelimiterCustom(char value)
{
    fieldDelimiterCustom_ = value;
    switch (value) {
    case '\0': fieldDelimiter_ = TVxIFieldDelimiter::fdNone; break;
    case '\t': fieldDelimiter_ = TVxIFieldDelimiter::fdTab; break;
    case ';': fieldDelimiter_ = TVxIFieldDelimiter::fdSemicolon; break;
    case ',': fieldDelimiter_ = TVxIFieldDelimiter::fdComma; break;
    case ' ': fieldDelimiter_ = TVxIFieldDelimiter::fdSpace; break;
    default: fieldDelimiter_ = TVxIFieldDelimiter::fdCustom; break;
    }
}

void TVxImportBaseComponent::SetTextQualifier(TVxITextQualifier value)
{
    textQualifier_ = value;
    switch (value) {
    case TVxITextQualifier::tqNone: textQualifierCustom_ = '\0'; break;
    case TVxITextQualifier::tqCustom: break;
    case TVxITextQualifier::tqQuot: textQualifierCustom_ = '"'; break;
    case TVxITextQualifier::tqApos: textQualifierCustom_ = '\''; break;
    }
}

void TVxImportBaseComponent::SetTextQualifierCustom(char value)
{
    textQualifierCustom_ = value;
    switch (value) {
    case '\0': textQualifier_ = TVxITextQualifier::tqNone; break;
    case '"': textQualifier_ = TVxITextQualifier::tqQuot; break;
    case '\'': textQualifier_ = TVxITextQualifier::tqApos; break;
    default: textQualifier_ = TVxITextQualifier::tqCustom; break;
    }
}

void TVxImportBaseComponent::SetRecordSeparator(TVxIRecordSeparator value)
{
    recordSeparator_ = value;
    switch (value) {
    case TVxIRecordSeparator::rsCustom: break;
    case TVxIRecordSeparator::rsCRLF: recordSeparatorCustom_ = "\r\n"; break;
    case TVxIRecordSeparator::rsCR: recordSeparatorCustom_ = "\r"; break;
    case TVxIRecordSeparator::rsLF: recordSeparatorCustom_ = "\n"; break;
    }
}

void TVxImportBaseComponent::SetRecordSeparatorCustom(const std::string &value)
{
    recordSeparatorCustom_ = value;
    if (value == "\r\n")
        recordSeparator_ = TVxIRecordSeparator::rsCRLF;
    else if (value == "\r")
        recordSeparator_ = TVxIRecordSeparator::rsCR;
    else if (value == "\n")
        recordSeparator_ = TVxIRecordSeparator::rsLF;
    else
        recordSeparator_ = TVxIRecordSeparator::rsCustom;
}

void TVxImportBaseComponent::Assign(const TVxImportBaseComponent &s)
{
    if (&s == this)
        return;
    TableType = s.TableType;
    AnimatedStatus = s.AnimatedStatus;
    ActionKind = s.ActionKind;
    DataSet = s.DataSet;
    DatasetKeys = s.DatasetKeys;
    Fixed = s.Fixed;
    UseDisplayNames = s.UseDisplayNames;
    SetFieldDelimiterCustom(s.FieldDelimiterCustom());
    SetTextQualifierCustom(s.TextQualifierCustom());
    SetRecordSeparatorCustom(s.RecordSeparatorCustom());
    RowFirst = s.RowFirst;
    RowLast = s.RowLast;
    RowFieldNames = s.RowFieldNames;
    Mappings.Assign(s.Mappings);
    Parameters.Assign(s.Parameters);
    Mode = s.Mode;
    Options = s.Options;
    SourceFileName = s.SourceFileName;
    CharacterSet = s.CharacterSet;
    TrimSpaces = s.TrimSpaces;
    TitleStatus = s.TitleStatus;
    OnCreateStructure = s.OnCreateStructure;
    OnErrorEvent = s.OnErrorEvent;
    OnGetCellParams = s.OnGetCellParams;
    OnParsedValue = s.OnParsedValue;
    OnBeforeRecordEvent = s.OnBeforeRecordEvent;
    OnAfterRecordEvent = s.OnAfterRecordEvent;
    OnLocateRecord = s.OnLocateRecord;
    OnBeforeUpdate = s.OnBeforeUpdate;
    OnBeforeFieldUpdate = s.OnBeforeFieldUpdate;
    OnStartTransaction = s.OnStartTransaction;
    OnFinishTransaction = s.OnFinishTransaction;
    Statistic.Assign(s.Statistic);
    DataFormats.Assign(s.DataFormats);
    LoadCondition.Assign(s.LoadCondition);
    SQLOptions.Assign(s.SQLOptions);
    CommitCount = s.CommitCount;
}

void TVxImportBaseComponent::GetFileFilter(std::string &filter) const { filter = ImpTexts().AllFilesFilter; }

bool TVxImportBaseComponent::CheckProperties(std::string &propertyName)
{
    if (DataSet)
        return false;
    propertyName = "DataSet";
    return true;
}

bool TVxImportBaseComponent::CheckPropertiesAndSourceFile(std::string &propertyName)
{
    if (TVxImportBaseComponent::CheckProperties(propertyName))
        return true;
    if (!SourceFileName.empty())
        return false;
    propertyName = "SourceFileName";
    return true;
}

TVxIDataType TVxImportBaseComponent::FieldTypeToDataType(TFieldType type)
{
    switch (type) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc: return TVxIDataType::itInteger;
    case TFieldType::ftBoolean: return TVxIDataType::itBoolean;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD: return TVxIDataType::itFloat;
    case TFieldType::ftDate: return TVxIDataType::itDate;
    case TFieldType::ftTime: return TVxIDataType::itTime;
    case TFieldType::ftDateTime: return TVxIDataType::itDateTime;
    default: return TVxIDataType::itString;
    }
}

void TVxImportBaseComponent::CreateColumns()
{
    if (!DataSet)
        return;
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        const TField *f = DataSet->Fields(i);
        TVxIColumn &c = Columns.Add();
        c.FieldName = f->FieldName();
        c.Caption = f->DisplayLabel();
        c.DataType = FieldTypeToDataType(f->DataType());
        c.Alignment = f->Alignment();
        c.Size = f->Size();
        if (f->DataType() == TFieldType::ftFloat)
            c.Precision = f->Precision();
    }
}

void TVxImportBaseComponent::AutoMapColumns()
{
    Mappings.Clear();
    if (!DataSet)
        return;
    bool anyMatch = false;
    for (int c = 0; c < Columns.Count(); ++c) {
        const std::string &name = Columns[c].FieldName;
        const bool spaced = name.find(' ') != std::string::npos;
        for (int f = 0; f < DataSet->FieldCount(); ++f) {
            const TField *field = DataSet->Fields(f);
            const std::string &fn = field->FieldName();
            const bool match = Text::SameText(fn, name) ||
                               (spaced &&
                                (Text::SameText("[" + fn + "]", name) || Text::SameText("\"" + fn + "\"", name))) ||
                               (UseDisplayNames && Text::SameText(field->DisplayLabel(), name));
            if (match) {
                Mappings.Add(fn + "=" + name);
                anyMatch = true;
                break;
            }
        }
    }
    if (anyMatch)
        return;
    for (int i = 0; i < Columns.Count() && i < DataSet->FieldCount(); ++i)
        Mappings.Add(DataSet->Fields(i)->FieldName() + "=" + Columns[i].FieldName);
}

void TVxImportBaseComponent::AutoMapColumnsToCaptions()
{
    Mappings.Clear();
    if (!DataSet)
        return;
    for (int c = 0; c < Columns.Count(); ++c) {
        const TVxIColumn &column = Columns[c];
        for (int f = 0; f < DataSet->FieldCount(); ++f) {
            const TField *field = DataSet->Fields(f);
            if (Text::SameText(field->FieldName(), column.FieldName) ||
                (UseDisplayNames && Text::SameText(field->DisplayLabel(), column.FieldName))) {
                Mappings.Add(field->FieldName() + "=" + column.Caption);
                break;
            }
        }
    }
}

std::string TVxImportBaseComponent::GetTableName() const
{
    if (!TableName.empty())
        return TableName;
    return DataSetTableName();
}

std::string TVxImportBaseComponent::DataSetTableName() const
{
    std::string name;
    if (DataSet && !DataSet->GetStringProperty("TableName", name) && !DataSet->GetStringProperty("CommandText", name)) {
        std::string sql;
        if (DataSet->GetStringProperty("SQL", sql)) {
            const std::string upperSql = Text::Upper(sql);
            const auto from = upperSql.find("FROM ");
            if (from != std::string::npos) {
                name = sql.substr(from + 5);
                name = name.substr(0, name.find_first_of(" \r\n"));
                const auto where = Text::Upper(name).find("WHERE ");
                if (where != std::string::npos)
                    name.erase(where);
            }
        }
    }
    return name.substr(0, name.find('.'));
}

void TVxImportBaseComponent::OpenSource()
{
    if (DataFormats.UseRegionalSettings)
        DataFormats.ApplyRegionalSettings();
}

void TVxImportBaseComponent::ExecuteFromStream(std::istream &stream)
{
    SourceStream = &stream;
    struct Reset {
        std::istream *&s;
        ~Reset() { s = nullptr; }
    } reset{SourceStream};
    Execute();
}

// ---------------------------------------------------------------- value lists

void TVxImportBaseComponent::PrepareMappings()
{
    const bool shortNames = ShortSourceNames();
    auto expressionOf = [&](int line) {
        std::string e = Mappings.ValueFromIndex(line);
        if (shortNames)
            e = e.substr(0, 10);
        return Text::Trim(e);
    };

    KeyColumns = Variant::Null();
    if (!DatasetKeys.empty() && isKeyedMode(Mode)) {
        std::vector<Variant> keys;
        const std::string keyText = Text::Upper(DatasetKeys) + ";";
        std::size_t start = 0;
        for (std::size_t end; (end = keyText.find(';', start)) != std::string::npos; start = end + 1) {
            const std::string key = keyText.substr(start, end - start);
            for (int i = 0; i < Mappings.Count(); ++i)
                if (Text::Upper(Text::Trim(Mappings.Names(i))) == key) {
                    keys.push_back(entry(key, expressionOf(i)));
                    break;
                }
        }
        if (!keys.empty())
            KeyColumns = Variant::Array(std::move(keys));
    }

    std::vector<Variant> mapped;
    for (int i = 0; i < Mappings.Count(); ++i) {
        if (Mappings[i].find('=') == std::string::npos)
            continue;
        const std::string expression = expressionOf(i);
        if (!expression.empty())
            mapped.push_back(entry(Text::Upper(Text::Trim(Mappings.Names(i))), expression));
    }
    MappedColumns = mapped.empty() ? Variant::Null() : Variant::Array(std::move(mapped));
}

void TVxImportBaseComponent::PrepareRowValues()
{
    const bool keyed = Mode != TImportMode::imAppend && Mode != TImportMode::imCopy;
    const int mappedCount = count(MappedColumns);
    const int keyCount = keyed ? count(KeyColumns) : 0;
    if (mappedCount == 0 && keyCount == 0) {
        RowValues = Variant::Null();
        return;
    }
    auto sameName = [](const Variant &a, const Variant &b) { return a[0].AsString() == b[0].AsString(); };

    int extra = 0;
    for (int k = 0; k < keyCount; ++k) {
        bool mappedToo = false;
        for (int m = 0; m < mappedCount && !mappedToo; ++m)
            mappedToo = sameName(KeyColumns[k], MappedColumns[m]);
        extra += mappedToo ? 0 : 1;
    }
    std::vector<Variant> slots(static_cast<std::size_t>(mappedCount + extra));
    for (int m = 0; m < mappedCount; ++m)
        slots[m] = MappedColumns[m];
    for (int k = 0; k < keyCount; ++k) {
        auto target = std::find_if(slots.begin(), slots.end(),
                                   [&](const Variant &s) { return s.IsArray() && sameName(s, KeyColumns[k]); });
        if (target == slots.end())
            target = std::find_if(slots.begin(), slots.end(), [](const Variant &s) { return s.IsEmpty(); });
        if (target != slots.end())
            *target = KeyColumns[k];
    }
    for (Variant &slot : slots) {
        const TField *field = DataSet ? DataSet->FindField(slot[0].AsString()) : nullptr;
        slot[3] = Variant(field ? field->Index() : -1);
    }
    RowValues = Variant::Array(std::move(slots));

    auto firstSlotNamed = [&](const Variant &e) {
        for (int s = 0; s < count(RowValues); ++s)
            if (sameName(RowValues[s], e))
                return s;
        return -1;
    };
    for (int m = 0; m < mappedCount; ++m)
        MappedColumns[m][3] = Variant(firstSlotNamed(MappedColumns[m]));
    for (int k = 0; k < keyCount; ++k)
        KeyColumns[k][3] = Variant(firstSlotNamed(KeyColumns[k]));
}

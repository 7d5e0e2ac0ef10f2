#include "engine/VxIBase.h"

#include "values/DateMask.h"
#include "engine/ImpCnst.h"
#include "values/RegionalSettings.h"
#include "engine/VxIConvert.h"
#include "expr/VxIPars.h"
#include "expr/VxIParsFunctions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace {

bool isKeyedMode(TImportMode mode)
{
    return mode == TImportMode::imUpdate || mode == TImportMode::imAppendUpdate || mode == TImportMode::imDelete ||
           mode == TImportMode::imAppendNewOnly;
}

bool isEditing(const TDataSet *ds)
{
    if (!ds)
        return false;
    const TDataSetState s = ds->State();
    return s == TDataSetState::dsEdit || s == TDataSetState::dsInsert || s == TDataSetState::dsSetKey;
}

bool isIntegerField(TFieldType t)
{
    return t == TFieldType::ftSmallint || t == TFieldType::ftInteger || t == TFieldType::ftWord ||
           t == TFieldType::ftAutoInc || t == TFieldType::ftLargeint;
}

bool isNumberField(TFieldType t)
{
    return t == TFieldType::ftFloat || t == TFieldType::ftCurrency || t == TFieldType::ftBCD || t == TFieldType::ftFMTBcd;
}

bool isDateField(TFieldType t)
{
    return t == TFieldType::ftDate || t == TFieldType::ftDateTime || t == TFieldType::ftTimeStamp;
}

bool isNumericOrDateTime(TFieldType t)
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
Variant entry(const std::string &name, const std::string &expression)
{
    return Variant::Array({Variant(name), Variant(expression), Variant::Null(), Variant(-1)});
}

// True when the value's text is empty, without writing a number or a date as text.
bool hasEmptyText(const Variant &value)
{
    if (value.IsNullOrEmpty())
        return true;
    if (const std::string *text = value.StringPointer())
        return text->empty();
    return false;
}

// A number written with the given decimal separator (and nothing else: no thousand
// separators, no blanks), read without regard to the process locale.
bool readNumber(std::string text, char decimalSeparator, double &number)
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

int count(const Variant &list) { return list.IsArray() ? static_cast<int>(list.ArrayCount()) : 0; }

std::vector<std::string> splitAt(const std::string &text, char separator)
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

} // namespace

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
        if (order == "DMY") DateOrder = TVxIDateOrder::doDMY;
        else if (order == "DYM") DateOrder = TVxIDateOrder::doDYM;
        else if (order == "MDY") DateOrder = TVxIDateOrder::doMDY;
        else if (order == "MYD") DateOrder = TVxIDateOrder::doMYD;
        else if (order == "YMD") DateOrder = TVxIDateOrder::doYMD;
        else if (order == "YDM") DateOrder = TVxIDateOrder::doYDM;
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
                               (spaced && (Text::SameText("[" + fn + "]", name) || Text::SameText("\"" + fn + "\"", name))) ||
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

std::string TVxImportBaseComponent::GetTableName() const
{
    if (!TableName.empty())
        return TableName;
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
        auto target = std::find_if(slots.begin(), slots.end(), [&](const Variant &s) {
            return s.IsArray() && sameName(s, KeyColumns[k]);
        });
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

// ---------------------------------------------------------------- the run

void TVxImportBaseComponent::Execute()
{
    Statistic.Result = TVxIResult::irUnknown;
    if (OnBeforeExecute)
        OnBeforeExecute(this);
    parserCache_.clear();
    parsers_.clear(); // every run compiles its expressions anew
    std::string property;
    if (CheckProperties(property))
        throw EVxIError(FormatMessage(ImpTexts().PropertyNotSpecified, {property}));
    if (DatasetKeys.empty() && isKeyedMode(Mode))
        throw EVxIError(FormatMessage(ImpTexts().PropertyNotSpecified, {"DatasetKeys"}));
    if (!AskParameters())
        return;
    OpenSource();

    TVxIHost &host = HostRef();
    const bool waitCursor = Options.Has(TVxIOption::soWaitCursor);
    bool automaticMappings = false;
    std::string resultText;
    try {
        if (waitCursor)
            host.SetWaitCursor(true);
        if (AnimatedStatus) {
            const TImpTexts &t = ImpTexts();
            TVxIProgressSetup setup{t.Importing, TitleStatus, Options.Has(TVxIOption::soExtendedStatistic),
                                    Options.Has(TVxIOption::soUseAnimatedControl), t.Deleted, t.Updated, t.Added,
                                    t.Errors, t.Processed, t.CancelButton};
            if (!host.OpenProgress(setup))
                host.ShowError(t.CantCreateProcessDialog);
        }
        if (Mappings.Empty()) {
            Columns.Clear();
            CreateColumns();
            if (OnCreateStructure)
                OnCreateStructure(this, Columns);
            if (Mappings.Empty()) {
                AutoMapColumns();
                automaticMappings = true;
            }
        }
        ImportData();
        if (automaticMappings)
            Mappings.Clear();
        const bool cancelled = (host.ProgressOpen() && host.ProgressCancelled()) || AbortRequested;
        resultText = cancelled ? ImpTexts().ResultCanceled : ImpTexts().ResultCompleted;
        Statistic.Result = cancelled ? TVxIResult::irCanceled : TVxIResult::irExecuted;
    } catch (const std::exception &e) {
        // Mappings made up for this run must not pass for the user's own in the next one.
        if (automaticMappings)
            Mappings.Clear();
        resultText = ImpTexts().ResultFailed + "\r\n" + e.what();
        Statistic.Result = TVxIResult::irFailed;
    }
    parserCache_.clear();
    parsers_.clear();
    if (waitCursor)
        host.SetWaitCursor(false);
    if (AnimatedStatus) {
        const TVxIStatistic &s = Statistic;
        host.UpdateProgress(resultText, {s.TotalCount, s.TotalSkipped, s.TotalUpdated, s.TotalDeleted, s.TotalAdded,
                                         s.TotalErrors});
        if (host.ProgressOpen()) {
            host.SetProgressButtonCaption(ImpTexts().OKButton);
            if (!Options.Has(TVxIOption::soAutoCloseStatistic))
                while (!host.ProgressCancelled())
                    host.ProcessPendingInput();
        }
        host.CloseProgress();
    } else if (Options.Has(TVxIOption::soShowMessage)) {
        host.ShowInformation(resultText, "Information");
    }
    CloseSource();
    if (OnAfterExecute)
        OnAfterExecute(this);
}

void TVxImportBaseComponent::EmptyDestination()
{
    if (ActionKind == TVxIActionKind::akGenerateSQL)
        Statistic.LastSQL = "DELETE FROM " + GetTableName();
    for (DataSet->First(); !DataSet->Eof(); ++Statistic.TotalDeleted) {
        if (ActionKind == TVxIActionKind::akDatasetApply)
            DataSet->Delete();
        else
            DataSet->Next();
    }
}

void TVxImportBaseComponent::ImportData()
{
    TransactionActive = false;
    PrepareMappings();
    PrepareRowValues();

    TVxIHost &host = HostRef();
    if (DataSet)
        DataSet->DisableControls();
    struct Finish {
        TVxImportBaseComponent &c;
        ~Finish()
        {
            try {
                if (c.TransactionActive) {
                    if (c.OnFinishTransaction)
                        c.OnFinishTransaction(&c);
                    c.TransactionActive = false;
                }
                if (c.DataSet && c.DataSet->Active())
                    c.DataSet->First();
            } catch (...) {
                // the run's own error is the one to report
            }
            if (c.DataSet)
                c.DataSet->EnableControls();
        }
    } finish{*this};

    TVxIStatistic &s = Statistic;
    s.TotalCount = s.TotalImported = s.TotalAdded = s.TotalDeleted = s.TotalUpdated = s.TotalErrors = s.TotalSkipped = 0;
    s.LastAction = TVxIAction::iaUnknown;
    s.LastSQL.clear();
    if (Mode == TImportMode::imCopy && DataSet)
        EmptyDestination();

    FirstRow();
    s.TotalCount = std::min(GetRowCount(), RowLast);
    if (AnimatedStatus)
        host.SetProgressRange(0, s.TotalCount, 0);

    bool found = false;
    AbortRequested = false;
    int step = 0;
    while (!AbortRequested && !(host.ProgressOpen() && host.ProgressCancelled()) && HasRow()) {
        if (AnimatedStatus && step >= s.UpdateStep) {
            host.UpdateProgress(TitleStatus, {s.TotalImported, s.TotalSkipped, s.TotalUpdated, s.TotalDeleted,
                                              s.TotalAdded, s.TotalErrors});
            step = 0;
        }
        ++step;
        ++s.TotalImported;
        s.LastAction = TVxIAction::iaUnknown;
        if (CommitCount == 0)
            throw EVariantError("Division by zero");
        if (s.TotalImported % CommitCount == 0) {
            if (TransactionActive) {
                if (OnFinishTransaction)
                    OnFinishTransaction(this);
                TransactionActive = false;
            }
            if (OnStartTransaction) {
                OnStartTransaction(this);
                TransactionActive = true;
            }
        }
        RunRow(found);
        AbortRequested = false;
        if (OnAfterRecordEvent)
            OnAfterRecordEvent(this, AbortRequested);
        NextRow();
    }
}

// Reports a failing row; true when the handler asks to stop the run.
bool TVxImportBaseComponent::ReportRowError(const std::exception &error)
{
    if (!OnErrorEvent)
        return false;
    bool abort = AbortOnProblem;
    OnErrorEvent(this, error, abort);
    return abort;
}

void TVxImportBaseComponent::RunRow(bool &found)
{
    try {
        if (!ProcessRow()) {
            ++Statistic.TotalSkipped;
            return;
        }
        sqlFields_.clear();
        sqlValues_.clear();
        sqlCondition_.clear();
        if (isKeyedMode(Mode) && !DatasetKeys.empty() && count(KeyColumns) >= 1) {
            Variant keyValues;
            if (count(KeyColumns) == 1) {
                keyValues = KeyColumns[0][2];
            } else {
                std::vector<Variant> values;
                for (int k = 0; k < count(KeyColumns); ++k)
                    values.push_back(KeyColumns[k][2]);
                keyValues = Variant::Array(std::move(values));
            }
            if (ActionKind == TVxIActionKind::akGenerateSQL)
                BuildSQLCondition();
            bool exist = true;
            bool executeLocate = true;
            if (OnLocateRecord)
                OnLocateRecord(this, DatasetKeys, keyValues, exist, executeLocate);
            if (exist && executeLocate)
                exist = DataSet->Locate(DatasetKeys, keyValues);
            found = exist;
        }
        if (OnBeforeUpdate)
            OnBeforeUpdate(this);

        TVxIAction action = TVxIAction::iaUnknown;
        switch (Mode) {
        case TImportMode::imAppend:
        case TImportMode::imCopy: action = TVxIAction::iaAdd; break;
        case TImportMode::imUpdate: action = found ? TVxIAction::iaUpdate : TVxIAction::iaUnknown; break;
        case TImportMode::imAppendUpdate: action = found ? TVxIAction::iaUpdate : TVxIAction::iaAdd; break;
        case TImportMode::imDelete: action = found ? TVxIAction::iaDelete : TVxIAction::iaUnknown; break;
        case TImportMode::imAppendNewOnly: action = found ? TVxIAction::iaUnknown : TVxIAction::iaAdd; break;
        }
        Statistic.LastAction = action;

        try {
            ApplyRow(found);
        } catch (const std::exception &e) {
            if (ActionKind == TVxIActionKind::akDatasetApply && isEditing(DataSet))
                DataSet->Cancel();
            ++Statistic.TotalErrors;
            TakeBackCounter(found);
            if (ReportRowError(e))
                throw ERowAborted(e.what());
        }
    } catch (const ERowAborted &) {
        throw;
    } catch (const std::exception &e) {
        // A row that fails before it is written is lost just the same: it counts as an
        // error, so a run never reports success with rows silently dropped.
        ++Statistic.TotalErrors;
        if (ReportRowError(e))
            throw;
    }
}

void TVxImportBaseComponent::ApplyRow(bool found)
{
    const bool apply = ActionKind == TVxIActionKind::akDatasetApply;
    switch (Statistic.LastAction) {
    case TVxIAction::iaAdd:
        ++Statistic.TotalAdded;
        if (apply)
            DataSet->Append();
        break;
    case TVxIAction::iaUpdate:
        ++Statistic.TotalUpdated;
        if (apply)
            DataSet->Edit();
        break;
    case TVxIAction::iaDelete:
        ++Statistic.TotalDeleted;
        if (apply)
            DataSet->Delete();
        break;
    case TVxIAction::iaUnknown: break;
    }
    if (!((apply && isEditing(DataSet)) || !apply))
        return;
    for (int m = 0; m < count(MappedColumns); ++m) {
        Variant &mapped = MappedColumns[m];
        const int slot = mapped[3].AsInteger();
        if (slot < 0)
            continue;
        TField *field = DestinationField(Slot(slot)[3].AsInteger());
        if (!field)
            continue;
        bool accept = apply || !field->IsBlob();
        // Without a handler the value is written as it stands; a handler gets its own copy.
        Variant changed;
        if (OnBeforeFieldUpdate) {
            changed = mapped[2];
            OnBeforeFieldUpdate(this, field, changed, accept);
        }
        const Variant &value = OnBeforeFieldUpdate ? changed : mapped[2];
        if (!accept)
            continue;
        if (!apply) {
            AddSQLField(field, value);
            continue;
        }
        if (hasEmptyText(value))
            field->Clear();
        else if (field->DataType() == TFieldType::ftLargeint)
            field->SetAsString(value.AsString());
        else
            field->SetValue(value);
    }
    if (apply && isEditing(DataSet))
        DataSet->Post();
    if (!apply)
        ComposeSQL();
}

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
            sqlCondition_ += "(" + name + "=" + FormatLiteral(key[2], DataSet ? DataSet->FindField(name) : nullptr) + ")";
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
TField *TVxImportBaseComponent::SlotField(Variant &slot, int &position) const
{
    position = slot[3].AsInteger();
    TField *field = DestinationField(position);
    if (!field && DataSet && (field = DataSet->FindField(slot[0].AsString())))
        position = field->Index();
    return field;
}

TField *TVxImportBaseComponent::DestinationField(int position) const
{
    if (!DataSet || position < 0 || position >= DataSet->FieldCount())
        return nullptr;
    return DataSet->Fields(position);
}

bool TVxImportBaseComponent::ConditionHolds(const std::string &expression)
{
    Variant value;
    EvaluateExpression(Variant(expression), -1, value);
    return value.AsBoolean();
}

bool TVxImportBaseComponent::ProcessRow()
{
    EvaluateRowValues();
    return FinishRowValues();
}

void TVxImportBaseComponent::EvaluateRowValues()
{
    const int slots = count(RowValues);
    for (int i = 0; i < slots; ++i) {
        Variant &slot = Slot(i);
        int position = -1;
        TField *field = SlotField(slot, position);
        CurrentFieldIndex = field ? position : -1;
        Variant value;
        EvaluateExpression(slot[1], CurrentFieldIndex, value);
        if (const std::string *text = value.StringPointer()) {
            const std::string *expression = slot[1].StringPointer();
            if ((expression && *text == *expression) || (field && Text::SameText(*text, field->FieldName())))
                value = Variant::Null();
        }
        if (CharacterSet != TVxICharacterSet::csiANSI_WINDOWS && !value.IsNullOrEmpty() &&
            (!field || !isNumericOrDateTime(field->DataType())))
            ConvertCharacterSet(value);
        if (OnGetCellParams)
            OnGetCellParams(this, field, value);
        slot[2] = std::move(value);
    }
    CurrentFieldIndex = -1;
}

bool TVxImportBaseComponent::FinishRowValues()
{
    bool accept = true;
    const int slots = count(RowValues);
    if (!LoadCondition.LoadWhen.empty())
        accept = ConditionHolds(LoadCondition.LoadWhen);
    if (accept && !LoadCondition.SkipIf.empty())
        accept = !ConditionHolds(LoadCondition.SkipIf);
    if (accept && Options.Has(TVxIOption::soSkipEmptyRow)) {
        accept = false;
        for (int i = 0; i < slots && !accept; ++i) {
            const Variant &v = Slot(i)[2];
            const std::string t = v.IsArray() ? "x" : Text::Trim(v.AsString());
            accept = !t.empty() && t != "0";
        }
    }
    if (OnBeforeRecordEvent)
        OnBeforeRecordEvent(this, "", RowValues, accept);

    if (accept && slots > 0) {
        auto copyFromSlot = [&](Variant &e) {
            const int s = e[3].AsInteger();
            if (s < 0 || s >= slots)
                return;
            // Names and expressions rarely change between rows: copy them only when a
            // handler made them differ.
            for (int k = 0; k < 2; ++k)
                if (!e[k].SameAs(Slot(s)[k]))
                    e[k] = Slot(s)[k];
            e[2] = Slot(s)[2];
        };
        for (int m = 0; m < count(MappedColumns); ++m)
            copyFromSlot(MappedColumns[m]);
        if (Mode != TImportMode::imAppend && Mode != TImportMode::imCopy)
            for (int k = 0; k < count(KeyColumns); ++k)
                copyFromSlot(KeyColumns[k]);
    }
    return accept;
}

void TVxImportBaseComponent::ConvertCharacterSet(Variant &value) const
{
    const std::string text = value.AsString();
    if (CharacterSet == TVxICharacterSet::csiASCII_MSDOS)
        value = Variant(ConvertFromOEM(text));
    else if (CharacterSet == TVxICharacterSet::csiEBCDIC)
        value = Variant(ConvertFromEBCDIC(text));
}

// ---------------------------------------------------------------- values read ahead

namespace {

constexpr const char *engineNames[] = {"LOOKUP",           "SUBSTITUTE",     "STATTOTALCOUNT",
                                       "STATTOTALIMPORTED", "STATTOTALADDED", "STATTOTALDELETED",
                                       "STATTOTALUPDATED", "STATERRORCOUNT", "STATTOTALSKIPPED"};

} // namespace

std::vector<std::string> TVxImportBaseComponent::ParameterNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < Parameters.Count(); ++i)
        names.push_back(Parameters[i].Name());
    return names;
}

bool TVxImportBaseComponent::PlanSourceValues(TSourcePlan &plan)
{
    plan = TSourcePlan{};
    // These two run while a value is read: on another thread they could not.
    if (OnParsedValue || OnGetCellParams)
        return false;
    if (!LoadCondition.LoadWhen.empty() || !LoadCondition.SkipIf.empty() ||
        CharacterSet != TVxICharacterSet::csiANSI_WINDOWS)
        return false;
    const bool textSource = TableType == TTableTypeImport::teText || TableType == TTableTypeImport::teClipboard;
    for (int i = 0; i < count(RowValues); ++i) {
        Variant &slot = Slot(i);
        const std::string *expression = slot[1].StringPointer();
        if (!expression)
            return false;
        TSourcePlan::TSlot planned;
        planned.expression = *expression;
        int position = -1;
        planned.field = SlotField(slot, position);
        if (planned.field) {
            planned.fieldType = planned.field->DataType();
            planned.fieldName = planned.field->FieldName();
            planned.fieldIsBlob = planned.field->IsBlob();
        }
        std::string name;
        if (textSource && expression->rfind(ImpTexts().Text, 0) == 0) {
            planned.direct = true;
            name = *expression;
        } else {
            try {
                TVxIParser &parser = ParserFor(*expression);
                if (!parser.IsBareName())
                    return false;
                name = parser.BareName();
            } catch (const std::exception &) {
                return false; // the row loop reports it, row by row
            }
            if (ParserFunctions().FindShared(name))
                return false;
        }
        // As EvaluateIdentifier takes the name from the value it receives.
        if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
            name = name.substr(1, name.size() - 2);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        if (std::any_of(std::begin(engineNames), std::end(engineNames),
                        [&](const char *n) { return Text::SameText(name, n); }))
            return false;
        if (Parameters.Count() && Parameters.Find(name))
            return false;
        planned.name = std::move(name);
        plan.slots.push_back(std::move(planned));
    }
    plan.formats = DataFormats;
    plan.trimSpaces = TrimSpaces;
    plan.tableType = TableType;
    plan.blobEncoded = IsBLOBEncoded();
    plan.masks = CachedMasks();
    plan.parameterNames = ParameterNames();
    plan.functionCount = ParserFunctions().Count();
    RegionalSettings::current(); // read here, before another thread asks
    return true;
}

bool TVxImportBaseComponent::PlanHolds(const TSourcePlan &plan)
{
    if (OnParsedValue || OnGetCellParams || !LoadCondition.LoadWhen.empty() || !LoadCondition.SkipIf.empty() ||
        CharacterSet != TVxICharacterSet::csiANSI_WINDOWS || TrimSpaces != plan.trimSpaces ||
        TableType != plan.tableType || !(DataFormats == plan.formats) || IsBLOBEncoded() != plan.blobEncoded ||
        ParserFunctions().Count() != plan.functionCount || count(RowValues) != static_cast<int>(plan.slots.size()))
        return false;
    if (Parameters.Count() != static_cast<int>(plan.parameterNames.size()) ||
        (Parameters.Count() && ParameterNames() != plan.parameterNames))
        return false;
    for (std::size_t i = 0; i < plan.slots.size(); ++i) {
        const TSourcePlan::TSlot &planned = plan.slots[i];
        Variant &slot = Slot(static_cast<int>(i));
        const std::string *expression = slot[1].StringPointer();
        if (!expression || *expression != planned.expression)
            return false;
        int position = -1;
        TField *field = SlotField(slot, position);
        if (field != planned.field ||
            (field && (field->DataType() != planned.fieldType || field->FieldName() != planned.fieldName)))
            return false;
    }
    return true;
}

void TVxImportBaseComponent::FinishPlannedValue(const TSourcePlan &plan, std::size_t slot, Variant &value)
{
    const TSourcePlan::TSlot &planned = plan.slots[slot];
    const bool wasString = value.IsString();
    TrimSourceText(value, plan.trimSpaces);
    if (!value.IsArray() && (value.IsString() ? value.StringPointer()->empty() : value.AsString().empty())) {
        value = Variant::Null();
    } else if (planned.field) {
        try {
            ConvertForField(planned.fieldType, planned.fieldName, plan.blobEncoded && planned.fieldIsBlob, value,
                            wasString, planned.direct, plan.blobEncoded, plan.formats, &plan.masks);
        } catch (const std::exception &) {
            // as EvaluateIdentifier: the text goes on as it is
        }
    }
    if (const std::string *text = value.StringPointer())
        if (*text == planned.expression || (planned.field && Text::SameText(*text, planned.fieldName)))
            value = Variant::Null();
}

bool TVxImportBaseComponent::ProcessPlannedRow(std::vector<Variant> &values)
{
    const int slots = std::min(count(RowValues), static_cast<int>(values.size()));
    for (int i = 0; i < slots; ++i)
        Slot(i)[2] = std::move(values[static_cast<std::size_t>(i)]);
    CurrentFieldIndex = -1;
    return FinishRowValues();
}

// ---------------------------------------------------------------- parameters

bool TVxImportBaseComponent::AskParameters()
{
    std::vector<TVxIParameterPrompt> prompts;
    std::vector<TVxIParameter *> asked;
    for (int i = 0; i < Parameters.Count(); ++i) {
        TVxIParameter &p = Parameters[i];
        if (p.Expression.empty())
            p.Value = Variant::Null();
        else if (p.ParameterMode == TVxIParameterMode::ipmAsk)
            p.Value = Variant(p.Expression);
        else
            EvaluateExpression(Variant(p.Expression), -1, p.Value);
        if (p.ParameterMode == TVxIParameterMode::ipmCalculate)
            continue;

        TVxIParameterPrompt prompt;
        prompt.Caption = p.Caption;
        prompt.Description = p.Description;
        prompt.Editor = p.ParameterEditor;
        switch (p.ParameterEditor) {
        case TVxIParameterEditor::ipeEdit:
        case TVxIParameterEditor::ipeMemo: prompt.Text = p.Value.IsArray() ? "" : p.Value.AsString(); break;
        case TVxIParameterEditor::ipeCheckBox:
            if (!p.Value.IsNullOrEmpty()) {
                try {
                    prompt.Checked = p.Value.AsString() == ImpTexts().True || p.Value.AsBoolean();
                } catch (const std::exception &) {
                    prompt.Checked = false;
                }
            }
            break;
        case TVxIParameterEditor::ipeCombobox:
        case TVxIParameterEditor::ipeListBox: {
            prompt.Items = p.ParamPromptValues.Lines();
            const TVarType t = p.Value.VarType();
            if (p.Value.IsNullOrEmpty())
                prompt.ItemIndex = 0;
            else if (t == TVarType::varSmallint || t == TVarType::varInteger)
                prompt.ItemIndex = p.Value.AsInteger();
            else {
                const auto it = std::find(prompt.Items.begin(), prompt.Items.end(), p.Value.AsString());
                prompt.ItemIndex = it == prompt.Items.end() ? -1 : static_cast<int>(it - prompt.Items.begin());
            }
            break;
        }
        }
        prompts.push_back(std::move(prompt));
        asked.push_back(&p);
    }
    if (prompts.empty())
        return true;
    if (!HostRef().PromptParameters(ImpTexts().ParameterProperties, prompts))
        return false;
    bool complete = true;
    for (std::size_t i = 0; i < asked.size(); ++i) {
        const TVxIParameterPrompt &prompt = prompts[i];
        std::string text;
        switch (prompt.Editor) {
        case TVxIParameterEditor::ipeEdit:
        case TVxIParameterEditor::ipeMemo: text = prompt.Text; break;
        case TVxIParameterEditor::ipeCheckBox: text = prompt.Checked ? ImpTexts().True : ImpTexts().False; break;
        default:
            if (prompt.ItemIndex >= 0 && prompt.ItemIndex < static_cast<int>(prompt.Items.size()))
                text = prompt.Items[static_cast<std::size_t>(prompt.ItemIndex)];
        }
        asked[i]->Value = Variant(text);
        // A required parameter left blank has no value, whatever the editor gave back.
        if (asked[i]->Required && text.empty())
            complete = false;
    }
    return complete;
}

// ---------------------------------------------------------------- evaluation

TVxIParser &TVxImportBaseComponent::ParserFor(const std::string &expression)
{
    auto &parser = parsers_[expression];
    if (!parser) {
        parser = std::make_unique<TVxIParser>();
        parser->ProcessBeforeEvent = false;
        parser->OnEvaluate = [this](TVxIParser *sender, const std::string &eval, std::vector<Variant> &args, int argCount,
                                    bool isChild, Variant &value, bool &done) {
            EvaluateIdentifier(sender, eval, args, argCount, isChild, value, done);
        };
        parser->SetText(expression);
    }
    return *parser;
}

void TVxImportBaseComponent::EvaluateExpression(const Variant &expression, int columnIndex, Variant &value)
{
    std::string copy;
    const std::string *pointer = expression.StringPointer();
    if (!pointer)
        pointer = &(copy = expression.AsString());
    const std::string &text = *pointer;
    if ((TableType == TTableTypeImport::teText || TableType == TTableTypeImport::teClipboard) &&
        text.rfind(ImpTexts().Text, 0) == 0) {
        value = Variant(text);
        bool done = false;
        directEvaluation_ = true;
        struct Reset {
            bool &flag;
            ~Reset() { flag = false; }
        } reset{directEvaluation_};
        EvaluateIdentifier(nullptr, text, noArgs_, 0, false, value, done);
        return;
    }
    // The row loop asks again and again for the same few expressions, held in the same
    // value-list entries: those are found by address (checked against the text) before
    // any lookup by text.
    TVxIParser *parser = nullptr;
    for (const auto &[key, cached] : parserCache_)
        if (key == pointer && cached->Text() == text) {
            parser = cached;
            break;
        }
    if (!parser) {
        parser = &ParserFor(text);
        if (pointer != &copy) {
            if (parserCache_.size() >= 64)
                parserCache_.clear();
            parserCache_.emplace_back(pointer, parser);
        }
    }
    parser->EvaluateInto(value);
}

Variant TVxImportBaseComponent::Substitute(const std::vector<Variant> &args) const
{
    const std::string sources = args.size() > 1 ? args[1].AsString() : std::string();
    if (sources.empty())
        return Variant::Null();
    const std::string value = args[0].AsString();
    const std::vector<std::string> from = splitAt(sources, ';');
    const std::vector<std::string> to = splitAt(args.size() > 2 ? args[2].AsString() : std::string(), ';');
    for (std::size_t i = 0; i < from.size(); ++i)
        if (Text::TrimRight(from[i]) == value)
            return Variant(i < to.size() ? Text::TrimRight(to[i]) : std::string());
    return Variant::Null();
}

Variant TVxImportBaseComponent::Lookup(const std::vector<Variant> &args)
{
    const std::string table = args[0].AsString();
    const TVxIDataSetRegistry &registry = TVxIDataSetRegistry::Instance();
    TDataSet *dataSet = nullptr;
    if (table.find('.') != std::string::npos) {
        dataSet = registry.Find(table);
    } else {
        const std::string &form = owner_ ? owner_->FormName : FormName;
        if (!form.empty())
            dataSet = registry.Find(form + "." + table);
        if (!dataSet)
            dataSet = registry.Find(table);
    }
    if (!dataSet)
        throw EVxIError(FormatMessage(ImpTexts().DataSetNotFound, {table}));
    if (!dataSet->Locate(args[1].AsString(), args[2]))
        return Variant::Null();
    std::string resultField = args[3].AsString();
    if (resultField.size() >= 2 && resultField.front() == '~' && resultField.back() == '~')
        resultField = resultField.substr(1, resultField.size() - 2);
    return dataSet->FieldByName(resultField)->Value();
}

void TVxImportBaseComponent::EvaluateIdentifier(TVxIParser *sender, const std::string &eval, std::vector<Variant> &args,
                                                int argCount, bool isChild, Variant &value, bool &done)
{
    done = argCount == 0;
    std::string name = value.IsArray() ? std::string() : value.AsString();
    if (value.IsString()) {
        const std::size_t before = name.size();
        if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
            name = name.substr(1, name.size() - 2);
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        if (name.size() != before)
            value = Variant(name);
    }

    const TVxIStatistic &s = Statistic;
    const char first = name.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    const bool engineName = first == 'L' || first == 'S'; // LOOKUP, SUBSTITUTE and the Stat... variables
    if (engineName && Text::SameText(name, "LOOKUP") && argCount >= 4) {
        value = Lookup(args);
    } else if (engineName && Text::SameText(name, "SUBSTITUTE") && argCount >= 3) {
        value = Substitute(args);
    } else if (engineName && Text::SameText(name, "STATTOTALCOUNT")) {
        value = Variant(s.TotalCount);
    } else if (engineName && Text::SameText(name, "STATTOTALIMPORTED")) {
        value = Variant(s.TotalImported);
    } else if (engineName && Text::SameText(name, "STATTOTALADDED")) {
        value = Variant(s.TotalAdded);
    } else if (engineName && Text::SameText(name, "STATTOTALDELETED")) {
        value = Variant(s.TotalDeleted);
    } else if (engineName && Text::SameText(name, "STATTOTALUPDATED")) {
        value = Variant(s.TotalUpdated);
    } else if (engineName && Text::SameText(name, "STATERRORCOUNT")) {
        value = Variant(s.TotalErrors);
    } else if (engineName && Text::SameText(name, "STATTOTALSKIPPED")) {
        value = Variant(s.TotalSkipped);
    } else {
        if (TVxIParameter *p = Parameters.Count() ? Parameters.Find(name) : nullptr)
            value = p->Value;
        else
            GetFieldValue(Variant(std::move(name)), value);
        if (OnParsedValue)
            OnParsedValue(this, DestinationField(CurrentFieldIndex), value);
    }

    const bool wasString = value.IsString();
    TrimSourceText(value, TrimSpaces);
    if (!value.IsArray() && (value.IsString() ? value.StringPointer()->empty() : value.AsString().empty())) {
        value = Variant::Null();
        return;
    }
    if (isChild || CurrentFieldIndex == -1)
        return;
    TField *field = DestinationField(CurrentFieldIndex);
    if (!field)
        return;
    try {
        ConvertForField(field, value, wasString);
    } catch (const std::exception &) {
        // The text goes on as it is; the destination field's own conversion decides.
    }
}

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
        value = Variant::WideString(left && right ? Text::Trim(text) : left ? Text::TrimLeft(text) : Text::TrimRight(text));
}

void TVxImportBaseComponent::ConvertForField(TField *field, Variant &value, bool wasString)
{
    const TFieldType type = field->DataType();
    const bool dated = isDateField(type) || type == TFieldType::ftTime;
    const bool blobEncoded = IsBLOBEncoded();
    ConvertForField(type, field->FieldName(), blobEncoded && field->IsBlob(), value, wasString, directEvaluation_,
                    blobEncoded, DataFormats, dated ? &CachedMasks() : nullptr);
}

void TVxImportBaseComponent::ConvertForField(TFieldType type, const std::string &fieldName, bool isBlob,
                                             Variant &value, bool wasString, bool direct, bool blobEncoded,
                                             const TVxIDataFormats &df, const TMasks *masks)
{
    if (const std::string *pointer = value.StringPointer()) {
        const bool cdata = pointer->rfind("[CDATA[", 0) == 0;
        const bool decode = blobEncoded && (cdata || isBlob);
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

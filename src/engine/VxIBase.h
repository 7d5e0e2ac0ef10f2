#pragma once

#include "engine/VxITypes.h"

#include <functional>
#include <istream>
#include <string>
#include <unordered_map>
#include <vector>

class TVxIParser;
class TVxImportBaseComponent;

// Handler slots: a function called with the component as Sender; arguments passed by
// reference may be changed by the handler.
using TNotifyEvent = std::function<void(TVxImportBaseComponent *Sender)>;
using TErrorEvent = std::function<void(TVxImportBaseComponent *Sender, const std::exception &Error, bool &Abort)>;
using TGetCellParamsEvent = std::function<void(TVxImportBaseComponent *Sender, TField *Field, Variant &Value)>;
using TVxIParsedValue = TGetCellParamsEvent;
using TBeforeRecordEvent =
    std::function<void(TVxImportBaseComponent *Sender, const std::string &Fields, Variant &Values, bool &Accept)>;
using TAfterRecordEvent = std::function<void(TVxImportBaseComponent *Sender, bool &Abort)>;
using TBeforeFieldEvent =
    std::function<void(TVxImportBaseComponent *Sender, TField *Field, Variant &Value, bool &Accept)>;
using TVxISpecificationEvent = std::function<void(TVxImportBaseComponent *Sender, std::string &AFileName)>;
using TLocateRecordEvent = std::function<void(TVxImportBaseComponent *Sender, const std::string &KeyFields,
                                              const Variant &Values, bool &Exist, bool &ExecuteLocate)>;
using TVxIOnCreateStructure = std::function<void(TVxImportBaseComponent *Sender, TVxIColumns &Columns)>;

// The folder of the running program, ending with "/"; empty when the system does not tell.
std::string ProgramFolder();

// Raised for configuration errors the caller must fix ("Property %s wasn't specified.").
class EVxIError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Datasets that LOOKUP can reach by name. There are no forms here: the host registers
// each dataset under the name an expression uses ("STATES", or "form.STATES").
class TVxIDataSetRegistry {
public:
    static TVxIDataSetRegistry &Instance();
    void Register(const std::string &name, TDataSet *dataSet);
    void Unregister(const std::string &name);
    TDataSet *Find(const std::string &name) const; // ignoring case; nullptr when none

private:
    std::unordered_map<std::string, TDataSet *> byName_;
};

// The import engine: settings, mappings, the run loop and value conversion shared by
// every source. Readers derive from it and replace the source operations.
class TVxImportBaseComponent {
public:
    explicit TVxImportBaseComponent(TVxImportBaseComponent *owner = nullptr);
    virtual ~TVxImportBaseComponent();
    TVxImportBaseComponent(const TVxImportBaseComponent &) = delete;
    TVxImportBaseComponent &operator=(const TVxImportBaseComponent &) = delete;

    // ---- fields, in declaration order
    const std::string &About() const { return about_; }
    void SetAbout(const std::string &) { about_.clear(); }
    bool AnimatedStatus = true;
    bool AbortOnProblem = true;
    TDataSetLink DataSet; // cleared when the dataset is destroyed
    std::string DatasetKeys;
    TStringList Mappings;
    TImportMode Mode = TImportMode::imAppend;
    TVxILoadCondition LoadCondition;
    TVxISQLOptions SQLOptions;
    TVxIActionKind ActionKind = TVxIActionKind::akDatasetApply;
    TVxIOptions Options = DefaultOptions;
    std::string TitleStatus;

    TVxIFieldDelimiter FieldDelimiter() const { return fieldDelimiter_; }
    void SetFieldDelimiter(TVxIFieldDelimiter value);
    char FieldDelimiterCustom() const { return fieldDelimiterCustom_; }
    void SetFieldDelimiterCustom(char value);
    TVxITextQualifier TextQualifier() const { return textQualifier_; }
    void SetTextQualifier(TVxITextQualifier value);
    char TextQualifierCustom() const { return textQualifierCustom_; }
    void SetTextQualifierCustom(char value);
    TVxIRecordSeparator RecordSeparator() const { return recordSeparator_; }
    void SetRecordSeparator(TVxIRecordSeparator value);
    const std::string &RecordSeparatorCustom() const { return recordSeparatorCustom_; }
    void SetRecordSeparatorCustom(const std::string &value);

    bool Fixed = false;
    std::string SourceFileName;
    std::int32_t RowFirst = 1;
    std::int32_t RowLast = 2147483647;
    std::int32_t RowFieldNames = 1;
    std::string TableName;
    TVxICharacterSet CharacterSet = TVxICharacterSet::csiANSI_WINDOWS;
    TVxIDataFormats DataFormats;
    TTableTypeImport TableType = TTableTypeImport::teText;
    TVxITrimSpaces TrimSpaces = TVxITrimSpaces::tsNoTrim;
    std::int32_t CommitCount = 300;
    std::string SpecificationDir;
    TVxIStatistic Statistic;
    bool UseDisplayNames = false;
    // Rows the destination may take to a round trip when no handler needs to see a single
    // row's write as it happens; 1 writes every row as it comes. The counters, the errors
    // and their order come out the same either way.
    int WriteBatchRows = 200;
    TVxIColumns Columns;
    TVxIParameters Parameters;

    // ---- events
    TErrorEvent OnErrorEvent;
    TGetCellParamsEvent OnGetCellParams;
    TVxIParsedValue OnParsedValue;
    TNotifyEvent OnBeforeExecute;
    TNotifyEvent OnAfterExecute;
    TBeforeRecordEvent OnBeforeRecordEvent;
    TAfterRecordEvent OnAfterRecordEvent;
    TNotifyEvent OnBeforeUpdate;
    TBeforeFieldEvent OnBeforeFieldUpdate;
    TVxISpecificationEvent OnBeforeLoadSpecification;
    TVxISpecificationEvent OnAfterLoadSpecification;
    TVxISpecificationEvent OnBeforeSaveSpecification;
    TVxISpecificationEvent OnAfterSaveSpecification;
    TLocateRecordEvent OnLocateRecord;
    TNotifyEvent OnStartTransaction;
    TNotifyEvent OnFinishTransaction;
    TVxIOnCreateStructure OnCreateStructure;

    // ---- run-time state
    TVxImportBaseComponent *Owner() const { return owner_; }
    std::string FormName;     // the form this component lives on, for LOOKUP's unqualified names
    TVxIHost *Host = nullptr; // nullptr: DefaultHost()
    std::istream *SourceStream = nullptr;
    bool TransactionActive = false;
    bool AbortRequested = false;
    int CurrentFieldIndex = -1;
    Variant KeyColumns;
    Variant MappedColumns;
    Variant RowValues;

    // ---- the source contract, in slot order
    virtual void ImportData();
    virtual void OpenSource();
    virtual void CloseSource() {}
    virtual void PrepareRowValues();
    virtual void PrepareMappings();
    virtual bool ProcessRow();
    virtual void FirstRow() {}
    virtual void NextRow() {}
    virtual bool HasRow() { return false; }
    virtual std::int32_t GetRowCount() { return 0; }
    virtual void GetRowValue(int index, Variant &value) { value = Variant::Null(); }
    virtual void GetFieldValue(const Variant &name, Variant &value) { value = name; }
    virtual void EvaluateExpression(const Variant &expression, int columnIndex, Variant &value);
    virtual bool ShortSourceNames() { return false; }
    virtual bool CheckProperties(std::string &propertyName);
    // The base check, then the source file: for the readers that read one.
    bool CheckPropertiesAndSourceFile(std::string &propertyName);
    virtual bool IsBLOBEncoded() { return false; }
    virtual void GetDefaultExt(std::string &ext) const { ext = ".VXI"; }
    virtual void GetFileFilter(std::string &filter) const;
    virtual void CreateColumns();
    virtual void AutoMapColumns();
    virtual void ReadSpecification(const TStringList &list);
    virtual void WriteSpecification(std::ostream &stream, const std::string &specName);
    virtual void ExecuteFromStream(std::istream &stream);

    // ---- operations
    void Execute();
    bool AskParameters();
    // Specification files: with Ask the host lets the user confirm or change both
    // names first; an empty FileName to load asks the host for one.
    void SaveSpecification(std::string specName, std::string fileName, bool ask);
    void LoadSpecification(std::string fileName);
    // Where specification files go: SpecificationDir, or the program's own folder when
    // that is empty.
    std::string SpecificationFolder() const;
    virtual void Assign(const TVxImportBaseComponent &source);
    // The destination table's name: TableName, or what the destination dataset tells.
    virtual std::string GetTableName() const;
    static TVxIDataType FieldTypeToDataType(TFieldType type);

    // The identifier handler of every expression the engine evaluates.
    void EvaluateIdentifier(TVxIParser *sender, const std::string &eval, std::vector<Variant> &args, int argCount,
                            bool isChild, Variant &value, bool &done);

    // SQL text of script mode: a field name and a value as written in a statement.
    std::string FormatFieldName(const std::string &name) const;
    std::string FormatLiteral(const Variant &value, const TField *field) const;

    // Masks of the date and time conversions.
    std::string GetTimeMask() const;
    std::string GetDateTimeMask() const;

protected:
    // Sets SourceFileName to "VxImport" + the default extension; readers call it from
    // their constructor (the base's extension is not yet theirs in ours).
    void ApplyDefaultSourceFileName();
    TVxIHost &HostRef() const { return Host ? *Host : DefaultHost(); }
    // Maps each destination field to the column whose FieldName (a header's text) is the
    // field's name or display label, reading it by the column's Caption ("Field3"): for
    // sources whose values are asked for by position.
    void AutoMapColumnsToCaptions();
    TField *DestinationField(int position) const;
    // The table the destination dataset reads, from its table name, command or SQL text.
    std::string DataSetTableName() const;
    TField *SlotField(Variant &slot, int &position) const;

    // ProcessRow in two halves: the slots' values, then the conditions, the record event
    // and the copies into the mapped and key columns.
    void EvaluateRowValues();
    bool FinishRowValues();

    struct TMasks {
        bool valid = false;
        TVxIDataFormats formats;
        TTableTypeImport tableType = TTableTypeImport::teText;
        std::string dateTime, time;
    };

    // How every slot's value follows from the source row alone, for a reader that reads
    // rows ahead of the row loop on another thread: a copy of everything the values depend
    // on, so that the other thread reads nothing the row loop or its handlers may change
    // (the process's regional settings aside, which nothing changes during a run).
    // Only when no handler takes part in reading a value, there are no conditions and no
    // character-set conversion, and every expression is one plain source name (no
    // parameter, engine name or user function).
    struct TSourcePlan {
        struct TSlot {
            std::string name;                             // the source name the reader looks up
            std::string expression;                       // the slot's expression, as the row loop compares it
            TField *field = nullptr;                      // compared by the row loop only, never followed elsewhere
            TFieldType fieldType = TFieldType::ftUnknown; // what the conversion needs of the field
            std::string fieldName;
            bool fieldIsBlob = false;
            bool direct = false; // read without the parser (a text reference)
        };
        std::vector<TSlot> slots;
        TVxIDataFormats formats;
        TVxITrimSpaces trimSpaces = TVxITrimSpaces::tsNoTrim;
        TTableTypeImport tableType = TTableTypeImport::teText;
        bool blobEncoded = false;
        TMasks masks;
        std::vector<std::string> parameterNames;
        int functionCount = 0;
    };
    // Whether this reader's rows may be read ahead at all: a reader opts in when it can
    // work out a row's values from the row alone, on another thread. A reader derived
    // from one that opts in and reads or evaluates its fields its own way opts out again.
    virtual bool CanReadAhead() const { return false; }
    // The conditions both the plan and every row's check of it ask for.
    bool ValuesCanBeReadAhead() const;
    bool PlanSourceValues(TSourcePlan &plan);
    // True while the row loop would still read every slot as the plan says; a handler may
    // have changed an expression, a format or the destination since.
    bool PlanHolds(const TSourcePlan &plan);
    // The rest of a planned slot's value once the reader gave its text; reads only the plan.
    static void FinishPlannedValue(const TSourcePlan &plan, std::size_t slot, Variant &value);
    // A row whose slot values were worked out ahead: takes them and finishes the row.
    bool ProcessPlannedRow(std::vector<Variant> &values);

private:
    void RunRows(bool &found, int &step);
    void RunRow(bool &found);
    void BuildSQLCondition();
    void AddSQLField(const TField *field, const Variant &value);
    void ComposeSQL();
    void ApplyRow(bool found);
    void TakeBackCounter(bool found);
    bool ReportRowError(const std::exception &error);
    bool WritesCanBeBatched() const;
    void SendPendingRows(TDataSet::TPendingSend how = TDataSet::TPendingSend::psAll);
    void DropPendingRows();
    void EmptyDestination();
    void ConvertForField(TField *field, Variant &value, bool wasString);
    static void ConvertForField(TFieldType type, const std::string &fieldName, bool isBlob, Variant &value,
                                bool wasString, bool direct, bool blobEncoded, const TVxIDataFormats &formats,
                                const TMasks *masks);
    static void TrimSourceText(Variant &value, TVxITrimSpaces trimSpaces);
    std::vector<std::string> ParameterNames();
    Variant Lookup(const std::vector<Variant> &args);
    Variant Substitute(const std::vector<Variant> &args) const;
    void ConvertCharacterSet(Variant &value) const;
    TVxIParser &ParserFor(const std::string &expression);
    bool ConditionHolds(const std::string &expression);
    Variant &Slot(int index) { return RowValues[static_cast<std::size_t>(index)]; }

    TVxImportBaseComponent *owner_ = nullptr;
    std::string about_;
    TVxIFieldDelimiter fieldDelimiter_ = TVxIFieldDelimiter::fdTab;
    char fieldDelimiterCustom_ = '\t';
    TVxITextQualifier textQualifier_ = TVxITextQualifier::tqQuot;
    char textQualifierCustom_ = '"';
    TVxIRecordSeparator recordSeparator_ = TVxIRecordSeparator::rsCRLF;
    std::string recordSeparatorCustom_ = "\r\n";

    bool directEvaluation_ = false;                                        // EvaluateIdentifier called without a parser
    std::unordered_map<std::string, std::unique_ptr<TVxIParser>> parsers_; // compiled once per run
    std::vector<std::pair<const std::string *, TVxIParser *>> parserCache_;
    std::vector<Variant> noArgs_;
    std::string sqlFields_, sqlValues_, sqlCondition_; // the row's statement pieces
    TMasks masks_;
    const TMasks &CachedMasks();

    // Rows whose writes the destination holds, each with the counters as they stood once
    // it was written: a row that fails when sent alone is reported as it would have been.
    struct TPendingRow {
        TVxIStatistic statistic;
        bool found = false;
    };
    bool batching_ = false;
    std::vector<TPendingRow> pendingRows_;
    std::vector<TPendingRow> sentRows_; // sent ahead, their outcome not known yet
    TVxIStatistic beforePending_;       // the counters before the first of them
};

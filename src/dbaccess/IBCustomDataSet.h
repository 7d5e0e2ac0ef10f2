#pragma once

#include "engine/DataSet.h"
#include "dbaccess/IBKeyIndex.h"
#include "dbaccess/IBRowBuffer.h"
#include "dbaccess/IBSQL.h"
#include "dbaccess/IBUpdateSQL.h"
#include "dbaccess/IBWriteBatch.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TIBCustomDataSet;

// What a dataset tells the controls that show it.
enum class TDataEvent {
    deDataSetChange, // opened, closed, rows posted or deleted, controls enabled again
    deRecordChange,  // the cursor moved to another row
};

// Fills an auto-increment field from a server generator when a row is created.
class TIBGeneratorField {
public:
    enum class TIBGeneratorApplyEvent { gamOnNewRecord, gamOnPost, gamOnServer };

    std::string Generator;
    std::string Field;
    int IncrementBy = 1;
    TIBGeneratorApplyEvent ApplyEvent = TIBGeneratorApplyEvent::gamOnNewRecord;

    bool IsComplete() const { return !Generator.empty() && !Field.empty(); }
    void Clear()
    {
        Generator.clear();
        Field.clear();
    }
    // "SELECT GEN_ID(name, step) FROM RDB$DATABASE" with the name written for the dialect.
    std::string Statement(int sqlDialect) const;
};

// One column of a dataset.
class TIBField : public TField {
public:
    struct Metadata {
        bool Required = false;
        bool Computed = false;
        bool HasDefault = false;
        int CharacterLength = -1; // declared characters, -1 when unknown
        int Precision = 0;
    };

    TIBField(TIBCustomDataSet &dataSet, int index, const TIBColumnInfo &column, const Metadata &meta, bool utf8);

    const std::string &FieldName() const override { return name_; }
    std::string DisplayLabel() const override { return name_; }
    TFieldType DataType() const override { return type_; }
    TAlignment Alignment() const override;
    int Size() const override { return size_; }
    int Precision() const override { return precision_; }
    bool IsBlob() const override { return type_ == TFieldType::ftBlob || type_ == TFieldType::ftMemo; }
    int Index() const override { return index_; }
    bool Required() const override { return required_; }
    bool ReadOnly() const override { return readOnly_; }

    bool IsNull() const override;
    void Clear() override;
    std::string AsString() const override;
    void SetAsString(const std::string &text) override;
    Variant Value() const override;
    void SetValue(const Variant &value) override;

    // Decimals of a scaled numeric column (its stored integers are scaled by 10^Scale).
    int Scale() const { return scale_; }
    // The table and column the field comes from; empty for an expression.
    const std::string &RelationName() const { return relation_; }
    const std::string &ColumnName() const { return column_; }
    bool HasDefaultOrComputed() const { return hasDefault_ || computed_; }
    // The value as the field would store it. Texts are cut to the declared size only
    // when asked (a key searched for must not be shortened into a false match).
    TIBValue ToStorage(const Variant &value, bool cutText) const;
    std::string StorageToString(const TIBValue &stored) const;

private:
    TIBCustomDataSet &dataSet_;
    int index_;
    std::string name_;
    std::string relation_, column_;
    TFieldType type_;
    int size_ = 0;
    int precision_ = 0;
    int scale_ = 0;
    bool required_ = false;
    bool readOnly_ = false;
    bool computed_ = false;
    bool hasDefault_ = false;
    bool utf8_ = false;
};

// A query dataset: the rows of a select, fetched as the cursor needs them, written back
// through an update-statement object.
class TIBCustomDataSet : public TDataSet, public TIBLinked {
public:
    TIBCustomDataSet(TIBDatabase *database = nullptr, TIBTransaction *transaction = nullptr);
    ~TIBCustomDataSet() override;

    std::string ComponentName = "IBQuery2";
    TIBUpdateSQL *UpdateObject = nullptr;
    TIBGeneratorField GeneratorField;
    // The controls showing the dataset (a grid); silent while controls are disabled.
    std::function<void(TDataEvent)> OnDataEvent;

    void SetDatabase(TIBDatabase *database);
    void SetTransaction(TIBTransaction *transaction);
    TIBDatabase *Database() const { return database_; }
    TIBTransaction *Transaction() const { return transaction_; }

    // TDataSet
    const std::string &Name() const override { return ComponentName; }
    bool Active() const override { return state_ != TDataSetState::dsInactive; }
    void Open() override;
    void Close() override;
    TDataSetState State() const override { return state_; }
    void First() override;
    void Next() override;
    void Prior() override;
    void Last() override;
    bool Eof() const override { return eof_; }
    bool Bof() const override { return bof_; }
    bool IsEmpty() const override;
    void Append() override;
    void Insert() override;
    void Edit() override;
    void Post() override;
    void Cancel() override;
    void Delete() override;
    bool Locate(const std::string &keyFields, const Variant &keyValues, TLocateOptions options = {}) override;
    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    TField *Fields(int index) const override { return fields_.at(index).get(); }
    TField *FindField(std::string_view name) const override;
    void DisableControls() override { ++disableCount_; }
    // Enabled again, the controls learn of everything that happened meanwhile at once.
    void EnableControls() override;
    bool ControlsDisabled() const override { return disableCount_ > 0; }

    // Rows fetched so far (all of them once the end was reached), and random access to
    // them for a grid: the cursor moves to the row at that position.
    int RecordCount() const { return static_cast<int>(live_); }
    int RecNo() const; // 1-based position of the current row, 0 when none
    bool MoveToRecord(int recNo);
    bool AllFetched() const { return fetchedAll_; }
    void FetchAll();
    // Fetches up to count more rows, leaving the cursor where it is; the rows fetched.
    int FetchMore(int count);
    // A column of a fetched row without moving the cursor (a grid paints rows this way);
    // null when the row is not fetched.
    const TIBValue *RecordValue(int recNo, int field) const;

    // True when a posted row is re-read (a column has a default or is computed).
    bool NeedsRefresh() const { return needsRefresh_; }

    // False: rows written are neither kept nor re-read, and an append does not fetch the
    // table first, so that a run that never reads them back writes any number of rows in
    // bounded memory. Locate then finds rows through a compact index of the table's keys
    // (an edit of such a row writes the fields given a value, found by the row's key),
    // and browsing after a write fetches the table anew.
    bool KeepPostedRows = true;

    bool DeferWrites(int maxRows) override;
    int PendingWrites() const override { return static_cast<int>(batch_.Size()); }
    bool PendingWritesFull() const override { return batch_.Full(); }
    bool PendingWritesTouch(const std::string &keyFields, const Variant &keyValues) override;
    void SendPendingWrites(const TFailedWrite &failed, TPendingSend how = TPendingSend::psAll) override;
    int WritesInFlight() const override { return batch_.InFlight() ? static_cast<int>(batch_.Sent().size()) : 0; }
    void DropPendingWrites() override;
    const TIBWriteBatch &WriteBatch() const { return batch_; }

    void Release(TIBReleaseReason reason) override;

    // Field storage of the current row (the edit buffer while editing or inserting).
    const TIBValue &CurrentValue(int field) const;
    void AssignValue(int field, TIBValue value);

protected:
    std::vector<std::string> selectSQL_;

private:
    struct KeyIndex {
        bool active = false;
        std::string keyFields;
        std::vector<int> fields;
        std::unordered_map<std::string, std::vector<std::uint32_t>> rows;
    };

    // The compact index: for every key in the table, the values of the fields that the
    // update and delete statements find a row by, when they are not key fields themselves.
    struct TCompactIndex {
        bool active = false;
        std::string keyFields; // normalized, as KeyIndex
        std::vector<int> fields;
        std::vector<int> stored;   // identity fields besides the key fields
        std::vector<int> identity; // the fields an update of a located row is found by
        TIBKeyIndex rows;
    };
    // What a write did to the compact index, to be undone when the write is not made.
    struct TIndexChange {
        bool erased = false;
        std::string erasedKey;
        std::vector<TIBValue> erasedValues;
        bool added = false;
        std::string addedKey;
    };
    // An update of a located row: the fields given a value, by the row's identity.
    struct TPartialUpdate {
        std::unique_ptr<TIBSQL> query;
        std::vector<int> setFields;
        int shape = -1;
    };

    void CheckActive() const;
    void CheckBrowseMode();
    bool ParseKeyFields(const std::string &keyFields, std::vector<int> &fields, std::string &normalized) const;
    std::vector<TIBValue> KeyValues(const std::vector<int> &fields, const Variant &keyValues) const;
    std::string QuotedName(const std::string &name) const;
    std::string ColumnType(const TIBField &field) const;
    void BuildCompactIndex(const std::vector<int> &fields, const std::string &normalized);
    bool LocateCompact(const std::vector<int> &fields, const std::string &normalized,
                       const std::vector<TIBValue> &keys);
    TIndexChange ChangeCompactIndex(const std::vector<TIBValue> *before, const std::vector<TIBValue> *after);
    void UndoIndexChange(const TIndexChange &change);
    // Writes the executions one by one after their batch was undone; false when `failed`
    // asked to stop (the index changes of those not written are undone).
    bool WriteOneByOne(const std::vector<TIBWriteBatch::THeld> &writes, const std::vector<TIndexChange> &changes,
                       int firstPosition, const TFailedWrite &failed);
    void DropHeld();
    void WaitForWritesSent();
    void ReopenIfWritten();
    void ForgetWrites();
    void PostWithoutKeeping(bool inserting);
    void DeleteLocated();
    TPartialUpdate &PartialUpdate();
    int ShapeOf(TIBSQL &query, std::size_t contexts);
    void Write(TIBSQL &query, int shape, std::vector<TIBValue> values, std::vector<int> scales,
               const std::vector<TIBValue> *before, const std::vector<TIBValue> *after);
    static void RunStatement(TIBSQL &query, const std::vector<TIBValue> &values, const std::vector<int> &scales);
    void ParamValues(const TIBSQL &query, const std::vector<TIBValue> &current, std::vector<TIBValue> &values,
                     std::vector<int> &scales) const;
    void EndPost();
    void Notify(TDataEvent event);
    std::ptrdiff_t SlotOfRecord(int recNo) const;
    void CreateFields();
    std::unordered_map<std::string, TIBField::Metadata> ReadMetadata(const std::string &relation);
    bool FetchRow();
    std::ptrdiff_t NextLive(std::ptrdiff_t from);
    std::ptrdiff_t PriorLive(std::ptrdiff_t from) const;
    void StartInsert(bool atEnd);
    void ApplyGenerator();
    void FillParams(TIBSQL &query, const std::vector<TIBValue> &current) const;
    void ExecuteUpdate(TUpdateKind kind, const std::vector<TIBValue> &current);
    void RefreshPostedRow();
    void ClearBuffers();
    std::string EncodeKey(const std::vector<int> &fields, const std::vector<TIBValue> &values) const;
    void IndexAdd(std::uint32_t row);
    void IndexRemove(std::uint32_t row);
    bool LocateScan(const std::vector<int> &fields, const std::vector<TIBValue> &keys, TLocateOptions options);

    std::unique_ptr<TIBSQL> select_;
    std::unique_ptr<TIBSQL> generatorQuery_;
    std::vector<std::unique_ptr<TIBField>> fields_;
    bool needsRefresh_ = false;

    TIBRowBuffer rows_; // deleted rows leave an empty slot
    std::vector<TIBValue> fetched_;
    std::size_t live_ = 0;
    bool pendingRow_ = false; // the select has a fetched row not yet buffered
    bool fetchedAll_ = true;
    std::ptrdiff_t cur_ = -1;
    bool eof_ = true;
    bool bof_ = true;

    TDataSetState state_ = TDataSetState::dsInactive;
    std::vector<TIBValue> edit_;
    std::vector<TIBValue> old_;
    std::ptrdiff_t insertAt_ = -1;
    std::ptrdiff_t savedCur_ = -1;

    struct TParamBinding {
        struct Param {
            int field = -1; // -1: no such field, the parameter goes as null
            bool old = false;
            int scale = 0;
        };
        unsigned generation = ~0u;
        std::size_t fieldCount = 0;
        std::vector<Param> params;
    };
    const TParamBinding &BindingOf(const TIBSQL &query) const;
    const TIBValue &ParamValue(const TParamBinding::Param &p, const std::vector<TIBValue> &current) const;
    mutable std::unordered_map<const TIBSQL *, TParamBinding> bindings_;

    KeyIndex index_;
    int disableCount_ = 0;

    TCompactIndex compact_;
    bool located_ = false;             // the current row is one the compact index found
    std::vector<TIBValue> locatedRow_; // its key and identity values, the rest null
    std::vector<bool> assigned_;       // fields given a value while it is edited
    bool written_ = false;             // rows written since the select was opened
    std::unordered_map<std::string, TPartialUpdate> partialUpdates_;
    TIBWriteBatch batch_;
    bool deferring_ = false;
    struct {
        int insert = -1;
        int remove = -1;
    } batchShapes_;
    std::vector<TIBSQL *> shapeQueries_; // the statement each shape of the batch runs alone
    std::vector<TIndexChange> heldChanges_, flyingChanges_;
    std::unordered_map<std::string, int> heldKeys_, flyingKeys_;
};

class TIBQuery : public TIBCustomDataSet {
public:
    using TIBCustomDataSet::TIBCustomDataSet;

    const std::vector<std::string> &SQL() const { return selectSQL_; }
    // A new text closes the dataset.
    void SetSQL(std::vector<std::string> lines);
    bool GetStringProperty(std::string_view name, std::string &value) const override;
};

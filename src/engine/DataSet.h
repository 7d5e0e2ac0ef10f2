#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "values/Variant.h"

// The destination dataset as the import engine sees it: a cursor over rows with
// typed fields that can be appended, edited, posted and deleted. The database layer
// implements it for Firebird; the engine never sees a client-library type.

// Errors of the generic dataset layer (required fields, conversions, cursor misuse).
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Field kinds, in the classic order (ordinals are stable).
enum class TFieldType : std::uint8_t {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd,
};

enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };

enum class TDataSetState : std::uint8_t {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
    dsBlockRead,
    dsInternalCalc,
    dsOpening,
};

struct TLocateOptions {
    bool loCaseInsensitive = false;
    bool loPartialKey = false;
};

class TField {
public:
    virtual ~TField() = default;

    virtual const std::string &FieldName() const = 0;
    virtual std::string DisplayLabel() const = 0;
    virtual TFieldType DataType() const = 0;
    virtual TAlignment Alignment() const = 0;
    virtual int Size() const = 0;      // characters of a text field, decimals of a BCD field
    virtual int Precision() const = 0; // significant digits of float and BCD fields
    virtual bool IsBlob() const = 0;
    virtual int Index() const = 0; // position in the dataset's field list
    virtual bool Required() const = 0;
    virtual bool ReadOnly() const = 0;
    // Offered to the user where fields are listed by name (the expression builder).
    virtual bool Visible() const { return true; }

    virtual bool IsNull() const = 0;
    virtual void Clear() = 0; // sets Null
    virtual std::string AsString() const = 0;
    virtual void SetAsString(const std::string &text) = 0;
    virtual Variant Value() const = 0;
    virtual void SetValue(const Variant &value) = 0;
};

class TDataSet;

// A reference to a dataset that empties itself when the dataset is destroyed, so a
// component never keeps a dangling destination.
class TDataSetLink {
public:
    TDataSetLink() = default;
    TDataSetLink(const TDataSetLink &) = delete;
    ~TDataSetLink() { Reset(nullptr); }
    TDataSetLink &operator=(TDataSet *dataSet)
    {
        Reset(dataSet);
        return *this;
    }
    TDataSetLink &operator=(const TDataSetLink &other)
    {
        Reset(other.dataSet_);
        return *this;
    }
    TDataSet *operator->() const { return dataSet_; }
    operator TDataSet *() const { return dataSet_; }
    TDataSet *Get() const { return dataSet_; }

private:
    friend class TDataSet;
    void Reset(TDataSet *dataSet);
    TDataSet *dataSet_ = nullptr;
};

class TDataSet {
public:
    TDataSet() = default;
    TDataSet(const TDataSet &) = delete;
    TDataSet &operator=(const TDataSet &) = delete;
    virtual ~TDataSet();

    // The name by which expressions refer to the dataset (LOOKUP).
    virtual const std::string &Name() const = 0;

    virtual bool Active() const = 0;
    virtual void Open() = 0;
    virtual void Close() = 0;
    virtual TDataSetState State() const = 0;

    virtual void First() = 0;
    virtual void Next() = 0;
    virtual void Prior() = 0;
    virtual void Last() = 0;
    virtual bool Eof() const = 0;
    virtual bool Bof() const = 0;
    virtual bool IsEmpty() const = 0;

    virtual void Append() = 0;
    virtual void Insert() = 0;
    virtual void Edit() = 0;
    virtual void Post() = 0;
    virtual void Cancel() = 0;
    virtual void Delete() = 0;

    // Moves to the first row whose key fields (names separated by ";") equal the key
    // values (one value, or an array with one value per field). Not found keeps the cursor.
    virtual bool Locate(const std::string &keyFields, const Variant &keyValues, TLocateOptions options = {}) = 0;

    virtual int FieldCount() const = 0;
    virtual TField *Fields(int index) const = 0;
    virtual TField *FindField(std::string_view name) const = 0; // name compared ignoring case
    TField *FieldByName(std::string_view name) const;           // raises when missing

    virtual void DisableControls() = 0;
    virtual void EnableControls() = 0;
    virtual bool ControlsDisabled() const = 0;

    // String-valued properties the engine may ask of a dataset it knows nothing about
    // ("TableName", "CommandText", "SQL"); false when the dataset has no such property.
    virtual bool GetStringProperty(std::string_view name, std::string &value) const { return false; }

    // Writes held back and sent many at a time. A dataset that can hold writes is asked
    // to from now on, up to maxRows of them (0 stops and drops what is held); false when it
    // writes every row as it comes. Held writes are not in the database until sent.
    virtual bool DeferWrites(int maxRows) { return false; }
    virtual int PendingWrites() const { return 0; }
    virtual bool PendingWritesFull() const { return false; }
    // True when a held write may change what a search by those keys finds: it must be
    // sent before the search.
    virtual bool PendingWritesTouch(const std::string &keyFields, const Variant &keyValues) { return false; }
    // Sends the held writes. When they cannot all go at once, nothing of them stays and
    // they are written one by one: each failure is passed on with its position among
    // them, and `failed` returning true drops the ones after it unwritten.
    //
    // Writes may be sent ahead: the call returns while they travel, and the next call
    // first waits for them, so that their failures come first, at positions before the
    // writes held since (which continue the count). The modes: send everything and wait,
    // send ahead, or only wait for what travels.
    enum class TPendingSend { psAll, psAhead, psWaitOnly };
    using TFailedWrite = std::function<bool(int position, const std::exception &error)>;
    virtual void SendPendingWrites(const TFailedWrite &failed, TPendingSend how = TPendingSend::psAll) {}
    virtual int WritesInFlight() const { return 0; }
    // Drops the held writes (not those sent ahead).
    virtual void DropPendingWrites() {}

private:
    friend class TDataSetLink;
    std::vector<TDataSetLink *> links_;
};

// "Le champ '%s' doit avoir une valeur" and the other texts of the dataset layer.
namespace DataSetTexts {
inline constexpr const char *SFieldRequired = "Le champ '%s' doit avoir une valeur";
inline constexpr const char *SFieldNotFound = "Champ '%s' non trouvé";
inline constexpr const char *SNotEditing = "L'ensemble de données n'est pas en mode édition ou insertion";
inline constexpr const char *SDataSetClosed = "Opération non autorisée sur un ensemble de données fermé";
inline constexpr const char *SInvalidInteger = "'%s' n'est pas une valeur entière correcte";
inline constexpr const char *SInvalidFloat = "'%s' n'est pas une valeur à virgule flottante correcte";
inline constexpr const char *SInvalidDateTime = "'%s' n'est pas une date et heure correcte";
inline constexpr const char *SInvalidBoolean = "'%s' n'est pas une valeur booléenne correcte";
inline constexpr const char *SFieldReadOnly = "Le champ '%s' ne peut pas être modifié";
} // namespace DataSetTexts

// Replaces each "%s" of a message pattern by the next argument.
std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string_view> args);

#pragma once

#include "engine/DataSet.h"

#include <memory>
#include <string>
#include <vector>

// A destination held in memory: typed fields and rows of values. The wizard's data
// preview converts into one exactly as the run will write; tests and fuzz targets run the
// engine into one without a database. Values are converted for their field
// as they are set (a text for an integer field must read as one), and the key search
// compares values as the engine gives them.
class TMemoryDataSet : public TDataSet {
public:
    struct TFieldDef {
        std::string Name;
        TFieldType Type = TFieldType::ftString;
        int Size = 20;
        bool Required = false;
    };

    explicit TMemoryDataSet(const std::vector<TFieldDef> &fields, std::string name = "MEMORY");
    ~TMemoryDataSet() override;

    std::vector<std::vector<Variant>> Rows;

    const std::string &Name() const override { return name_; }
    bool Active() const override { return active_; }
    void Open() override;
    void Close() override;
    TDataSetState State() const override { return state_; }

    void First() override;
    void Next() override;
    void Prior() override;
    void Last() override;
    bool Eof() const override { return eof_; }
    bool Bof() const override { return bof_; }
    bool IsEmpty() const override { return Rows.empty(); }

    void Append() override;
    void Insert() override { Append(); }
    void Edit() override;
    void Post() override;
    void Cancel() override;
    void Delete() override;
    bool Locate(const std::string &keyFields, const Variant &keyValues, TLocateOptions options = {}) override;

    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    TField *Fields(int index) const override;
    TField *FindField(std::string_view name) const override;

    void DisableControls() override { ++disabled_; }
    void EnableControls() override { --disabled_; }
    bool ControlsDisabled() const override { return disabled_ > 0; }

    // What a user is shown of field index: its label (the name while empty) and whether it
    // is offered at all.
    void SetDisplayLabel(int index, std::string label);
    void SetFieldVisible(int index, bool visible);

    // The field's value in the row being edited, or in the current row.
    Variant FieldValue(int index) const;
    void SetFieldValue(int index, const Variant &value);

private:
    class TMemoryField;
    void CheckEditing() const;

    std::string name_;
    std::vector<std::unique_ptr<TMemoryField>> fields_;
    std::vector<Variant> buffer_; // the row being edited or inserted
    int current_ = -1;
    bool active_ = true;
    bool eof_ = true;
    bool bof_ = true;
    int disabled_ = 0;
    TDataSetState state_ = TDataSetState::dsBrowse;
};

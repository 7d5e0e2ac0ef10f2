#pragma once

#include "engine/VxIBase.h"
#include "sources/recordset/Recordset.h"

#include <memory>

// What the Access and the connection sources share: the rows of one record set, opened
// by the source and read forward, their fields found by name.
class TVxImportFromADODOA : public TVxImportBaseComponent {
public:
    using TVxImportBaseComponent::TVxImportBaseComponent;
    ~TVxImportFromADODOA() override;

    void CloseSource() override;
    void FirstRow() override;
    void NextRow() override;
    bool HasRow() override;
    std::int32_t GetRowCount() override;
    void GetFieldValue(const Variant &name, Variant &value) override;
    void CreateColumns() override;
    // TableName names the table read here, so the destination's name comes from the
    // destination dataset alone.
    std::string GetTableName() const override { return DataSetTableName(); }

    // The open record set; null while the source is closed.
    TRecordset *Recordset() const { return recordset_.get(); }

protected:
    // The record set the source opened; the columns and rows come from it.
    void SetRecordset(std::unique_ptr<TRecordset> recordset);
    // How a field is named among the columns; the name as it is by default.
    virtual std::string ColumnName(const TRecordsetField &field) const { return field.Name; }

private:
    std::unique_ptr<TRecordset> recordset_;
    std::int64_t counter_ = 0; // records read since the first
};

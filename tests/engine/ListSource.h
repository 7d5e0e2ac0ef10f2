#pragma once

#include "engine/VxIBase.h"

#include <string>
#include <vector>

// The smallest real source: rows of texts, columns named Field1, Field2, ...
class TListSource : public TVxImportBaseComponent {
public:
    std::vector<std::vector<std::string>> Rows;

    void FirstRow() override { row_ = RowFirst - 1; }
    void NextRow() override { ++row_; }
    bool HasRow() override { return row_ < static_cast<int>(Rows.size()) && row_ < RowLast; }
    std::int32_t GetRowCount() override { return static_cast<std::int32_t>(Rows.size()); }
    void CreateColumns() override
    {
        const std::size_t width = Rows.empty() ? 0 : Rows.front().size();
        for (std::size_t i = 0; i < width; ++i) {
            TVxIColumn &c = Columns.Add();
            c.FieldName = "Field" + std::to_string(i + 1);
            c.Caption = c.FieldName;
        }
    }
    void GetFieldValue(const Variant &name, Variant &value) override
    {
        const std::string n = name.AsString();
        value = name;
        if (n.rfind("Field", 0) != 0 || row_ < 0 || row_ >= static_cast<int>(Rows.size()))
            return;
        const std::size_t column = std::strtoul(n.c_str() + 5, nullptr, 10);
        if (column >= 1 && column <= Rows[static_cast<std::size_t>(row_)].size())
            value = Variant(Rows[static_cast<std::size_t>(row_)][column - 1]);
    }
    int CurrentRow() const { return row_; }
    void SetCurrentRow(int row) { row_ = row; }

private:
    int row_ = -1;
};

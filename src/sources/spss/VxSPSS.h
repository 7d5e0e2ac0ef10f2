#pragma once

#include "engine/VxITypes.h"
#include "sources/cells/VxCellsFile.h"

#include <cstdint>
#include <string>
#include <vector>

// An SPSS data file (.sav, .zsav) read through libreadstat into the cell model: one sheet,
// one column per variable, one row per case. Numbers with a date, date-time or time format
// arrive as dates and times; the system-missing value as no value.
class TSPSSFile : public TSpreadSheetFile {
public:
    struct TVariable {
        std::string Name;
        std::string Label;
        std::string Format;
        TVxIDataType DataType = TVxIDataType::itFloat;
        int Width = 0;
    };

    TSPSSFile();

    void LoadFromFile(const std::string &fileName) override;
    void LoadFromStream(std::istream &stream) override;

    int FieldCount() const override { return static_cast<int>(variables_.size()); }
    std::string FieldName(int index) const override;
    int FindField(const std::string &name) const override;
    const std::vector<TVariable> &Variables() const { return variables_; }
    std::int64_t CaseCount() const { return caseCount_; }

    // What a variable's print format makes of its numbers.
    static TVxIDataType DataTypeOfFormat(const std::string &format, bool numeric);

private:
    void Parse(std::vector<std::uint8_t> bytes);
    friend struct TSPSSParse;

    std::vector<TVariable> variables_;
    std::int64_t caseCount_ = 0;
};

#include "ExpectedSheet.h"

#include "Files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <regex>

TExpectedSheet ReadExpectedSheet(const std::string &path)
{
    const std::string text = ReadFile(path);
    TExpectedSheet rows(1);
    std::string cell;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                cell += text[++i];
            else if (c == '"')
                quoted = false;
            else
                cell += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(std::move(cell));
            cell.clear();
        } else if (c == '\n') {
            rows.back().push_back(std::move(cell));
            cell.clear();
            rows.emplace_back();
        } else if (c != '\r') {
            cell += c;
        }
    }
    if (!cell.empty() || !rows.back().empty())
        rows.back().push_back(std::move(cell));
    else
        rows.pop_back();
    return rows;
}

namespace {

bool parseNumber(const std::string &text, double &number)
{
    if (text.empty())
        return false;
    char *end = nullptr;
    number = std::strtod(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(number); // "NaN" and "Inf" are texts
}

bool parseDate(const std::string &text, double &serial)
{
    static const std::regex date(R"((\d\d)/(\d\d)/(\d{4}))");
    std::smatch m;
    if (!std::regex_match(text, m, date))
        return false;
    using namespace std::chrono;
    const year_month_day day{year{std::stoi(m[3])}, month{static_cast<unsigned>(std::stoi(m[1]))},
                             std::chrono::day{static_cast<unsigned>(std::stoi(m[2]))}};
    const year_month_day origin{year{1899}, December, std::chrono::day{30}};
    serial = static_cast<double>((sys_days(day) - sys_days(origin)).count());
    return true;
}

// The export keeps eight significant digits.
bool sameNumber(double a, double b) { return std::fabs(a - b) <= 1e-7 * std::fabs(b) + 1e-12; }

std::string describe(const Variant &value) { return value.IsNull() ? "(none)" : "'" + value.AsString() + "'"; }

} // namespace

std::vector<std::string> CompareWithExpected(const TSpreadSheet &sheet, const TExpectedSheet &expected,
                                             const std::vector<TExpectedOverride> &overrides)
{
    std::vector<std::string> differences;
    const auto differ = [&](int row, int column, const std::string &want, const Variant &got) {
        differences.push_back("row " + std::to_string(row) + " column " + std::to_string(column) + ": expected '" +
                              want + "', read " + describe(got));
    };
    for (int row = 0; row < static_cast<int>(expected.size()); ++row)
        for (int column = 0; column < static_cast<int>(expected[row].size()); ++column) {
            const Variant got = sheet.Cells.GetCellValue(column, row);
            std::string want = expected[row][column];
            bool overridden = false;
            for (const TExpectedOverride &o : overrides)
                if (o.Row == row && o.Column == column) {
                    overridden = true;
                    if (got.IsNull() != o.Value.IsNull() || (!got.IsNull() && got.AsString() != o.Value.AsString()))
                        differ(row, column, "(override) " + o.Value.AsString(), got);
                }
            if (overridden)
                continue;
            double number = 0;
            if (want.empty()) {
                if (!got.IsNull() && !got.AsString().empty())
                    differ(row, column, want, got);
            } else if (parseNumber(want, number) || parseDate(want, number)) {
                if (got.IsNull() || !got.IsNumeric() || !sameNumber(got.AsDouble(), number))
                    differ(row, column, want, got);
            } else if (got.IsNull() || got.AsString() != want) {
                differ(row, column, want, got);
            }
        }
    // Nothing beyond the export's rows and columns.
    for (int row = 0; row < sheet.Cells.Count(); ++row) {
        const TSpreadSheetRow *r = sheet.Cells.Row(row);
        if (!r)
            continue;
        for (int column = 0; column < r->Cols.Count(); ++column) {
            const TVxICell *cell = r->Cols.Cell(column);
            const bool inExport = row < static_cast<int>(expected.size()) &&
                                  column < static_cast<int>(expected[row].size());
            if (cell && !inExport && !cell->Value.IsNull() && !cell->Value.AsString().empty())
                differ(row, column, "", cell->Value);
        }
    }
    return differences;
}

void ExpectSheetAsExported(const TSpreadSheet &sheet, const std::string &exportPath,
                           const std::vector<TExpectedOverride> &overrides)
{
    const std::vector<std::string> differences = CompareWithExpected(sheet, ReadExpectedSheet(exportPath), overrides);
    for (std::size_t i = 0; i < differences.size() && i < 12; ++i)
        ADD_FAILURE() << differences[i];
    EXPECT_EQ(differences.size(), 0u) << exportPath;
}

#include "sources/spss/VxSPSS.h"

#include "sources/cells/VxCellsTexts.h"
#include "sources/common/CompanionFile.h"
#include "sources/common/TableStream.h"
#include "values/StringList.h"

#include <readstat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

// Days from 14 October 1582, where SPSS counts its seconds from, to the engine's day 0.
constexpr double SPSSDayOfEngineZero = 115859.0;
constexpr double SecondsPerDay = 86400.0;

bool startsWith(const std::string &text, const char *lead) { return text.rfind(lead, 0) == 0; }

// libreadstat reads through these handlers from the bytes in memory.
struct TMemoryInput {
    const std::vector<std::uint8_t> *Bytes = nullptr;
    std::size_t Position = 0;
};

int openMemory(const char *, void *) { return 0; }
int closeMemory(void *) { return 0; }

readstat_off_t seekMemory(readstat_off_t offset, readstat_io_flags_t whence, void *context)
{
    auto *input = static_cast<TMemoryInput *>(context);
    const auto size = static_cast<readstat_off_t>(input->Bytes->size());
    readstat_off_t base = 0;
    if (whence == READSTAT_SEEK_CUR)
        base = static_cast<readstat_off_t>(input->Position);
    else if (whence == READSTAT_SEEK_END)
        base = size;
    const readstat_off_t target = base + offset;
    if (target < 0 || target > size)
        return -1;
    input->Position = static_cast<std::size_t>(target);
    return target;
}

ssize_t readMemory(void *buffer, size_t count, void *context)
{
    auto *input = static_cast<TMemoryInput *>(context);
    const std::size_t available = input->Bytes->size() - input->Position;
    const std::size_t n = std::min(count, available);
    if (n == 0)
        return 0; // an empty file has no bytes to copy from
    std::memcpy(buffer, input->Bytes->data() + input->Position, n);
    input->Position += n;
    return static_cast<ssize_t>(n);
}

readstat_error_t updateMemory(long, readstat_progress_handler, void *, void *) { return READSTAT_OK; }

struct TParserDeleter {
    void operator()(readstat_parser_t *parser) const { readstat_parser_free(parser); }
};

} // namespace

// The parse's state, handed to libreadstat's callbacks.
struct TSPSSParse {
    TSPSSFile *File = nullptr;

    static int Metadata(readstat_metadata_t *metadata, void *context)
    {
        auto *parse = static_cast<TSPSSParse *>(context);
        parse->File->caseCount_ = readstat_get_row_count(metadata);
        return READSTAT_HANDLER_OK;
    }

    static int Variable(int index, readstat_variable_t *variable, const char *, void *context)
    {
        auto *parse = static_cast<TSPSSParse *>(context);
        TSPSSFile::TVariable v;
        v.Name = readstat_variable_get_name(variable) ? readstat_variable_get_name(variable) : "";
        v.Label = readstat_variable_get_label(variable) ? readstat_variable_get_label(variable) : "";
        v.Format = readstat_variable_get_format(variable) ? readstat_variable_get_format(variable) : "";
        const bool numeric = readstat_variable_get_type_class(variable) == READSTAT_TYPE_CLASS_NUMERIC;
        v.DataType = TSPSSFile::DataTypeOfFormat(v.Format, numeric);
        v.Width = static_cast<int>(readstat_variable_get_display_width(variable));
        if (parse->File->OnColumnWidth)
            parse->File->OnColumnWidth(parse->File, 0, index, v.Width);
        auto &variables = parse->File->variables_;
        if (index >= 0 && static_cast<std::size_t>(index) == variables.size())
            variables.push_back(std::move(v));
        return READSTAT_HANDLER_OK;
    }

    static int Value(int row, readstat_variable_t *variable, readstat_value_t value, void *context)
    {
        auto *parse = static_cast<TSPSSParse *>(context);
        TSPSSFile &file = *parse->File;
        const int column = readstat_variable_get_index(variable);
        if (!file.OnCellValue || column < 0 || static_cast<std::size_t>(column) >= file.variables_.size())
            return READSTAT_HANDLER_OK;
        const TSPSSFile::TVariable &v = file.variables_[static_cast<std::size_t>(column)];
        Variant cell;
        TAlignment alignment = TAlignment::taRightJustify;
        if (readstat_value_type_class(value) == READSTAT_TYPE_CLASS_STRING) {
            const char *text = readstat_string_value(value);
            std::string s = text ? text : "";
            s.erase(s.find_last_not_of(' ') + 1);
            cell = Variant(std::move(s));
            alignment = TAlignment::taLeftJustify;
        } else if (!readstat_value_is_system_missing(value)) {
            const double number = readstat_double_value(value);
            switch (v.DataType) {
            case TVxIDataType::itDate:
            case TVxIDataType::itDateTime:
                cell = Variant::DateTime(number / SecondsPerDay - SPSSDayOfEngineZero);
                alignment = TAlignment::taLeftJustify;
                break;
            case TVxIDataType::itTime:
                cell = Variant::DateTime(number / SecondsPerDay);
                alignment = TAlignment::taLeftJustify;
                break;
            default: cell = Variant(number);
            }
        }
        file.OnCellValue(&file, 0, row, column, 0, cell, alignment);
        return READSTAT_HANDLER_OK;
    }
};

TSPSSFile::TSPSSFile() { NameKind = TVxIColumnNameKind::nkFieldName; }

std::string TSPSSFile::FieldName(int index) const
{
    if (index < 0 || index >= FieldCount())
        return {};
    return variables_[static_cast<std::size_t>(index)].Name;
}

int TSPSSFile::FindField(const std::string &name) const
{
    for (int i = 0; i < FieldCount(); ++i)
        if (Text::SameText(variables_[static_cast<std::size_t>(i)].Name, name))
            return i;
    return -1;
}

TVxIDataType TSPSSFile::DataTypeOfFormat(const std::string &format, bool numeric)
{
    if (!numeric)
        return TVxIDataType::itString;
    std::string f = Text::Upper(format);
    if (startsWith(f, "DATETIME") || startsWith(f, "YMDHMS"))
        return TVxIDataType::itDateTime;
    for (const char *date : {"DATE", "ADATE", "EDATE", "JDATE", "SDATE", "QYR", "MOYR", "WKYR"})
        if (startsWith(f, date))
            return TVxIDataType::itDate;
    if (startsWith(f, "TIME") || startsWith(f, "DTIME") || startsWith(f, "MTIME"))
        return TVxIDataType::itTime;
    return TVxIDataType::itFloat;
}

void TSPSSFile::LoadFromFile(const std::string &fileName)
{
    TSpreadSheetFile::LoadFromFile(fileName);
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw ESpreadSheetError(SpreadSheetTexts().FileNotExists);
    Parse(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
}

void TSPSSFile::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    Parse(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()));
}

void TSPSSFile::Parse(std::vector<std::uint8_t> bytes)
{
    variables_.clear();
    caseCount_ = 0;
    TSpreadSheet &sheet = Sheets.GetSheet(0);
    sheet.Caption = sources::FileNameWithoutFolder(FileName);
    std::unique_ptr<readstat_parser_t, TParserDeleter> parser(readstat_parser_init());
    TMemoryInput input{&bytes, 0};
    TSPSSParse parse{this};
    readstat_set_open_handler(parser.get(), openMemory);
    readstat_set_close_handler(parser.get(), closeMemory);
    readstat_set_seek_handler(parser.get(), seekMemory);
    readstat_set_read_handler(parser.get(), readMemory);
    readstat_set_update_handler(parser.get(), updateMemory);
    readstat_set_io_ctx(parser.get(), &input);
    readstat_set_metadata_handler(parser.get(), TSPSSParse::Metadata);
    readstat_set_variable_handler(parser.get(), TSPSSParse::Variable);
    readstat_set_value_handler(parser.get(), TSPSSParse::Value);
    const readstat_error_t error = readstat_parse_sav(parser.get(), "", &parse);
    if (error != READSTAT_OK)
        throw ESpreadSheetError(FormatMessage(SpreadSheetTexts().SPSSUnreadable, {readstat_error_message(error)}));
    if (OnDimensions)
        OnDimensions(this, 0, 0, static_cast<int>(std::clamp<std::int64_t>(caseCount_, 0, INT32_MAX)), 0, FieldCount());
}

// Specification files: the settings of an import as a small INI-style text.

#include "engine/ImpCnst.h"
#include "engine/VxIBase.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unordered_map>

namespace {

constexpr std::array<const char *, 18> tableTypeNames = {
    "Paradox", "DBase", "Text", "HTML", "XLS",    "WKS",     "Quattro",   "XML", "Access",
    "Word",    "ADO",   "SPSS", "ADT",  "DBISAM", "Clarion", "Clipboard", "WAB", "VCalendar",
};

std::string hex(std::string_view bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string unhex(const std::string &text)
{
    auto digit = [&](char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        throw EVxIError("'" + text + "' is not a valid hexadecimal value");
    };
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2)
        out += static_cast<char>(digit(text[i]) * 16 + digit(text[i + 1]));
    return out;
}

// Values are looked up by key wherever they stand: sections do not matter. The first line
// of a name counts. The names are indexed once, so a file of many mappings reads in
// linear time.
class TSpecReader {
public:
    explicit TSpecReader(const TStringList &list) : list_(list)
    {
        for (int i = 0; i < list.Count(); ++i) {
            const std::string &line = list[i];
            const auto eq = line.find('=');
            if (eq != std::string::npos)
                index_.emplace(Text::Upper(std::string_view(line).substr(0, eq)), i);
        }
    }
    bool Has(std::string_view key) const { return index_.count(Text::Upper(key)) != 0; }
    std::string Value(std::string_view key) const
    {
        const auto found = index_.find(Text::Upper(key));
        return found == index_.end() ? std::string() : list_.ValueFromIndex(found->second);
    }
    template <class T> void Integer(std::string_view key, T &target) const
    {
        std::int64_t n;
        if (TryStrToInt64(Text::Trim(Value(key)), n))
            target = static_cast<T>(n);
    }
    bool Flag(std::string_view key) const { return Value(key) == "1"; }
    // The first decoded character, when there is one.
    bool Character(std::string_view key, char &target) const
    {
        const std::string decoded = unhex(Value(key));
        if (decoded.empty())
            return false;
        target = decoded.front();
        return true;
    }

private:
    const TStringList &list_;
    std::unordered_map<std::string, int> index_; // upper-cased name -> its first line
};

} // namespace

const char *TableTypeName(TTableTypeImport type) { return tableTypeNames[static_cast<std::size_t>(type)]; }

bool TableTypeFromName(std::string_view name, TTableTypeImport &type)
{
    for (std::size_t i = 0; i < tableTypeNames.size(); ++i)
        if (Text::SameText(tableTypeNames[i], name)) {
            type = static_cast<TTableTypeImport>(i);
            return true;
        }
    return false;
}

void TVxImportBaseComponent::WriteSpecification(std::ostream &out, const std::string &specName)
{
    auto line = [&](const std::string &text) { out << text << "\r\n"; };
    auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    const TVxIDataFormats &df = DataFormats;
    line("[Common]");
    line("App=" + ImpTexts().ApplicationTitle);
    line("Description=VxImport: specification");
    line("Specification=" + specName);
    line("TableName=" + TableName);
    line("DatasetKeys=" + DatasetKeys);
    line("Mode=" + std::to_string(static_cast<int>(Mode)));
    line(std::string("TableType=") + TableTypeName(TableType));
    line("SourceFileName=" + SourceFileName);
    line("CharacterSet=" + std::to_string(static_cast<int>(CharacterSet)));
    line("CommitCount=" + std::to_string(CommitCount));
    line("[Mappings]");
    line("Count=" + std::to_string(Mappings.Count()));
    for (int i = 0; i < Mappings.Count(); ++i)
        line("Map" + std::to_string(i) + "=" + Mappings[i]);
    line("[Text]");
    line("FieldDelimiter=" + hex(std::string(1, FieldDelimiterCustom())));
    line("TextQualifier=" + hex(std::string(1, TextQualifierCustom())));
    line("RecordSeparator=" + hex(RecordSeparatorCustom()));
    line("Fixed=" + flag(Fixed));
    line("TrimSpaces=" + std::to_string(static_cast<int>(TrimSpaces)));
    line("RowFirst=" + std::to_string(RowFirst));
    line("RowLast=" + std::to_string(RowLast));
    line("RowFieldNames=" + std::to_string(RowFieldNames));
    line("[DataFormat]");
    line("DateOrder=" + std::to_string(static_cast<int>(df.DateOrder)));
    line("DateSeparator=" + hex(std::string(1, df.DateSeparator)));
    line("TimeSeparator=" + hex(std::string(1, df.TimeSeparator)));
    line("ThousandSeparator=" + hex(std::string(1, df.ThousandSeparator)));
    line("DecimalSeparator=" + hex(std::string(1, df.DecimalSeparator)));
    line("CurrencyString=" + df.CurrencyString);
    line("FourDigitYear=" + flag(df.FourDigitYear));
    line("LeadingZerosInDate=" + flag(df.LeadingZerosInDate));
    line("CustomDateTimeFormat=" + df.CustomDateTimeFormat);
    line("BooleanTrue=" + df.BooleanTrue);
    line("BooleanFalse=" + df.BooleanFalse);
    line("UseRegionalSettings=" + flag(df.UseRegionalSettings));
    line("[Condition]");
    line("LoadWhen=" + LoadCondition.LoadWhen);
    line("SkipIf=" + LoadCondition.SkipIf);
}

void TVxImportBaseComponent::ReadSpecification(const TStringList &list)
{
    const TSpecReader r(list);
    DatasetKeys = r.Value("DatasetKeys");
    int mode = static_cast<int>(Mode);
    r.Integer("Mode", mode);
    if (mode >= 0 && mode <= static_cast<int>(TImportMode::imAppendNewOnly))
        Mode = static_cast<TImportMode>(mode);
    TableName = r.Value("TableName");
    // A missing or unknown type keeps the component's own: it is the one the caller
    // created for this file.
    TableTypeFromName(r.Value("TableType"), TableType);
    SourceFileName = r.Value("SourceFileName");
    int charset = static_cast<int>(CharacterSet);
    r.Integer("CharacterSet", charset);
    if (charset >= 0 && charset <= static_cast<int>(TVxICharacterSet::csiEBCDIC))
        CharacterSet = static_cast<TVxICharacterSet>(charset);
    r.Integer("CommitCount", CommitCount);

    Mappings.Clear();
    for (int n = 0;; ++n) {
        const std::string map = r.Value("Map" + std::to_string(n));
        if (map.empty())
            break;
        if (map != " = ")
            Mappings.Add(map);
    }

    char c;
    if (r.Character("FieldDelimiter", c))
        SetFieldDelimiterCustom(c);
    if (r.Character("TextQualifier", c))
        SetTextQualifierCustom(c);
    // Without the key the separator stays as it was rather than becoming empty, which
    // would read a whole file as one line; files written here always have it.
    if (r.Has("RecordSeparator"))
        SetRecordSeparatorCustom(unhex(r.Value("RecordSeparator")));
    Fixed = r.Flag("Fixed");
    int trim = static_cast<int>(TrimSpaces);
    r.Integer("TrimSpaces", trim);
    if (trim >= 0 && trim <= static_cast<int>(TVxITrimSpaces::tsTrimLeftRight))
        TrimSpaces = static_cast<TVxITrimSpaces>(trim);
    r.Integer("RowFirst", RowFirst);
    r.Integer("RowLast", RowLast);
    r.Integer("RowFieldNames", RowFieldNames);

    TVxIDataFormats &df = DataFormats;
    int order = static_cast<int>(df.DateOrder);
    r.Integer("DateOrder", order);
    if (order >= 0 && order <= static_cast<int>(TVxIDateOrder::doMYD))
        df.DateOrder = static_cast<TVxIDateOrder>(order);
    r.Character("DateSeparator", df.DateSeparator);
    r.Character("TimeSeparator", df.TimeSeparator);
    r.Character("ThousandSeparator", df.ThousandSeparator);
    r.Character("DecimalSeparator", df.DecimalSeparator);
    df.CurrencyString = r.Value("CurrencyString");
    df.FourDigitYear = r.Flag("FourDigitYear");
    df.LeadingZerosInDate = r.Flag("LeadingZerosInDate");
    df.CustomDateTimeFormat = r.Value("CustomDateTimeFormat");
    df.UseRegionalSettings = r.Flag("UseRegionalSettings");
    df.BooleanTrue = r.Value("BooleanTrue");
    df.BooleanFalse = r.Value("BooleanFalse");

    LoadCondition.LoadWhen = r.Value("LoadWhen");
    LoadCondition.SkipIf = r.Value("SkipIf");
}

std::string ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.has_parent_path())
        return {};
    return program.parent_path().string() + "/";
}

std::string TVxImportBaseComponent::SpecificationFolder() const
{
    return SpecificationDir.empty() ? ProgramFolder() : SpecificationDir;
}

void TVxImportBaseComponent::SaveSpecification(std::string specName, std::string fileName, bool ask)
{
    if (ask) {
        std::string name = specName.empty() ? ImpTexts().ImportSpecification : specName;
        std::string file = fileName;
        if (file.empty())
            file = SpecificationFolder() +
                   std::filesystem::path(SourceFileName).filename().replace_extension(".vxi").string();
        if (HostRef().AskSpecificationFile(name, file)) {
            specName = name;
            fileName = file;
        }
    }
    if (fileName.empty() || specName.empty())
        return;
    if (OnBeforeSaveSpecification)
        OnBeforeSaveSpecification(this, fileName);
    std::ostringstream text;
    WriteSpecification(text, specName);
    const std::filesystem::path path(fileName);
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw EVxIError("Cannot create file \"" + fileName + "\"");
    out << text.str();
    out.close();
    if (!out)
        throw EVxIError("Cannot write file \"" + fileName + "\"");
    if (OnAfterSaveSpecification)
        OnAfterSaveSpecification(this, fileName);
}

void TVxImportBaseComponent::LoadSpecification(std::string fileName)
{
    if (fileName.empty())
        fileName = HostRef().AskOpenFileName(ImpTexts().SpecificationFilter, "vxi");
    if (OnBeforeLoadSpecification)
        OnBeforeLoadSpecification(this, fileName);
    std::ifstream in(fileName, std::ios::binary);
    if (fileName.empty() || !std::filesystem::is_regular_file(fileName) || !in)
        throw EVxIError(FormatMessage(ImpTexts().FileNotExist, {fileName}));
    std::ostringstream text;
    text << in.rdbuf();
    TStringList lines;
    lines.SetText(text.str());
    ReadSpecification(lines);
    if (OnAfterLoadSpecification)
        OnAfterLoadSpecification(this, fileName);
}

// The wizard component's specification list.

#include "wizard/VxIWiz.h"

#include "wizard/MessageBoxes.h"
#include "wizard/VxISpecs.h"
#include "wizard/VxIWizForm.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

// The value of a key in one section of an INI file, both names ignoring case; empty when
// either is missing.
std::string iniValue(const std::string &fileName, std::string_view section, std::string_view key)
{
    std::ifstream in(fileName, std::ios::binary);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        const std::string text = Text::Trim(line);
        if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
            inSection = Text::SameText(Text::Trim(std::string_view(text).substr(1, text.size() - 2)), section);
            continue;
        }
        const auto equals = text.find('=');
        if (inSection && equals != std::string::npos &&
            Text::SameText(Text::Trim(std::string_view(text).substr(0, equals)), key))
            return Text::Trim(std::string_view(text).substr(equals + 1));
    }
    return {};
}

bool hasSpecificationExtension(const std::string &name)
{
    return name.size() >= 4 && Text::SameText(std::string_view(name).substr(name.size() - 4), ".vxi");
}

// The files the folder text followed by "*.vxi" names. The text is put in front as it is:
// "specifications/" lists that folder, "specs/daily" the files of specs/ whose names start
// with "daily". Each entry carries its file's Specification name, or the file's own name
// when it has none.
std::vector<TVxISpecificationFile> readSpecificationFolder(const std::string &folderText)
{
    const auto slash = folderText.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : folderText.substr(0, slash + 1);
    const std::string prefix = folderText.substr(folder.size());
    std::vector<TVxISpecificationFile> entries;
    std::error_code error;
    if (!folder.empty())
        std::filesystem::create_directories(folder, error); // a folder that cannot be made lists nothing
    std::filesystem::directory_iterator files(folder.empty() ? "." : folder, error);
    for (; !error && files != std::filesystem::directory_iterator(); files.increment(error)) {
        const std::string name = files->path().filename().string();
        std::error_code unreadable;
        if (!files->is_regular_file(unreadable) || !name.starts_with(prefix) || !hasSpecificationExtension(name))
            continue;
        TVxISpecificationFile entry{folder + name, iniValue(folder + name, "Common", "Specification")};
        if (entry.SpecName.empty())
            entry.SpecName = entry.FileName;
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(),
              [](const TVxISpecificationFile &a, const TVxISpecificationFile &b) { return a.FileName < b.FileName; });
    return entries;
}

} // namespace

void TVxIWizardDlg::ShowSpecifications()
{
    std::vector<TVxISpecificationFile> entries;
    if (OnGetSpecifications)
        OnGetSpecifications(this, entries);
    else
        entries = readSpecificationFolder(SpecificationFolder());

    TfrmSpecs specs(window_);
    for (TVxISpecificationFile &entry : entries)
        specs.AddSpecification(std::move(entry));
    specs.EnableButtons(UserAccess.SpecificationSave, UserAccess.SpecificationLoad, UserAccess.SpecificationDelete);
    specs.SelectFirst();
    specs.OnLoad = [this](const TVxISpecificationFile &entry) { LoadSpecificationIntoWindow(entry.FileName); };
    if (specs.exec() != static_cast<int>(TModalResult::mrYes))
        return;

    const TVxISpecificationFile *selected = specs.Selected();
    const TVxISpecificationFile chosen = selected ? *selected : TVxISpecificationFile{};
    try {
        if (window_ != nullptr)
            window_->ApplyToImport(this);
        SaveSpecification(chosen.SpecName, chosen.FileName, true);
    } catch (const std::exception &e) {
        ShowMessageBox(TMessageKind::mkError, QString::fromUtf8(e.what()));
    }
}

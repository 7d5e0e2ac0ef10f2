#include "sources/common/CompanionFile.h"

#include "values/StringList.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace sources {

namespace {

bool isFile(const fs::path &path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

} // namespace

std::string FindCompanionFile(const std::string &tableFileName, const std::string &extension)
{
    if (tableFileName.empty())
        return {};
    fs::path wanted(tableFileName);
    wanted.replace_extension(extension);
    if (isFile(wanted))
        return wanted.string();
    const std::string stem = wanted.stem().string();
    const fs::path folder = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path &candidate = it->path();
        if (candidate.stem().string() == stem && Text::SameText(candidate.extension().string(), extension) &&
            isFile(candidate))
            return candidate.string();
    }
    return {};
}

std::string FileNameWithoutFolder(const std::string &fileName) { return fs::path(fileName).filename().string(); }

} // namespace sources

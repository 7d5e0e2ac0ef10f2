#pragma once

#include <string>

namespace sources {

// The file that goes with a table: the table's name with another extension (".dbt",
// ".fpt", ".mb"). Writers differ in the letter case of extensions and Linux names are
// case-sensitive, so any case of the extension is accepted. Empty when there is none.
std::string FindCompanionFile(const std::string &tableFileName, const std::string &extension);

// The table's name without folder.
std::string FileNameWithoutFolder(const std::string &fileName);

} // namespace sources

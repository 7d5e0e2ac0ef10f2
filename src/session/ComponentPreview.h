#pragma once

#include "engine/VxIBase.h"
#include "sources/markup/MarkupPreview.h"

#include <string>
#include <vector>

// Previews a source that reads its rows through its own component (an Access table, an
// ODBC connection, a Word document): opens it as an import does, names its columns and
// hands out its first rows as texts. A source that cannot be opened raises.
void PreviewComponent(TVxImportBaseComponent &source, const TMarkupPreviewRequest &request,
                      std::vector<std::string> &columns);

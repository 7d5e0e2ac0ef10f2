#pragma once

#include "engine/VxIBase.h"
#include "sources/cells/VxI2Cell.h"
#include "sources/markup/MarkupPreview.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One entry per source type: everything the runner, the wizard's type list and its file
// dialog, and the preview need to know of it. A new reader is one more entry here.
struct TSourceType {
    TTableTypeImport Type;
    const char *Step1Text; // as the wizard's first step lists the type
    bool CellBased;        // fills the workbook cell model: takes a sheet index, previews by cells
    // The source component; empty while no reader exists for the type.
    std::function<std::unique_ptr<TVxImportBaseComponent>()> Create;
    // Cell-based types with a reader: the reader for a file, for the preview.
    TCellReaderFactory CreateCellReader;
    // Documents the wizard previews by a routine of their own (HTML, XML): it fills the
    // column names and hands out the previewed rows.
    using TPreview = std::function<void(const TMarkupPreviewRequest &, std::vector<std::string> &)>;
    TPreview Preview = {};
    // Types that read one of a database's tables (Access, ODBC): the tables of the file or
    // connection named, with the system tables when asked for.
    std::function<std::vector<std::string>(const std::string &source, bool systemTables)> TableNames = {};

    // The name specification files write ("Text", "XLS", ...).
    std::string Name() const { return TableTypeName(Type); }
    bool Readable() const { return static_cast<bool>(Create); }
    // The component's own default extension and file-dialog filter; empty without one.
    std::string DefaultExt() const;
    std::string FileFilter() const;
};

// Every type, in type-value order (teParadox to teVCalendar).
const std::vector<TSourceType> &SourceTypes();
const TSourceType &SourceTypeOf(TTableTypeImport type);
// The type a specification file or an option names (ignoring case); null when none.
const TSourceType *FindSourceType(std::string_view name);

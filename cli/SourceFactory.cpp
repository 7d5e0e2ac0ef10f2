#include "SourceFactory.h"

#include "VxI2Cell.h"
#include "VxI2TXT.h"

std::unique_ptr<TVxImportBaseComponent> CreateSourceComponent(TTableTypeImport type)
{
    switch (type) {
    case TTableTypeImport::teText: return std::make_unique<TVxImportFromText>();
    case TTableTypeImport::teXLS: return std::make_unique<TVxImportFromXLS>();
    default:
        throw EVxIError(std::string("The command-line runner cannot read sources of type ") + TableTypeName(type));
    }
}

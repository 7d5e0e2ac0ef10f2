#include "SourceFactory.h"

#include "VxI2Cell.h"
#include "VxI2DB.h"
#include "VxI2DBF.h"
#include "VxI2TXT.h"

std::unique_ptr<TVxImportBaseComponent> CreateSourceComponent(TTableTypeImport type)
{
    switch (type) {
    case TTableTypeImport::teText: return std::make_unique<TVxImportFromText>();
    case TTableTypeImport::teXLS: return std::make_unique<TVxImportFromXLS>();
    case TTableTypeImport::teDBase: return std::make_unique<TVxImportFromDBF>();
    case TTableTypeImport::teParadox: return std::make_unique<TVxImportFromParadox>();
    default:
        throw EVxIError(std::string("The command-line runner cannot read sources of type ") + TableTypeName(type));
    }
}

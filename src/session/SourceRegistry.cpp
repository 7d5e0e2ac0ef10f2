#include "session/SourceRegistry.h"

#include "session/ComponentPreview.h"
#include "sources/access/VxI2Access.h"
#include "sources/advantage/VxI2ADT.h"
#include "sources/dbisam/VxI2DBISAM.h"
#include "sources/calendar/VxIVCalendar.h"
#include "sources/clarion/VxI2Clarion.h"
#include "sources/contacts/VxIWAB.h"
#include "sources/dbase/VxDBF.h"
#include "sources/dbase/VxI2DBF.h"
#include "sources/excel/VxI2XLS.h"
#include "sources/lotus/VxI2WKS.h"
#include "sources/markup/VxI2HTML.h"
#include "sources/markup/VxI2XML.h"
#include "sources/odbc/VxI2ADO.h"
#include "sources/paradox/VxI2DB.h"
#include "sources/paradox/VxParadox.h"
#include "sources/spss/VxI2SPSS.h"
#include "sources/text/VxI2TXT.h"
#include "sources/word/VxI2Word.h"

#include <type_traits>

namespace {

template <class TSource> std::function<std::unique_ptr<TVxImportBaseComponent>()> component()
{
    return [] { return std::make_unique<TSource>(); };
}

// The preview of a source read by its own component: for a database source the table box
// names the Access table, or the connection's table or command.
template <class TSource> TSourceType::TPreview componentPreview()
{
    return [](const TMarkupPreviewRequest &request, std::vector<std::string> &columns) {
        TSource source;
        if constexpr (std::is_same_v<TSource, TVxImportFromADO>)
            source.SQL = request.SourceTable;
        else if constexpr (std::is_base_of_v<TVxImportFromADODOA, TSource>)
            source.TableName = request.SourceTable;
        PreviewComponent(source, request, columns);
    };
}

template <class TReader> TCellReaderFactory reader()
{
    return [](const std::string &) { return std::make_unique<TReader>(); };
}

// The order of TTableTypeImport: an entry's position is its type value.
std::vector<TSourceType> makeTypes()
{
    using T = TTableTypeImport;
    return {
        {T::teParadox, "Paradox file (*.db)", true, component<TVxImportFromParadox>(), reader<TDBParadox>()},
        {T::teDBase, "DBase file (*.dbf)", true, component<TVxImportFromDBF>(), reader<TDBF>()},
        {T::teText, "Text file (*.txt)", false, component<TVxImportFromText>(), {}},
        {T::teHTML, "HTML file (*.htm;*.html)", false, component<TVxImportFromHTML>(), {}, BuildHTMLPreview},
        {T::teXLS, "Excel file (*.xls)", true, component<TVxImportFromXLS>(), CreateExcelReader},
        {T::teWKS, "Lotus 1-2-3 file (*.wk1)", true, component<TVxImportFromWKS>(), CreateLotusReader},
        {T::teQuattro, "QuattroPro file (*.wq1)", true, component<TVxImportFromQuattro>(), CreateQuattroReader},
        {T::teXML, "XML file (*.xml)", false, component<TVxImportFromXML>(), {}, BuildXMLPreview},
        {T::teAccess,
         "MS Access database (*.mdb)",
         false,
         component<TVxImportFromAccess>(),
         {},
         componentPreview<TVxImportFromAccess>(),
         [](const std::string &file, bool) { return AccessTableNames(file); }},
        {T::teWord,
         "Word file (*.doc)",
         false,
         component<TVxImportFromWord>(),
         {},
         componentPreview<TVxImportFromWord>()},
        {T::teADO,
         "ADO connection",
         false,
         component<TVxImportFromADO>(),
         {},
         componentPreview<TVxImportFromADO>(),
         ConnectionTableNames},
        {T::teSPSS, "SPSS file (*.sav)", true, component<TVxImportFromSPSS>(), CreateSPSSReader},
        {T::teADT, "Advantage table (*.adt)", true, component<TVxImportFromAdvantage>(), CreateAdvantageReader},
        {T::teDBISAM, "DBISAM table (*.dat)", true, component<TVxImportFromDBISAM>(), CreateDBISAMReader},
        {T::teClarion, "Clarion table (*.dat)", true, component<TVxImportFromClarion>(), CreateClarionReader},
        {T::teClipboard, "MS Windows clipboard", false, component<TVxImportFromClipboard>(), {}},
        {T::teWAB, "Windows Address Book (*.wab)", true, component<TVxImportFromWAB>(), CreateWABReader},
        {T::teVCalendar, "VCalendar Data file (*.vcs)", true, component<TVxImportFromVCalendar>(),
         CreateVCalendarReader},
    };
}

} // namespace

const std::vector<TSourceType> &SourceTypes()
{
    static const std::vector<TSourceType> types = makeTypes();
    return types;
}

const TSourceType &SourceTypeOf(TTableTypeImport type) { return SourceTypes().at(static_cast<std::size_t>(type)); }

const TSourceType *FindSourceType(std::string_view name)
{
    TTableTypeImport type;
    if (!TableTypeFromName(name, type))
        return nullptr;
    return &SourceTypeOf(type);
}

std::string TSourceType::DefaultExt() const
{
    std::string ext;
    if (Create)
        Create()->GetDefaultExt(ext);
    return ext;
}

std::string TSourceType::FileFilter() const
{
    std::string filter;
    if (Create)
        Create()->GetFileFilter(filter);
    return filter;
}

#include "wizard/VxIWizardDlg.h"

#include "session/SourceRegistry.h"
#include "sources/cells/VxI2Cell.h"

TVxIWizardDlg::TVxIWizardDlg() = default;
TVxIWizardDlg::~TVxIWizardDlg() = default;

void TVxIWizardDlg::RunImport()
{
    const TSourceType &type = SourceTypeOf(TableType);
    if (!type.Readable())
        throw EVxIError("Ferrovane cannot read sources of the type \"" + TableTypeStep1Text(TableType) + "\" yet.");
    sources_.push_back(type.Create());
    TVxImportBaseComponent &source = *sources_.back();
    source.Assign(*this);
    // Not a setting but the place the run reports to: the wizard's own.
    source.Host = Host;
    source.FormName = FormName;
    if (type.Type == TTableTypeImport::teAccess || type.Type == TTableTypeImport::teADO)
        source.TableName = TableName;
    if (auto *cells = dynamic_cast<TVxImportFromCell *>(&source))
        cells->SetSheetIndex(SheetIndex);
    source.Execute();
    Statistic.Assign(source.Statistic);
}

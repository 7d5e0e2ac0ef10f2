#include "sources/contacts/VxIWAB.h"

#include "sources/contacts/VCardFile.h"
#include "sources/contacts/WABProperties.h"

std::unique_ptr<TSpreadSheetFile> CreateWABReader(const std::string &) { return std::make_unique<TVCardFile>(); }

TVxImportFromWAB::TVxImportFromWAB(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teWAB;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromWAB::CreateSpreadSheetFile() { return CreateWABReader(SourceFileName); }

void TVxImportFromWAB::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "Windows Address Book (*.wab)|*.WAB|vCard file (*.vcf)|*.VCF");
}

// The columns are the address book's, open or not.
void TVxImportFromWAB::CreateColumns()
{
    for (const TWABProperty &property : WABProperties()) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = property.Name;
        column.Caption = property.Caption;
        column.DataType = property.DataType();
    }
}

void TVxImportFromWAB::AutoMapColumns()
{
    Mappings.Clear();
    const std::vector<TWABProperty> &properties = WABProperties();
    for (int c = 0; c < Columns.Count(); ++c) {
        const int property = WABPropertyIndex(Columns[c].FieldName);
        if (property >= 0)
            Mappings.Add(properties[static_cast<std::size_t>(property)].Name + "=" + Columns[c].FieldName);
    }
}

void TVxImportFromWAB::GetFieldValue(const Variant &name, Variant &value)
{
    if (!GetReaderFieldValue(name, value))
        TVxImportFromCell::GetFieldValue(name, value);
}

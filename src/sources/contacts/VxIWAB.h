#pragma once

#include "sources/cells/VxI2Cell.h"

// The address-book source: a cell source whose reader is a TVCardFile. The Windows
// Address Book library does not exist here; the contacts come from vCard files, under the
// columns the address book has (WABProperties), whatever the file holds.
class TVxImportFromWAB : public TVxImportFromCell {
public:
    explicit TVxImportFromWAB(TVxImportBaseComponent *owner = nullptr);

    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    void GetDefaultExt(std::string &ext) const override { ext = ".WAB"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
    // Each column to the property of its name, with or without a file open.
    void AutoMapColumns() override;
    // A property the current card or event does not have is no value, whatever the
    // expression around its name; names that are no property stay themselves.
    void GetFieldValue(const Variant &name, Variant &value) override;
};

std::unique_ptr<TSpreadSheetFile> CreateWABReader(const std::string &fileName);

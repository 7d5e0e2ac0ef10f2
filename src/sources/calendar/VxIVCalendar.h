#pragma once

#include "sources/cells/VxI2Cell.h"

// The calendar source: a cell source whose reader is a TVCalendarFile, one column per
// property name of the file's events, with its width and type.
class TVxImportFromVCalendar : public TVxImportFromCell {
public:
    explicit TVxImportFromVCalendar(TVxImportBaseComponent *owner = nullptr);

    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override;
    void GetDefaultExt(std::string &ext) const override { ext = ".VCS"; }
    void GetFileFilter(std::string &filter) const override;
    void CreateColumns() override;
    // A property the current card or event does not have is no value, whatever the
    // expression around its name; names that are no property stay themselves.
    void GetFieldValue(const Variant &name, Variant &value) override;
    void AutoMapColumns() override;

    // A property name as a mapping names it: in brackets, unless it is a plain name of
    // letters, digits and underscores, for the expression language reads "LAST-MODIFIED"
    // as a subtraction and "DTSTART;TZID=Europe/Berlin" not at all.
    static std::string SourceReference(const std::string &name);
};

std::unique_ptr<TSpreadSheetFile> CreateVCalendarReader(const std::string &fileName);

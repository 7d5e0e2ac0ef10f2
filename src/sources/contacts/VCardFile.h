#pragma once

#include "sources/cells/VxCellsFile.h"

#include <string>
#include <string_view>

// The texts the address-book reader shows a user, replaceable as a whole.
struct TContactsTexts {
    std::string NotVCard = "The file is not a vCard address book: it holds no BEGIN:VCARD";
    std::string WindowsAddressBook = "A Windows Address Book (.wab) cannot be read on this system. Export the "
                                     "contacts as vCard (.vcf) and import that file.";
    std::string Unreadable = "The address book cannot be read: %s";
};

TContactsTexts &ContactsTexts();

// An address book of vCards (.vcf: versions 2.1, 3.0 and 4.0, any number of cards) read
// into the cell model: one sheet named after the file, one row per card that says
// anything, one column per address-book property (WABProperties), in list order.
class TVCardFile : public TSpreadSheetFile {
public:
    TVCardFile();

    void LoadFromFile(const std::string &fileName) override;
    void LoadFromStream(std::istream &stream) override;

    int FieldCount() const override;
    std::string FieldName(int index) const override;
    int FindField(const std::string &name) const override;
    bool BracketNamesWithBlanks() const override { return true; }

    int CardCount() const { return cardCount_; }

    // Whether the name is that of a Windows Address Book file (.wab).
    static bool IsWindowsAddressBookName(const std::string &fileName);

private:
    // False when the text holds no card at all.
    bool Parse(std::string_view text);

    int cardCount_ = 0;
};

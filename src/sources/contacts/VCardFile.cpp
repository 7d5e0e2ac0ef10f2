#include "sources/contacts/VCardFile.h"

#include "engine/DataSet.h"
#include "sources/common/CompanionFile.h"
#include "sources/common/ContentLines.h"
#include "sources/contacts/VCardContact.h"
#include "sources/contacts/WABProperties.h"
#include "values/StringList.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

using sources::TContentLine;

TContactsTexts &ContactsTexts()
{
    static TContactsTexts texts;
    return texts;
}

TVCardFile::TVCardFile() { NameKind = TVxIColumnNameKind::nkFieldName; }

bool TVCardFile::IsWindowsAddressBookName(const std::string &fileName)
{
    return Text::SameText(std::filesystem::path(fileName).extension().string(), ".wab");
}

void TVCardFile::LoadFromFile(const std::string &fileName)
{
    TSpreadSheetFile::LoadFromFile(fileName);
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw ESpreadSheetError(FormatMessage(ContactsTexts().Unreadable, {std::strerror(errno)}));
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        throw ESpreadSheetError(FormatMessage(ContactsTexts().Unreadable, {std::strerror(errno)}));
    // A binary address book of Windows holds no card: it is named for what it is.
    if (!Parse(text))
        throw ESpreadSheetError(IsWindowsAddressBookName(fileName) ? ContactsTexts().WindowsAddressBook
                                                                   : ContactsTexts().NotVCard);
}

void TVCardFile::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    const std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (!Parse(text))
        throw ESpreadSheetError(ContactsTexts().NotVCard);
}

int TVCardFile::FieldCount() const { return static_cast<int>(WABProperties().size()); }

std::string TVCardFile::FieldName(int index) const
{
    if (index < 0 || index >= FieldCount())
        return {};
    return WABProperties()[static_cast<std::size_t>(index)].Name;
}

int TVCardFile::FindField(const std::string &name) const { return WABPropertyIndex(name); }

namespace {

// vCard 2.1 embeds an agent's card in the card, right after an empty AGENT property.
bool opensAgentCard(const std::vector<const TContentLine *> &card)
{
    return !card.empty() && card.back()->Name == "AGENT" && Text::TrimmedView(card.back()->Value).empty();
}

} // namespace

bool TVCardFile::Parse(std::string_view text)
{
    cardCount_ = 0;
    Sheets.GetSheet(0).Caption = sources::FileNameWithoutFolder(FileName);
    const std::vector<TContentLine> lines = sources::ReadContentLines(text);
    std::vector<const TContentLine *> card;
    auto deliver = [&] {
        const TVCardContact contact(card);
        card.clear();
        if (contact.Empty() || !OnCellValue)
            return;
        for (const auto &[column, value] : contact.Values())
            OnCellValue(this, 0, cardCount_, column, 0, value, TAlignment::taLeftJustify);
        ++cardCount_;
    };
    bool found = false;
    int depth = 0; // 1 inside a card, more inside an agent's card within it
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TContentLine &line = lines[i];
        if (i % 4096 == 0)
            ReportProgress(static_cast<std::int64_t>(i), static_cast<std::int64_t>(lines.size()));
        if (line.Name == "BEGIN" && line.ValueIs("VCARD")) {
            found = true;
            if (depth == 1 && !opensAgentCard(card))
                deliver(); // the card before was cut short: it ends where the next begins
            else
                ++depth;
        } else if (line.Name == "END" && line.ValueIs("VCARD") && depth > 0) {
            if (--depth == 0)
                deliver();
        } else if (depth == 1) {
            card.push_back(&line);
        }
    }
    if (depth > 0)
        deliver(); // a file cut short keeps its last card
    if (OnDimensions)
        OnDimensions(this, 0, 0, cardCount_, 0, FieldCount());
    return found;
}

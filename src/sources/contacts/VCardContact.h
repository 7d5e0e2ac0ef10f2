#pragma once

#include "sources/common/ContentLines.h"
#include "values/Variant.h"

#include <string>
#include <utility>
#include <vector>

// One vCard (2.1, 3.0 or 4.0) as the address book's properties: the columns of
// WABProperties() that the card's properties, and the extensions of the common writers
// (Outlook, Evolution, KAddressBook, Apple), land in. Values go to the base columns,
// never to the _W and _A variants; a value of a property that several columns name
// (BUSINESS_ADDRESS_CITY and LOCALITY) is in all of them.
class TVCardContact {
public:
    // The card's lines between its BEGIN:VCARD and END:VCARD, nested cards left out.
    explicit TVCardContact(const std::vector<const sources::TContentLine *> &lines);

    // The values the card gives, each with its column of WABProperties(), in the order
    // they were found. A card says a few dozen things of the 291 at most.
    using TValues = std::vector<std::pair<int, Variant>>;
    const TValues &Values() const { return values_; }
    bool Empty() const { return values_.empty(); }

private:
    using TLine = sources::TContentLine;

    void Take(const TLine &line);
    void TakeName(const TLine &line);
    void TakeOrganization(const TLine &line);
    void TakeRelated(const TLine &line);
    void PlaceTelephones();
    void PlaceTelephone(const TLine &line);
    void PlaceAddresses();
    void PlaceAddress(const TLine &line);
    void PlaceEmails();
    void PlaceHomePages();
    void PlacePostalAddress();
    void CompleteDisplayName();
    void CopyToSameProperties();

    std::string TextOf(const TLine &line) const;
    std::vector<std::string> ComponentsOf(const TLine &line) const;
    const Variant *Find(const char *column) const;
    Variant *Find(const char *column);
    bool Has(const char *column) const { return Find(column) != nullptr; }
    // The first value of a column stays; empty values are none.
    void Set(const char *column, const std::string &text);
    void SetDate(const char *column, const std::string &text);
    // Properties that may come more than once keep every value, in the order read.
    void Append(const char *column, const std::string &text, const char *separator);

    bool fullEscapes_ = true;
    TValues values_;
    std::vector<const TLine *> telephones_, addresses_, emails_, homePages_, labels_;
};

#include "sources/contacts/VCardContact.h"

#include "sources/contacts/WABProperties.h"
#include "values/StringList.h"

#include <algorithm>
#include <iterator>
#include <utility>

using sources::TContentLine;

namespace {

// Properties with one value, under the names the common writers give them.
struct TSingleProperty {
    const char *VCardName;
    const char *Column;
    bool Date = false;
};

constexpr TSingleProperty singleProperties[] = {
    {"FN", "DISPLAY_NAME"},
    {"NICKNAME", "NICKNAME"},
    {"TITLE", "TITLE"},
    {"ROLE", "PROFESSION"},
    {"X-KADDRESSBOOK-X-PROFESSION", "PROFESSION"},
    {"X-KADDRESSBOOK-X-OFFICE", "OFFICE_LOCATION"},
    {"UID", "ENTRYID"},
    {"LANG", "LANGUAGE"},
    {"X-GENDER", "GENDER"},
    {"X-WAB-GENDER", "GENDER"},
    {"BDAY", "BIRTHDAY", true},
    {"REV", "LAST_MODIFICATION_TIME", true},
    {"ANNIVERSARY", "WEDDING_ANNIVERSARY", true},
    {"X-ANNIVERSARY", "WEDDING_ANNIVERSARY", true},
    {"X-MS-ANNIVERSARY", "WEDDING_ANNIVERSARY", true},
    {"X-EVOLUTION-ANNIVERSARY", "WEDDING_ANNIVERSARY", true},
    {"X-KADDRESSBOOK-X-ANNIVERSARY", "WEDDING_ANNIVERSARY", true},
    {"X-SPOUSE", "SPOUSE_NAME"},
    {"X-MS-SPOUSE", "SPOUSE_NAME"},
    {"X-EVOLUTION-SPOUSE", "SPOUSE_NAME"},
    {"X-KADDRESSBOOK-X-SPOUSESNAME", "SPOUSE_NAME"},
    {"X-MANAGER", "MANAGER_NAME"},
    {"X-MS-MANAGER", "MANAGER_NAME"},
    {"X-EVOLUTION-MANAGER", "MANAGER_NAME"},
    {"X-KADDRESSBOOK-X-MANAGERSNAME", "MANAGER_NAME"},
    {"X-ASSISTANT", "ASSISTANT"},
    {"X-MS-ASSISTANT", "ASSISTANT"},
    {"X-EVOLUTION-ASSISTANT", "ASSISTANT"},
    {"X-KADDRESSBOOK-X-ASSISTANTSNAME", "ASSISTANT"},
};

// Properties that may come several times, all of whose values are kept.
struct TListProperty {
    const char *VCardName;
    const char *Column;
    const char *Separator;
};

constexpr TListProperty listProperties[] = {
    {"NOTE", "COMMENT", "\n"},
    {"CATEGORIES", "KEYWORD", ", "},
    {"HOBBY", "HOBBIES", ", "},
    {"INTEREST", "HOBBIES", ", "},
};

// A telephone's column by the first of these types it names (a work mobile is a mobile);
// the second column takes a second number of the same kind.
struct TTelephoneKind {
    const char *Type;
    const char *Column;
    const char *Second = nullptr;
};

constexpr TTelephoneKind telephoneKinds[] = {
    {"PAGER", "PAGER_TELEPHONE_NUMBER"},
    {"CELL", "MOBILE_TELEPHONE_NUMBER"},
    {"IPHONE", "MOBILE_TELEPHONE_NUMBER"},
    {"CAR", "CAR_TELEPHONE_NUMBER"},
    {"ISDN", "ISDN_NUMBER"},
    {"TEXTPHONE", "TTYTDD_PHONE_NUMBER"},
    {"X-EVOLUTION-TTYTDD", "TTYTDD_PHONE_NUMBER"},
    {"X-EVOLUTION-ASSISTANT", "ASSISTANT_TELEPHONE_NUMBER"},
    {"X-EVOLUTION-CALLBACK", "CALLBACK_TELEPHONE_NUMBER"},
    {"X-EVOLUTION-COMPANY", "COMPANY_MAIN_PHONE_NUMBER"},
    {"MAIN", "COMPANY_MAIN_PHONE_NUMBER"},
    {"X-EVOLUTION-RADIO", "RADIO_TELEPHONE_NUMBER"},
    {"X-EVOLUTION-TELEX", "TELEX_NUMBER"},
    {"HOME", "HOME_TELEPHONE_NUMBER", "HOME2_TELEPHONE_NUMBER"},
    {"WORK", "BUSINESS_TELEPHONE_NUMBER", "BUSINESS2_TELEPHONE_NUMBER"},
    {"PREF", "PRIMARY_TELEPHONE_NUMBER"},
};

constexpr const char *OtherTelephone = "OTHER_TELEPHONE_NUMBER";

// The columns of one address, in the order of the ADR components they take (the post
// office box; the extended address and the street together; city, region, postal code,
// country).
struct TAddressColumns {
    const char *PostOfficeBox;
    const char *Street;
    const char *City;
    const char *State;
    const char *PostalCode;
    const char *Country;
};

constexpr TAddressColumns homeAddress = {
    "HOME_ADDRESS_POST_OFFICE_BOX",   "HOME_ADDRESS_STREET",      "HOME_ADDRESS_CITY",
    "HOME_ADDRESS_STATE_OR_PROVINCE", "HOME_ADDRESS_POSTAL_CODE", "HOME_ADDRESS_COUNTRY"};
constexpr TAddressColumns businessAddress = {
    "BUSINESS_ADDRESS_POST_OFFICE_BOX",   "BUSINESS_ADDRESS_STREET",      "BUSINESS_ADDRESS_CITY",
    "BUSINESS_ADDRESS_STATE_OR_PROVINCE", "BUSINESS_ADDRESS_POSTAL_CODE", "BUSINESS_ADDRESS_COUNTRY"};
constexpr TAddressColumns otherAddress = {
    "OTHER_ADDRESS_POST_OFFICE_BOX",   "OTHER_ADDRESS_STREET",      "OTHER_ADDRESS_CITY",
    "OTHER_ADDRESS_STATE_OR_PROVINCE", "OTHER_ADDRESS_POSTAL_CODE", "OTHER_ADDRESS_COUNTRY"};

int columnOf(const char *name) { return WABPropertyIndex(name); }

bool blank(const std::string &text) { return Text::TrimmedView(text).empty(); }

// vCard 4.0 ranks with PREF=1 (most preferred) to 100; the older versions mark the
// preferred one with a type.
int preferenceOf(const TContentLine &line)
{
    const std::string pref = line.Parameter("PREF");
    if (!pref.empty() && pref.size() <= 3 &&
        std::all_of(pref.begin(), pref.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::stoi(pref);
    return line.HasType("PREF") ? 1 : 1000;
}

// The most preferred first; of equals, the first written.
std::vector<const TContentLine *> byPreference(std::vector<const TContentLine *> lines)
{
    std::stable_sort(lines.begin(), lines.end(),
                     [](const TContentLine *a, const TContentLine *b) { return preferenceOf(*a) < preferenceOf(*b); });
    return lines;
}

std::string joined(const std::vector<std::string> &parts, std::size_t from, const char *separator)
{
    std::string text;
    for (std::size_t i = from; i < parts.size(); ++i)
        if (!blank(parts[i]))
            text += (text.empty() ? "" : separator) + parts[i];
    return text;
}

// vCard 4.0 writes telephone numbers as tel: addresses.
std::string withoutTelScheme(const std::string &number)
{
    return number.size() > 4 && Text::SameText(std::string_view(number).substr(0, 4), "tel:") ? number.substr(4)
                                                                                              : number;
}

} // namespace

TVCardContact::TVCardContact(const std::vector<const TContentLine *> &lines)
{
    for (const TContentLine *line : lines)
        if (line->Name == "VERSION")
            fullEscapes_ = !line->ValueIs("2.1");
    for (const TContentLine *line : lines)
        if (!line->Binary)
            Take(*line);
    PlaceEmails();
    PlaceTelephones();
    PlaceAddresses();
    PlacePostalAddress();
    PlaceHomePages();
    CompleteDisplayName();
    CopyToSameProperties();
}

// ---------------------------------------------------------------- values

std::string TVCardContact::TextOf(const TLine &line) const { return sources::UnescapeText(line.Value, fullEscapes_); }

std::vector<std::string> TVCardContact::ComponentsOf(const TLine &line) const
{
    std::vector<std::string> components = sources::SplitComponents(line.Value);
    for (std::string &component : components)
        component = sources::UnescapeText(component, fullEscapes_);
    return components;
}

const Variant *TVCardContact::Find(const char *column) const
{
    const int index = columnOf(column);
    for (const auto &[c, value] : values_)
        if (c == index)
            return &value;
    return nullptr;
}

Variant *TVCardContact::Find(const char *column) { return const_cast<Variant *>(std::as_const(*this).Find(column)); }

void TVCardContact::Set(const char *column, const std::string &text)
{
    if (!Has(column) && !blank(text))
        values_.emplace_back(columnOf(column), Variant(text));
}

void TVCardContact::SetDate(const char *column, const std::string &text)
{
    double date = 0;
    if (Has(column) || blank(text))
        return;
    values_.emplace_back(columnOf(column),
                         sources::ParseContentDateTime(text, date) ? Variant::DateTime(date) : Variant(text));
}

void TVCardContact::Append(const char *column, const std::string &text, const char *separator)
{
    if (blank(text))
        return;
    if (Variant *value = Find(column))
        *value = Variant(value->AsString() + separator + text);
    else
        values_.emplace_back(columnOf(column), Variant(text));
}

// ---------------------------------------------------------------- the properties

void TVCardContact::Take(const TLine &line)
{
    for (const TSingleProperty &property : singleProperties)
        if (line.Name == property.VCardName) {
            if (property.Date)
                SetDate(property.Column, line.Value);
            else
                Set(property.Column, TextOf(line));
            return;
        }
    for (const TListProperty &property : listProperties)
        if (line.Name == property.VCardName) {
            Append(property.Column, TextOf(line), property.Separator);
            return;
        }
    if (line.Name == "N")
        TakeName(line);
    else if (line.Name == "ORG")
        TakeOrganization(line);
    else if (line.Name == "GENDER") // "M;his own words": the sex is the first component
        Set("GENDER", ComponentsOf(line).front());
    else if (line.Name == "RELATED")
        TakeRelated(line);
    else if (line.Name == "EMAIL")
        emails_.push_back(&line);
    else if (line.Name == "TEL")
        telephones_.push_back(&line);
    else if (line.Name == "ADR")
        addresses_.push_back(&line);
    else if (line.Name == "LABEL")
        labels_.push_back(&line);
    else if (line.Name == "URL")
        homePages_.push_back(&line);
}

void TVCardContact::TakeName(const TLine &line)
{
    if (Has("SURNAME") || Has("GIVEN_NAME") || Has("MIDDLE_NAME"))
        return; // the first name of the card is its name
    std::vector<std::string> parts = ComponentsOf(line);
    parts.resize(std::max<std::size_t>(parts.size(), 5));
    Set("SURNAME", parts[0]);
    Set("GIVEN_NAME", parts[1]);
    Set("MIDDLE_NAME", parts[2]);
    Set("DISPLAY_NAME_PREFIX", parts[3]);
    Set("GENERATION", parts[4]);
}

// The organisation, then its units (department, section, ...).
void TVCardContact::TakeOrganization(const TLine &line)
{
    if (Has("COMPANY_NAME") || Has("DEPARTMENT_NAME"))
        return;
    const std::vector<std::string> parts = ComponentsOf(line);
    Set("COMPANY_NAME", parts.front());
    Set("DEPARTMENT_NAME", joined(parts, 1, ", "));
}

void TVCardContact::TakeRelated(const TLine &line)
{
    if (line.HasType("SPOUSE"))
        Set("SPOUSE_NAME", TextOf(line));
    else if (line.HasType("CHILD"))
        Append("CHILDRENS_NAMES", TextOf(line), ", ");
}

// ---------------------------------------------------------------- placed after the card is read

void TVCardContact::PlaceEmails()
{
    if (emails_.empty())
        return;
    for (const TLine *line : byPreference(emails_))
        Set("EMAIL_ADDRESS", TextOf(*line));
    for (const TLine *line : emails_)
        Append("CONTACT_EMAIL_ADDRESSES", TextOf(*line), "; ");
    if (Has("EMAIL_ADDRESS"))
        Set("ADDRTYPE", "SMTP");
}

void TVCardContact::PlaceTelephones()
{
    for (const TLine *line : byPreference(telephones_))
        PlaceTelephone(*line);
}

// A number goes to its kind's column, then to the kind's second column, then to the other
// telephone; when that is taken too, the other telephone lists it as well.
void TVCardContact::PlaceTelephone(const TLine &line)
{
    const std::string number = withoutTelScheme(TextOf(line));
    if (blank(number))
        return;
    const char *column = OtherTelephone;
    const char *second = nullptr;
    if (line.HasType("FAX")) {
        column = line.HasType("HOME")   ? "HOME_FAX_NUMBER"
                 : line.HasType("WORK") ? "BUSINESS_FAX_NUMBER"
                                        : "PRIMARY_FAX_NUMBER";
    } else {
        for (const TTelephoneKind &kind : telephoneKinds)
            if (line.HasType(kind.Type)) {
                column = kind.Column;
                second = kind.Second;
                break;
            }
    }
    for (const char *candidate : {column, second, OtherTelephone})
        if (candidate && !Has(candidate)) {
            Set(candidate, number);
            return;
        }
    Append(OtherTelephone, number, "; ");
}

void TVCardContact::PlaceAddresses()
{
    for (const TLine *line : byPreference(addresses_))
        PlaceAddress(*line);
}

// Home and work addresses have columns of their own, the rest (and a second home or work
// address) the other address's; what finds all of them taken is left out.
void TVCardContact::PlaceAddress(const TLine &line)
{
    const TAddressColumns &kind = line.HasType("HOME")   ? homeAddress
                                  : line.HasType("WORK") ? businessAddress
                                                         : otherAddress;
    auto taken = [this](const TAddressColumns &a) {
        return Has(a.PostOfficeBox) || Has(a.Street) || Has(a.City) || Has(a.State) || Has(a.PostalCode) ||
               Has(a.Country);
    };
    const TAddressColumns *columns = !taken(kind) ? &kind : !taken(otherAddress) ? &otherAddress : nullptr;
    if (!columns)
        return;
    std::vector<std::string> parts = ComponentsOf(line);
    parts.resize(std::max<std::size_t>(parts.size(), 7));
    Set(columns->PostOfficeBox, parts[0]);
    Set(columns->Street, joined({parts[1], parts[2]}, 0, "\n"));
    Set(columns->City, parts[3]);
    Set(columns->State, parts[4]);
    Set(columns->PostalCode, parts[5]);
    Set(columns->Country, parts[6]);
    if (line.HasParameter("LABEL"))
        labels_.push_back(&line);
}

// The mailing label: a LABEL of vCard 2.1 and 3.0, or the LABEL parameter of a vCard 4.0
// address; the preferred one.
void TVCardContact::PlacePostalAddress()
{
    for (const TLine *line : byPreference(labels_))
        Set("POSTAL_ADDRESS",
            line->Name == "ADR" ? sources::UnescapeText(line->Parameter("LABEL"), true) : TextOf(*line));
}

// Typed pages first, so that a page without a type takes whichever column is left.
void TVCardContact::PlaceHomePages()
{
    std::vector<const TLine *> untyped;
    for (const TLine *line : homePages_) {
        if (line->HasType("HOME"))
            Set("PERSONAL_HOME_PAGE", TextOf(*line));
        else if (line->HasType("WORK"))
            Set("BUSINESS_HOME_PAGE", TextOf(*line));
        else
            untyped.push_back(line);
    }
    for (const TLine *line : untyped)
        Set(Has("PERSONAL_HOME_PAGE") ? "BUSINESS_HOME_PAGE" : "PERSONAL_HOME_PAGE", TextOf(*line));
}

// vCard 2.1 does not require FN: the name, else the company, else the address stands in,
// as an address book shows such a contact.
void TVCardContact::CompleteDisplayName()
{
    if (Has("DISPLAY_NAME"))
        return;
    std::vector<std::string> parts;
    for (const char *column : {"DISPLAY_NAME_PREFIX", "GIVEN_NAME", "MIDDLE_NAME", "SURNAME", "GENERATION"})
        if (Has(column))
            parts.push_back(Find(column)->AsString());
    Set("DISPLAY_NAME", joined(parts, 0, " "));
    for (const char *column : {"COMPANY_NAME", "EMAIL_ADDRESS"})
        if (Has(column))
            Set("DISPLAY_NAME", Find(column)->AsString());
}

void TVCardContact::CopyToSameProperties()
{
    const std::size_t found = values_.size();
    for (std::size_t i = 0; i < found; ++i)
        for (int same : WABColumnsOfProperty(values_[i].first)) {
            const bool taken = std::any_of(values_.begin(), values_.end(),
                                           [same](const std::pair<int, Variant> &v) { return v.first == same; });
            if (!taken) {
                Variant copy = values_[i].second; // the vector may grow under a reference into it
                values_.emplace_back(same, std::move(copy));
            }
        }
}

#include "sources/contacts/WABProperties.h"

#include "sources/common/ContentLines.h"

#include <algorithm>
#include <unordered_map>

namespace {

struct TTagName {
    std::uint32_t Tag;
    const char *Name;
};

// The address book's columns in their order, each with its standard tag. A base name
// carries the tag of the program's own string width (single-byte); several names share
// one property (OFFICE_TELEPHONE_NUMBER is BUSINESS_TELEPHONE_NUMBER, LOCALITY is
// BUSINESS_ADDRESS_CITY).
constexpr TTagName tagNames[] = {
    {0x0FFF0102, "ENTRYID"},
    {0x3A4F001E, "NICKNAME"},
    {0x3001001E, "DISPLAY_NAME"},
    {0x3003001E, "EMAIL_ADDRESS"},
    {0x3A16001E, "COMPANY_NAME"},
    {0x0FFE0003, "OBJECT_TYPE"},
    {0x0FFD0102, "ICON"},
    {0x0FFC0102, "MINI_ICON"},
    {0x0FFB0102, "STORE_ENTRYID"},
    {0x0FFA0102, "STORE_RECORD_KEY"},
    {0x0FF90102, "RECORD_KEY"},
    {0x0FF80102, "MAPPING_SIGNATURE"},
    {0x0FF70003, "ACCESS_LEVEL"},
    {0x0FF60102, "INSTANCE_KEY"},
    {0x0FF50003, "ROW_TYPE"},
    {0x0FF40003, "ACCESS"},
    {0x30000003, "ROWID"},
    {0x3001001F, "DISPLAY_NAME_W"},
    {0x3001001E, "DISPLAY_NAME_A"},
    {0x3002001E, "ADDRTYPE"},
    {0x3002001F, "ADDRTYPE_W"},
    {0x3002001E, "ADDRTYPE_A"},
    {0x3003001F, "EMAIL_ADDRESS_W"},
    {0x3003001E, "EMAIL_ADDRESS_A"},
    {0x3004001E, "COMMENT"},
    {0x3004001F, "COMMENT_W"},
    {0x3004001E, "COMMENT_A"},
    {0x30050003, "DEPTH"},
    {0x3006001E, "PROVIDER_DISPLAY"},
    {0x3006001F, "PROVIDER_DISPLAY_W"},
    {0x3006001E, "PROVIDER_DISPLAY_A"},
    {0x30070040, "CREATION_TIME"},
    {0x30080040, "LAST_MODIFICATION_TIME"},
    {0x30090003, "RESOURCE_FLAGS"},
    {0x300A001E, "PROVIDER_DLL_NAME"},
    {0x300A001F, "PROVIDER_DLL_NAME_W"},
    {0x300A001E, "PROVIDER_DLL_NAME_A"},
    {0x300B0102, "SEARCH_KEY"},
    {0x300C0102, "PROVIDER_UID"},
    {0x300D0003, "PROVIDER_ORDINAL"},
    {0x3A00001E, "ACCOUNT"},
    {0x3A00001F, "ACCOUNT_W"},
    {0x3A00001E, "ACCOUNT_A"},
    {0x3A010102, "ALTERNATE_RECIPIENT"},
    {0x3A02001E, "CALLBACK_TELEPHONE_NUMBER"},
    {0x3A02001F, "CALLBACK_TELEPHONE_NUMBER_W"},
    {0x3A02001E, "CALLBACK_TELEPHONE_NUMBER_A"},
    {0x3A03000B, "CONVERSION_PROHIBITED"},
    {0x3A04000B, "DISCLOSE_RECIPIENTS"},
    {0x3A05001E, "GENERATION"},
    {0x3A05001F, "GENERATION_W"},
    {0x3A05001E, "GENERATION_A"},
    {0x3A06001E, "GIVEN_NAME"},
    {0x3A06001F, "GIVEN_NAME_W"},
    {0x3A06001E, "GIVEN_NAME_A"},
    {0x3A07001E, "GOVERNMENT_ID_NUMBER"},
    {0x3A07001F, "GOVERNMENT_ID_NUMBER_W"},
    {0x3A07001E, "GOVERNMENT_ID_NUMBER_A"},
    {0x3A08001E, "BUSINESS_TELEPHONE_NUMBER"},
    {0x3A08001F, "BUSINESS_TELEPHONE_NUMBER_W"},
    {0x3A08001E, "BUSINESS_TELEPHONE_NUMBER_A"},
    {0x3A08001E, "OFFICE_TELEPHONE_NUMBER"},
    {0x3A08001F, "OFFICE_TELEPHONE_NUMBER_W"},
    {0x3A08001E, "OFFICE_TELEPHONE_NUMBER_A"},
    {0x3A09001E, "HOME_TELEPHONE_NUMBER"},
    {0x3A09001F, "HOME_TELEPHONE_NUMBER_W"},
    {0x3A09001E, "HOME_TELEPHONE_NUMBER_A"},
    {0x3A0A001E, "INITIALS"},
    {0x3A0A001F, "INITIALS_W"},
    {0x3A0A001E, "INITIALS_A"},
    {0x3A0B001E, "KEYWORD"},
    {0x3A0B001F, "KEYWORD_W"},
    {0x3A0B001E, "KEYWORD_A"},
    {0x3A0C001E, "LANGUAGE"},
    {0x3A0C001F, "LANGUAGE_W"},
    {0x3A0C001E, "LANGUAGE_A"},
    {0x3A0D001E, "LOCATION"},
    {0x3A0D001F, "LOCATION_W"},
    {0x3A0D001E, "LOCATION_A"},
    {0x3A0E000B, "MAIL_PERMISSION"},
    {0x3A0F001E, "MHS_COMMON_NAME"},
    {0x3A0F001F, "MHS_COMMON_NAME_W"},
    {0x3A0F001E, "MHS_COMMON_NAME_A"},
    {0x3A10001E, "ORGANIZATIONAL_ID_NUMBER"},
    {0x3A10001F, "ORGANIZATIONAL_ID_NUMBER_W"},
    {0x3A10001E, "ORGANIZATIONAL_ID_NUMBER_A"},
    {0x3A11001E, "SURNAME"},
    {0x3A11001F, "SURNAME_W"},
    {0x3A11001E, "SURNAME_A"},
    {0x3A120102, "ORIGINAL_ENTRYID"},
    {0x3A13001E, "ORIGINAL_DISPLAY_NAME"},
    {0x3A13001F, "ORIGINAL_DISPLAY_NAME_W"},
    {0x3A13001E, "ORIGINAL_DISPLAY_NAME_A"},
    {0x3A140102, "ORIGINAL_SEARCH_KEY"},
    {0x3A15001E, "POSTAL_ADDRESS"},
    {0x3A15001F, "POSTAL_ADDRESS_W"},
    {0x3A15001E, "POSTAL_ADDRESS_A"},
    {0x3A16001F, "COMPANY_NAME_W"},
    {0x3A16001E, "COMPANY_NAME_A"},
    {0x3A17001E, "TITLE"},
    {0x3A17001F, "TITLE_W"},
    {0x3A17001E, "TITLE_A"},
    {0x3A18001E, "DEPARTMENT_NAME"},
    {0x3A18001F, "DEPARTMENT_NAME_W"},
    {0x3A18001E, "DEPARTMENT_NAME_A"},
    {0x3A19001E, "OFFICE_LOCATION"},
    {0x3A19001F, "OFFICE_LOCATION_W"},
    {0x3A19001E, "OFFICE_LOCATION_A"},
    {0x3A1A001E, "PRIMARY_TELEPHONE_NUMBER"},
    {0x3A1A001F, "PRIMARY_TELEPHONE_NUMBER_W"},
    {0x3A1A001E, "PRIMARY_TELEPHONE_NUMBER_A"},
    {0x3A1B001E, "BUSINESS2_TELEPHONE_NUMBER"},
    {0x3A1B001F, "BUSINESS2_TELEPHONE_NUMBER_W"},
    {0x3A1B001E, "BUSINESS2_TELEPHONE_NUMBER_A"},
    {0x3A1B001E, "OFFICE2_TELEPHONE_NUMBER"},
    {0x3A1B001F, "OFFICE2_TELEPHONE_NUMBER_W"},
    {0x3A1B001E, "OFFICE2_TELEPHONE_NUMBER_A"},
    {0x3A1C001E, "MOBILE_TELEPHONE_NUMBER"},
    {0x3A1C001F, "MOBILE_TELEPHONE_NUMBER_W"},
    {0x3A1C001E, "MOBILE_TELEPHONE_NUMBER_A"},
    {0x3A1C001E, "CELLULAR_TELEPHONE_NUMBER"},
    {0x3A1C001F, "CELLULAR_TELEPHONE_NUMBER_W"},
    {0x3A1C001E, "CELLULAR_TELEPHONE_NUMBER_A"},
    {0x3A1D001E, "RADIO_TELEPHONE_NUMBER"},
    {0x3A1D001F, "RADIO_TELEPHONE_NUMBER_W"},
    {0x3A1D001E, "RADIO_TELEPHONE_NUMBER_A"},
    {0x3A1E001E, "CAR_TELEPHONE_NUMBER"},
    {0x3A1E001F, "CAR_TELEPHONE_NUMBER_W"},
    {0x3A1E001E, "CAR_TELEPHONE_NUMBER_A"},
    {0x3A1F001E, "OTHER_TELEPHONE_NUMBER"},
    {0x3A1F001F, "OTHER_TELEPHONE_NUMBER_W"},
    {0x3A1F001E, "OTHER_TELEPHONE_NUMBER_A"},
    {0x3A20001E, "TRANSMITABLE_DISPLAY_NAME"},
    {0x3A20001F, "TRANSMITABLE_DISPLAY_NAME_W"},
    {0x3A20001E, "TRANSMITABLE_DISPLAY_NAME_A"},
    {0x3A21001E, "PAGER_TELEPHONE_NUMBER"},
    {0x3A21001F, "PAGER_TELEPHONE_NUMBER_W"},
    {0x3A21001E, "PAGER_TELEPHONE_NUMBER_A"},
    {0x3A21001E, "BEEPER_TELEPHONE_NUMBER"},
    {0x3A21001F, "BEEPER_TELEPHONE_NUMBER_W"},
    {0x3A21001E, "BEEPER_TELEPHONE_NUMBER_A"},
    {0x3A220102, "USER_CERTIFICATE"},
    {0x3A23001E, "PRIMARY_FAX_NUMBER"},
    {0x3A23001F, "PRIMARY_FAX_NUMBER_W"},
    {0x3A23001E, "PRIMARY_FAX_NUMBER_A"},
    {0x3A24001E, "BUSINESS_FAX_NUMBER"},
    {0x3A24001F, "BUSINESS_FAX_NUMBER_W"},
    {0x3A24001E, "BUSINESS_FAX_NUMBER_A"},
    {0x3A25001E, "HOME_FAX_NUMBER"},
    {0x3A25001F, "HOME_FAX_NUMBER_W"},
    {0x3A25001E, "HOME_FAX_NUMBER_A"},
    {0x3A26001E, "COUNTRY"},
    {0x3A26001F, "COUNTRY_W"},
    {0x3A26001E, "COUNTRY_A"},
    {0x3A27001E, "LOCALITY"},
    {0x3A27001F, "LOCALITY_W"},
    {0x3A27001E, "LOCALITY_A"},
    {0x3A28001E, "STATE_OR_PROVINCE"},
    {0x3A28001F, "STATE_OR_PROVINCE_W"},
    {0x3A28001E, "STATE_OR_PROVINCE_A"},
    {0x3A29001E, "STREET_ADDRESS"},
    {0x3A29001F, "STREET_ADDRESS_W"},
    {0x3A29001E, "STREET_ADDRESS_A"},
    {0x3A2A001E, "POSTAL_CODE"},
    {0x3A2A001F, "POSTAL_CODE_W"},
    {0x3A2A001E, "POSTAL_CODE_A"},
    {0x3A2B001E, "POST_OFFICE_BOX"},
    {0x3A2B001F, "POST_OFFICE_BOX_W"},
    {0x3A2B001E, "POST_OFFICE_BOX_A"},
    {0x3A2B001E, "BUSINESS_ADDRESS_POST_OFFICE_BOX"},
    {0x3A2B001F, "BUSINESS_ADDRESS_POST_OFFICE_BOX_W"},
    {0x3A2B001E, "BUSINESS_ADDRESS_POST_OFFICE_BOX_A"},
    {0x3A2C001E, "TELEX_NUMBER"},
    {0x3A2C001F, "TELEX_NUMBER_W"},
    {0x3A2C001E, "TELEX_NUMBER_A"},
    {0x3A2D001E, "ISDN_NUMBER"},
    {0x3A2D001F, "ISDN_NUMBER_W"},
    {0x3A2D001E, "ISDN_NUMBER_A"},
    {0x3A2E001E, "ASSISTANT_TELEPHONE_NUMBER"},
    {0x3A2E001F, "ASSISTANT_TELEPHONE_NUMBER_W"},
    {0x3A2E001E, "ASSISTANT_TELEPHONE_NUMBER_A"},
    {0x3A2F001E, "HOME2_TELEPHONE_NUMBER"},
    {0x3A2F001F, "HOME2_TELEPHONE_NUMBER_W"},
    {0x3A2F001E, "HOME2_TELEPHONE_NUMBER_A"},
    {0x3A30001E, "ASSISTANT"},
    {0x3A30001F, "ASSISTANT_W"},
    {0x3A30001E, "ASSISTANT_A"},
    {0x3A40000B, "SEND_RICH_INFO"},
    {0x3A410040, "WEDDING_ANNIVERSARY"},
    {0x3A420040, "BIRTHDAY"},
    {0x3A43001E, "HOBBIES"},
    {0x3A43001F, "HOBBIES_W"},
    {0x3A43001E, "HOBBIES_A"},
    {0x3A44001E, "MIDDLE_NAME"},
    {0x3A44001F, "MIDDLE_NAME_W"},
    {0x3A44001E, "MIDDLE_NAME_A"},
    {0x3A45001E, "DISPLAY_NAME_PREFIX"},
    {0x3A45001F, "DISPLAY_NAME_PREFIX_W"},
    {0x3A45001E, "DISPLAY_NAME_PREFIX_A"},
    {0x3A46001E, "PROFESSION"},
    {0x3A46001F, "PROFESSION_W"},
    {0x3A46001E, "PROFESSION_A"},
    {0x3A47001E, "PREFERRED_BY_NAME"},
    {0x3A47001F, "PREFERRED_BY_NAME_W"},
    {0x3A47001E, "PREFERRED_BY_NAME_A"},
    {0x3A48001E, "SPOUSE_NAME"},
    {0x3A48001F, "SPOUSE_NAME_W"},
    {0x3A48001E, "SPOUSE_NAME_A"},
    {0x3A49001E, "COMPUTER_NETWORK_NAME"},
    {0x3A49001F, "COMPUTER_NETWORK_NAME_W"},
    {0x3A49001E, "COMPUTER_NETWORK_NAME_A"},
    {0x3A4A001E, "CUSTOMER_ID"},
    {0x3A4A001F, "CUSTOMER_ID_W"},
    {0x3A4A001E, "CUSTOMER_ID_A"},
    {0x3A4B001E, "TTYTDD_PHONE_NUMBER"},
    {0x3A4B001F, "TTYTDD_PHONE_NUMBER_W"},
    {0x3A4B001E, "TTYTDD_PHONE_NUMBER_A"},
    {0x3A4C001E, "FTP_SITE"},
    {0x3A4C001F, "FTP_SITE_W"},
    {0x3A4C001E, "FTP_SITE_A"},
    {0x3A4D0002, "GENDER"},
    {0x3A4E001E, "MANAGER_NAME"},
    {0x3A4E001F, "MANAGER_NAME_W"},
    {0x3A4E001E, "MANAGER_NAME_A"},
    {0x3A4F001F, "NICKNAME_W"},
    {0x3A4F001E, "NICKNAME_A"},
    {0x3A50001E, "PERSONAL_HOME_PAGE"},
    {0x3A50001F, "PERSONAL_HOME_PAGE_W"},
    {0x3A50001E, "PERSONAL_HOME_PAGE_A"},
    {0x3A51001E, "BUSINESS_HOME_PAGE"},
    {0x3A51001F, "BUSINESS_HOME_PAGE_W"},
    {0x3A51001E, "BUSINESS_HOME_PAGE_A"},
    {0x3A520048, "CONTACT_VERSION"},
    {0x3A531102, "CONTACT_ENTRYIDS"},
    {0x3A54101E, "CONTACT_ADDRTYPES"},
    {0x3A54101F, "CONTACT_ADDRTYPES_W"},
    {0x3A54101E, "CONTACT_ADDRTYPES_A"},
    {0x3A550003, "CONTACT_DEFAULT_ADDRESS_INDEX"},
    {0x3A56101E, "CONTACT_EMAIL_ADDRESSES"},
    {0x3A56101F, "CONTACT_EMAIL_ADDRESSES_W"},
    {0x3A56101E, "CONTACT_EMAIL_ADDRESSES_A"},
    {0x3A57001E, "COMPANY_MAIN_PHONE_NUMBER"},
    {0x3A57001F, "COMPANY_MAIN_PHONE_NUMBER_W"},
    {0x3A57001E, "COMPANY_MAIN_PHONE_NUMBER_A"},
    {0x3A58101E, "CHILDRENS_NAMES"},
    {0x3A58101F, "CHILDRENS_NAMES_W"},
    {0x3A58101E, "CHILDRENS_NAMES_A"},
    {0x3A59001E, "HOME_ADDRESS_CITY"},
    {0x3A59001F, "HOME_ADDRESS_CITY_W"},
    {0x3A59001E, "HOME_ADDRESS_CITY_A"},
    {0x3A5A001E, "HOME_ADDRESS_COUNTRY"},
    {0x3A5A001F, "HOME_ADDRESS_COUNTRY_W"},
    {0x3A5A001E, "HOME_ADDRESS_COUNTRY_A"},
    {0x3A5B001E, "HOME_ADDRESS_POSTAL_CODE"},
    {0x3A5B001F, "HOME_ADDRESS_POSTAL_CODE_W"},
    {0x3A5B001E, "HOME_ADDRESS_POSTAL_CODE_A"},
    {0x3A5C001E, "HOME_ADDRESS_STATE_OR_PROVINCE"},
    {0x3A5C001F, "HOME_ADDRESS_STATE_OR_PROVINCE_W"},
    {0x3A5C001E, "HOME_ADDRESS_STATE_OR_PROVINCE_A"},
    {0x3A5D001E, "HOME_ADDRESS_STREET"},
    {0x3A5D001F, "HOME_ADDRESS_STREET_W"},
    {0x3A5D001E, "HOME_ADDRESS_STREET_A"},
    {0x3A5E001E, "HOME_ADDRESS_POST_OFFICE_BOX"},
    {0x3A5E001F, "HOME_ADDRESS_POST_OFFICE_BOX_W"},
    {0x3A5E001E, "HOME_ADDRESS_POST_OFFICE_BOX_A"},
    {0x3A5F001E, "OTHER_ADDRESS_CITY"},
    {0x3A5F001F, "OTHER_ADDRESS_CITY_W"},
    {0x3A5F001E, "OTHER_ADDRESS_CITY_A"},
    {0x3A60001E, "OTHER_ADDRESS_COUNTRY"},
    {0x3A60001F, "OTHER_ADDRESS_COUNTRY_W"},
    {0x3A60001E, "OTHER_ADDRESS_COUNTRY_A"},
    {0x3A61001E, "OTHER_ADDRESS_POSTAL_CODE"},
    {0x3A61001F, "OTHER_ADDRESS_POSTAL_CODE_W"},
    {0x3A61001E, "OTHER_ADDRESS_POSTAL_CODE_A"},
    {0x3A62001E, "OTHER_ADDRESS_STATE_OR_PROVINCE"},
    {0x3A62001F, "OTHER_ADDRESS_STATE_OR_PROVINCE_W"},
    {0x3A62001E, "OTHER_ADDRESS_STATE_OR_PROVINCE_A"},
    {0x3A63001E, "OTHER_ADDRESS_STREET"},
    {0x3A63001F, "OTHER_ADDRESS_STREET_W"},
    {0x3A63001E, "OTHER_ADDRESS_STREET_A"},
    {0x3A64001E, "OTHER_ADDRESS_POST_OFFICE_BOX"},
    {0x3A64001F, "OTHER_ADDRESS_POST_OFFICE_BOX_W"},
    {0x3A64001E, "OTHER_ADDRESS_POST_OFFICE_BOX_A"},
    {0x3A701102, "USER_X509_CERTIFICATE"},
    {0x3A710003, "SEND_INTERNET_ENCODING"},
    {0x3A27001E, "BUSINESS_ADDRESS_CITY"},
    {0x3A26001E, "BUSINESS_ADDRESS_COUNTRY"},
    {0x3A2A001E, "BUSINESS_ADDRESS_POSTAL_CODE"},
    {0x3A28001E, "BUSINESS_ADDRESS_STATE_OR_PROVINCE"},
    {0x3A29001E, "BUSINESS_ADDRESS_STREET"},
    {0x0C150003, "RECIPIENT_TYPE"},
};

// Words of the names that are no plain English words.
const std::unordered_map<std::string, std::string> &specialWords()
{
    static const std::unordered_map<std::string, std::string> words = {
        {"ENTRYID", "Entry ID"},
        {"ENTRYIDS", "Entry IDs"},
        {"ROWID", "Row ID"},
        {"ID", "ID"},
        {"NICKNAME", "Nick Name"},
        {"EMAIL", "Email"},
        {"ADDRTYPE", "Address Type"},
        {"ADDRTYPES", "Address Types"},
        {"DLL", "DLL"},
        {"UID", "UID"},
        {"MHS", "MHS"},
        {"ISDN", "ISDN"},
        {"FTP", "FTP"},
        {"TTYTDD", "TTY/TDD"},
        {"X509", "X.509"},
        {"BUSINESS2", "Business 2"},
        {"HOME2", "Home 2"},
        {"OFFICE2", "Office 2"},
        {"CHILDRENS", "Children's"},
        {"TRANSMITABLE", "Transmittable"},
        {"OR", "or"},
    };
    return words;
}

std::string titleWord(const std::string &word)
{
    const auto special = specialWords().find(word);
    if (special != specialWords().end())
        return special->second;
    std::string out = word;
    for (std::size_t i = 1; i < out.size(); ++i)
        out[i] = static_cast<char>(out[i] >= 'A' && out[i] <= 'Z' ? out[i] - 'A' + 'a' : out[i]);
    return out;
}

// "HOME_FAX_NUMBER_W" as "Home Fax Number (Unicode)".
std::string captionOf(const std::string &name)
{
    std::string base = name;
    std::string variant;
    if (name.ends_with("_W") || name.ends_with("_A")) {
        variant = name.back() == 'W' ? " (Unicode)" : " (ANSI)";
        base.resize(base.size() - 2);
    }
    std::string caption;
    std::size_t start = 0;
    while (start <= base.size()) {
        const std::size_t stop = std::min(base.find('_', start), base.size());
        caption += (caption.empty() ? "" : " ") + titleWord(base.substr(start, stop - start));
        start = stop + 1;
    }
    return caption + variant;
}

std::vector<TWABProperty> makeProperties()
{
    std::vector<TWABProperty> properties;
    for (const TTagName &entry : tagNames) {
        TWABProperty property;
        property.Tag = entry.Tag;
        property.Name = entry.Name;
        property.Caption = captionOf(property.Name);
        properties.push_back(std::move(property));
    }
    return properties;
}

} // namespace

bool TWABProperty::IsVariant() const { return Name.ends_with("_W") || Name.ends_with("_A"); }

TVxIDataType TWABProperty::DataType() const
{
    return Type() == PropertyTypeTime ? TVxIDataType::itDateTime : TVxIDataType::itString;
}

const std::vector<TWABProperty> &WABProperties()
{
    static const std::vector<TWABProperty> properties = makeProperties();
    return properties;
}

int WABPropertyIndex(std::string_view name)
{
    using TByName = std::unordered_map<std::string, int, sources::TNameHash, sources::TNameEqual>;
    static const TByName byName = [] {
        TByName map;
        const std::vector<TWABProperty> &properties = WABProperties();
        for (std::size_t i = 0; i < properties.size(); ++i)
            map.emplace(properties[i].Name, static_cast<int>(i));
        return map;
    }();
    const auto found = byName.find(name);
    return found == byName.end() ? -1 : found->second;
}

const std::vector<int> &WABColumnsOfProperty(int index)
{
    static const std::vector<std::vector<int>> byColumn = [] {
        const std::vector<TWABProperty> &properties = WABProperties();
        std::vector<std::vector<int>> columns(properties.size());
        for (std::size_t i = 0; i < properties.size(); ++i)
            for (std::size_t j = 0; j < properties.size(); ++j)
                if (properties[j].Id() == properties[i].Id() && !properties[j].IsVariant())
                    columns[i].push_back(static_cast<int>(j));
        return columns;
    }();
    static const std::vector<int> none;
    if (index < 0 || static_cast<std::size_t>(index) >= byColumn.size())
        return none;
    return byColumn[static_cast<std::size_t>(index)];
}

// Address books of vCards loaded by the runner (TableType=WAB) into a real database, and
// the files it cannot read refused with their reason.

#include "FirebirdTestSupport.h"
#include "Files.h"
#include "RunImport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::string mappings =
    "Map0=NAME=DISPLAY_NAME\r\nMap1=EMAIL=EMAIL_ADDRESS\r\nMap2=MOBILE=MOBILE_TELEPHONE_NUMBER\r\n"
    "Map3=COMPANY=COMPANY_NAME\r\nMap4=BORN=BIRTHDAY\r\n";

RunResult importInto(const TempDir &dir, const std::string &db, const std::string &file)
{
    dir.Write("load.vxi", "[Common]\r\nTableName=CONTACTS\r\nTableType=WAB\r\nMode=0\r\nSourceFileName=" + file +
                              "\r\n[Mappings]\r\n" + mappings);
    return runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --quiet --spec " +
                     dir.File("load.vxi"));
}

std::string repeated(const std::string &text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

std::vector<std::string> contacts(const std::string &db)
{
    std::vector<std::string> rows =
        QueryColumn(db, "select COALESCE(NAME, '-') || '|' || COALESCE(EMAIL, '-') || '|' || COALESCE(MOBILE, '-') || "
                        "'|' || COALESCE(COMPANY, '-') || '|' || COALESCE(BORN, '-') from CONTACTS");
    std::sort(rows.begin(), rows.end());
    return rows;
}

class ContactsImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDatabase(db, {"CREATE TABLE CONTACTS (NAME VARCHAR(60), EMAIL VARCHAR(60), MOBILE VARCHAR(20), "
                            "COMPANY VARCHAR(60), BORN DATE)"});
    }
    TempDir dir;
    std::string db = dir.File("contacts.fdb");
};

TEST_F(ContactsImportTest, CardsOfThreeWritersRowByRow)
{
    // Android's six cards of vCard 2.1 (UTF-8 in quoted-printable), Thunderbird's 3.0 card
    // and Outlook 2003's 2.1 card in one address book.
    std::string book;
    for (const char *name :
         {"John_Doe_ANDROID.vcf", "thunderbird-MoreFunctionsForAddressBook-extension.vcf", "outlook-2003.vcf"})
        book += ReadFile(TestDataFolder("vcard") + "/" + name) + "\r\n";
    const RunResult r = importInto(dir, db, dir.Write("book.vcf", book));
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string n = "\xC3\x91";
    std::vector<std::string> expected = {
        "john.doe@company.com|john.doe@company.com|-|-|-",
        "jane.doe@company.com|jane.doe@company.com|-|-|-",
        repeated(n + " ", 5) + "|-|123456789|-|-",
        repeated(n + " ", 10) + n + "|-|123456|-|-",
        repeated(n + " ", 4) + "|bob@company.com|123456|" + repeated(n, 12) + "|-",
        repeated(n, 4) + "|henry@company.com|55556666|" + repeated(n, 44) + "|-",
        "John Doe|doe.john@hotmail.com|555-555-5555|TheOrganization|1970-09-21",
        "John Doe III|jdoe@hotmail.com|MobilePhone|Company, The|1980-03-21",
    };
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(contacts(db), expected);
}

TEST_F(ContactsImportTest, WhatCannotBeReadEndsWithItsReason)
{
    struct TCase {
        std::string File;
        const char *Message;
    };
    const TCase cases[] = {
        {dir.File("missing.vcf"), "File is not exists."},
        {dir.Write("contacts.wab", std::string("\x9C\xCB\xCB\x8D\x13\x75\xD2\x11\0\0\0\0", 12)),
         "A Windows Address Book (.wab) cannot be read on this system. Export the contacts as vCard (.vcf) and "
         "import that file."},
        {dir.Write("notes.vcf", "no card here\r\n"), "The file is not a vCard address book"},
    };
    for (const TCase &c : cases) {
        const RunResult r = importInto(dir, db, c.File);
        EXPECT_EQ(r.status, 2) << c.File << "\n" << r.out;
        EXPECT_NE(r.out.find(c.Message), std::string::npos) << r.out;
    }
    EXPECT_EQ(QueryColumn(db, "select count(*) from CONTACTS"), (std::vector<std::string>{"0"}));
}

} // namespace

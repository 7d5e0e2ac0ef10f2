#include "QtFiles.h"
#include "QtPrinters.h"
#include "TempDir.h"
#include "app/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    QString path = QString::fromStdString(dir.File("sub/Ferrovane.ini"));
};

TEST_F(SettingsStoreTest, BooleanWords)
{
    const std::vector<std::pair<const char *, bool>> accepted = {
        {"TRUE", true},   {"YES", true}, {"Y", true},  {"true", true},   {"  y  ", true},
        {"FALSE", false}, {"NO", false}, {"N", false}, {"False", false},
    };
    QDir().mkpath(QFileInfo(path).absolutePath());
    for (const auto &[word, value] : accepted) {
        WriteTextFile(path, QStringLiteral("[S]\nB=%1\n").arg(QLatin1String(word)));
        TSettingsStore store(path);
        EXPECT_EQ(store.ReadBoolean(QStringLiteral("S\\B")), value) << word;
    }
    for (const char *word : {"1", "0", "maybe", "", "TRUE!"}) {
        WriteTextFile(path, QStringLiteral("[S]\nB=%1\n").arg(QLatin1String(word)));
        TSettingsStore store(path);
        EXPECT_THROW(store.ReadBoolean(QStringLiteral("S\\B")), ESettingsError) << word;
    }
}

TEST_F(SettingsStoreTest, WrittenAsGivenReadWithoutOuterBlanks)
{
    TSettingsStore store(path);
    store.WriteBoolean(QStringLiteral("Form\\On"), true);
    store.WriteBoolean(QStringLiteral("Form\\Off"), false);
    store.WriteInteger(QStringLiteral("Form\\Count"), -12);
    store.WriteString(QStringLiteral("Form\\Text"), QStringLiteral("  a \"b\" = c  "));
    store.WriteString(QStringLiteral("Plain"), QStringLiteral("x"));
    store.WriteString(QStringLiteral("A\\B\\Key"), QStringLiteral("deep"));
    EXPECT_EQ(ReadTextFile(path), QStringLiteral("[Form]\nOn=TRUE\nOff=FALSE\nCount=-12\nText=  a \"b\" = c  \n\n"
                                                 "[DEFAUT]\nPlain=x\n\n"
                                                 "[A\\B]\nKey=deep\n\n"));

    TSettingsStore again(path);
    EXPECT_EQ(again.ReadString(QStringLiteral("form\\TEXT")), QStringLiteral("a \"b\" = c"));
    EXPECT_EQ(again.ReadInteger(QStringLiteral("Form\\Count")), -12);
    EXPECT_EQ(again.ReadString(QStringLiteral("DEFAUT\\Plain")), QStringLiteral("x"));
    EXPECT_EQ(again.ReadString(QStringLiteral("\\Plain")), QStringLiteral("x"));
    EXPECT_EQ(again.ReadString(QStringLiteral("A\\B\\Key")), QStringLiteral("deep"));
    EXPECT_EQ(again.ReadString(QStringLiteral("Form\\Missing")), std::nullopt);
    EXPECT_EQ(again.ReadString(QStringLiteral("Nowhere\\Text")), std::nullopt);
    EXPECT_THROW(again.ReadInteger(QStringLiteral("Form\\Text")), ESettingsError);
}

TEST_F(SettingsStoreTest, EveryValueRewritesTheFileAndKeepsWhatItDoesNotKnow)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    WriteTextFile(
        path, QStringLiteral("; kept\r\n[Other]\r\nName = spaced value \r\nnot a value line\r\n\r\n[Form]\r\nA=1\r\n"));
    TSettingsStore store(path);
    store.WriteInteger(QStringLiteral("FORM\\a"), 2);
    EXPECT_EQ(ReadTextFile(path),
              QStringLiteral("; kept\n\n[Other]\nName= spaced value \nnot a value line\n\n[Form]\nA=2\n\n"));
    store.WriteString(QStringLiteral("Form\\B"), QStringLiteral("b"));
    EXPECT_TRUE(ReadTextFile(path).endsWith(QStringLiteral("[Form]\nA=2\nB=b\n\n")));
    EXPECT_EQ(store.ReadString(QStringLiteral("Other\\name")), QStringLiteral("spaced value"));
}

TEST_F(SettingsStoreTest, ReadOnFirstUseOnly)
{
    TSettingsStore missing(path);
    EXPECT_EQ(missing.ReadString(QStringLiteral("S\\K")), std::nullopt);

    QDir().mkpath(QFileInfo(path).absolutePath());
    WriteTextFile(path, QStringLiteral("[S]\nK=first\n"));
    TSettingsStore store(path);
    EXPECT_EQ(store.ReadString(QStringLiteral("S\\K")), QStringLiteral("first"));
    WriteTextFile(path, QStringLiteral("[S]\nK=changed behind its back\n"));
    EXPECT_EQ(store.ReadString(QStringLiteral("S\\K")), QStringLiteral("first"));
    store.SetFileName(path);
    EXPECT_EQ(store.ReadString(QStringLiteral("S\\K")), QStringLiteral("changed behind its back"));
}

TEST_F(SettingsStoreTest, UnwritableFileIsAnError)
{
    const QString blocker = QString::fromStdString(dir.File("file"));
    WriteTextFile(blocker, QStringLiteral("x"));
    TSettingsStore store(blocker + QStringLiteral("/Ferrovane.ini")); // a folder that is a file
    EXPECT_THROW(store.WriteString(QStringLiteral("S\\K"), QStringLiteral("v")), ESettingsError);
}

} // namespace

#include "AppTestSupport.h"

#include "QtFiles.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>

#include <cstdlib>

TMessageRecorder::TMessageRecorder()
{
    previous_ = SetMessageHandler([this](const TMessage &message) {
        Messages.push_back(message);
        if (message.Kind != TMessageKind::mkQuestion || Answers.empty())
            return true;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    });
}

TMessageRecorder::~TMessageRecorder() { SetMessageHandler(std::move(previous_)); }

QStringList TMessageRecorder::Texts() const
{
    QStringList texts;
    for (const TMessage &m : Messages)
        texts << m.Text;
    return texts;
}

TSettingsFolder::TSettingsFolder()
{
    if (const char *previous = std::getenv("XDG_CONFIG_HOME")) {
        previous_ = previous;
        hadPrevious_ = true;
    }
    setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
}

TSettingsFolder::~TSettingsFolder()
{
    if (hadPrevious_)
        setenv("XDG_CONFIG_HOME", previous_.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

QString TSettingsFolder::IniFile() const { return QString::fromStdString(dir_.File("config/Ferrovane.ini")); }

QString TSettingsFolder::ReadIni() const { return ReadTextFile(IniFile()); }

void TSettingsFolder::WriteIni(const QString &text) const
{
    QDir().mkpath(QString::fromStdString(dir_.File("config")));
    WriteTextFile(IniFile(), text);
}

void MainWindowTest::SetUp()
{
    settings = std::make_unique<TSettingsFolder>();
    form = std::make_unique<TMainFerrovaneForm>();
}

void MainWindowTest::TearDown()
{
    form.reset();
    settings.reset();
}

void MainWindowTest::enterLocalDatabase(const std::string &path)
{
    control<QWidget>("RBLocale")->setProperty("checked", true);
    control<QWidget>("JvFilenameEdit1")->setProperty("text", QString::fromStdString(path));
    control<QWidget>("EditUser")->setProperty("text", QStringLiteral("SYSDBA"));
    control<QComboBox>("ComboDialect")->setCurrentText(QStringLiteral("3"));
    control<QComboBox>("ComboCharSet")->setCurrentText(QStringLiteral("UTF8"));
}

void MainWindowTest::clickConnect() { control<QPushButton>("btnConnect")->click(); }

void MainWindowTest::chooseTable(const QString &name)
{
    auto *tables = control<QComboBox>("ComboTables");
    const int index = tables->findText(name, Qt::MatchExactly);
    ASSERT_GE(index, 0) << name.toStdString();
    tables->setCurrentIndex(index);
    Q_EMIT tables->activated(index); // as the user's choice from the list
}

QStringList MainWindowTest::tableList() const
{
    auto *tables = form->findChild<QComboBox *>(QStringLiteral("ComboTables"));
    QStringList items;
    for (int i = 0; i < tables->count(); ++i)
        items << tables->itemText(i);
    return items;
}

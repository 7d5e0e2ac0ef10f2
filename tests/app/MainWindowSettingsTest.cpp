#include "AppTestSupport.h"
#include "app/JvFilenameEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>

#include <optional>

namespace {

QString screenSize()
{
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

int pixelsPerInch() { return qRound(QGuiApplication::primaryScreen()->logicalDotsPerInch()); }

TEST_F(MainWindowTest, SettingsFileAfterARun)
{
    form->setGeometry(QRect(20, 30, 780, 540));
    form->show();
    control<QRadioButton>("RBRemote")->click();
    control<QLineEdit>("EditServeur")->setText(QStringLiteral("db.example  "));
    control<QComboBox>("ComboProtocol")->setCurrentIndex(2);
    control<QLineEdit>("EditUser")->setText(QStringLiteral("SYSDBA"));
    control<QLineEdit>("EditPassword")->setText(QStringLiteral("secret"));
    control<QComboBox>("ComboDialect")->setCurrentIndex(1);
    control<TJvFilenameEdit>("JvFilenameEdit1")->setText(QStringLiteral("/srv/data/stock.fdb"));
    control<QComboBox>("ComboCharSet")->setCurrentIndex(26);
    control<QCheckBox>("ckbSystables")->setChecked(true);
    ASSERT_TRUE(form->close());

    const QString expected = QStringLiteral("[MainFerrovaneForm]\n"
                                            "FormVersion=0\n"
                                            "ShowCmd=1\n"
                                            "Flags=0\n"
                                            "PixelsPerInch=%1\n"
                                            "MinMaxPos%2=-1,-1,-1,-1\n"
                                            "MinMaxPos=-1,-1,-1,-1\n"
                                            "NormPos%2=20,30,800,570\n"
                                            "NormPos=20,30,800,570\n"
                                            "RBLocale_Checked=FALSE\n"
                                            "RBRemote_Checked=TRUE\n"
                                            "EditServeur_Text=db.example  \n"
                                            "EditUser_Text=SYSDBA\n"
                                            "ComboDialect_ItemIndex=1\n"
                                            "JvFilenameEdit1_Text=/srv/data/stock.fdb\n"
                                            "ckbSystables_Checked=TRUE\n"
                                            "ComboCharSet_ItemIndex=26\n"
                                            "ComboProtocol_ItemIndex=2\n"
                                            "\n")
                                 .arg(pixelsPerInch())
                                 .arg(screenSize());
    EXPECT_EQ(settings->ReadIni(), expected);
    EXPECT_FALSE(settings->ReadIni().contains(QStringLiteral("secret")));

    // Destroying a window saved on closing writes nothing more.
    settings->WriteIni(QStringLiteral("[MainFerrovaneForm]\nuntouched=1\n"));
    form.reset();
    EXPECT_EQ(settings->ReadIni(), QStringLiteral("[MainFerrovaneForm]\nuntouched=1\n"));
}

TEST_F(MainWindowTest, RestoredEveryShowBeforeTheShowHandler)
{
    settings->WriteIni(QStringLiteral("[MainFerrovaneForm]\n"
                                      "FormVersion=0\n"
                                      "ShowCmd=1\n"
                                      "NormPos=5,6,785,556\n"
                                      "RBLocale_Checked=false\n"
                                      "RBRemote_Checked=Y\n"
                                      "EditServeur_Text=  srv  \n"
                                      "ComboDialect_ItemIndex=7\n" // no such item: ignored
                                      "JvFilenameEdit1_Text=/data/x.fdb\n"
                                      "ckbSystables_Checked=maybe\n" // not a Boolean: ignored
                                      "ComboCharSet_ItemIndex=26\n"
                                      "ComboProtocol_ItemIndex=2\n"
                                      "EditPassword_Text=never read\n"));
    form->show();
    EXPECT_EQ(form->geometry(), QRect(5, 6, 780, 550));
    EXPECT_TRUE(control<QRadioButton>("RBRemote")->isChecked());
    EXPECT_TRUE(control<QLineEdit>("EditServeur")->isVisible());
    EXPECT_EQ(control<QLineEdit>("EditServeur")->text(), QStringLiteral("srv"));
    EXPECT_EQ(control<QComboBox>("ComboDialect")->currentIndex(), 0);
    EXPECT_EQ(control<TJvFilenameEdit>("JvFilenameEdit1")->text(), QStringLiteral("/data/x.fdb"));
    EXPECT_FALSE(control<QCheckBox>("ckbSystables")->isChecked());
    EXPECT_EQ(control<QComboBox>("ComboCharSet")->currentText(), QStringLiteral("UTF8"));
    EXPECT_EQ(control<QComboBox>("ComboProtocol")->currentIndex(), 0); // the show handler came after
    EXPECT_TRUE(control<QLineEdit>("EditPassword")->text().isEmpty());
    EXPECT_FALSE(form->FormStorage().Saved());

    // A stored Local with a server name still starts with an empty server box.
    form->hide();
    settings->WriteIni(QStringLiteral("[MainFerrovaneForm]\nRBLocale_Checked=TRUE\nEditServeur_Text=srv\n"));
    form->SettingsStore().SetFileName(settings->IniFile());
    form->show();
    EXPECT_TRUE(control<QRadioButton>("RBLocale")->isChecked());
    EXPECT_TRUE(control<QLineEdit>("EditServeur")->text().isEmpty());
}

TEST_F(MainWindowTest, WindowStateAndPlacementComeBack)
{
    form->setGeometry(QRect(40, 50, 775, 536));
    form->show();
    form->showMaximized();
    ASSERT_TRUE(form->isMaximized());
    ASSERT_TRUE(form->close());
    const QString saved = settings->ReadIni();
    EXPECT_TRUE(saved.contains(QStringLiteral("\nShowCmd=3\n"))) << saved.toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral("\nNormPos=40,50,815,586\n"))) << saved.toStdString();

    form = std::make_unique<TMainFerrovaneForm>();
    form->show();
    EXPECT_TRUE(form->isMaximized());
    form->showNormal();
    EXPECT_EQ(form->geometry(), QRect(40, 50, 775, 536));
}

TEST_F(MainWindowTest, PlacementChoices)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    struct Case {
        QString lines;
        std::optional<QPoint> topLeft; // none: anywhere in view
        QSize size;
    };
    const std::vector<Case> cases = {
        // the placement of this screen's size wins over the plain one
        {QStringLiteral("NormPos%1=1,2,781,542\nNormPos=9,9,789,549\n").arg(screenSize()), QPoint(1, 2), {780, 540}},
        // another screen's placement is not this one's
        {QStringLiteral("NormPos(12x34)=1,2,781,542\nNormPos=9,9,789,549\n"), QPoint(9, 9), {780, 540}},
        // far outside every screen: the size is kept, the window comes back into view
        {QStringLiteral("NormPos=-5000,-5000,-4220,-4460\n"), std::nullopt, {780, 540}},
        // never smaller than the window allows
        {QStringLiteral("NormPos=10,10,110,60\n"), QPoint(10, 10), {773, 535}},
        // a version below 0 is not ours: nothing is restored
        {QStringLiteral("FormVersion=-1\nNormPos=3,3,783,543\nEditUser_Text=x\n"), QPoint(100, 100), {790, 545}},
    };
    for (const Case &c : cases) {
        form = std::make_unique<TMainFerrovaneForm>();
        form->setGeometry(QRect(100, 100, 790, 545));
        settings->WriteIni(QStringLiteral("[MainFerrovaneForm]\n") + c.lines);
        form->show();
        EXPECT_EQ(form->geometry().size(), c.size) << c.lines.toStdString();
        if (c.topLeft) {
            EXPECT_EQ(form->geometry().topLeft(), *c.topLeft) << c.lines.toStdString();
        } else {
            EXPECT_TRUE(screen.contains(form->geometry().center())) << c.lines.toStdString();
        }
        EXPECT_TRUE(control<QLineEdit>("EditUser")->text().isEmpty());
        form->FormStorage().SetActive(false); // nothing written back between cases
    }
}

TEST_F(MainWindowTest, SavedAtDestructionWhenNeverSaved)
{
    control<QLineEdit>("EditUser")->setText(QStringLiteral("ANN"));
    form.reset();
    const QString saved = settings->ReadIni();
    EXPECT_TRUE(saved.startsWith(QStringLiteral("[MainFerrovaneForm]\nFormVersion=0\n"))) << saved.toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral("\nEditUser_Text=ANN\n"))) << saved.toStdString();
}

} // namespace

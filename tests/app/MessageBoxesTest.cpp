#include "AppTestSupport.h"
#include "app/FerrovaneApplication.h"
#include "wizard/MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <stdexcept>

namespace {

TEST(MessageBoxTexts, LongCaptionsAndTextsAreCutAndTheTextKept)
{
    const QString text200(200, QLatin1Char('t'));
    const QString text201 = text200 + QLatin1Char('!');
    const QString caption100(100, QLatin1Char('c'));
    const QString ellipsis(QChar(0x2026));

    TMessageBoxTexts fits = MessageBoxTexts(caption100, text200);
    EXPECT_EQ(fits.Caption, caption100);
    EXPECT_EQ(fits.Text, text200);
    EXPECT_TRUE(fits.Details.isEmpty());

    TMessageBoxTexts cut = MessageBoxTexts(caption100 + QLatin1Char('c'), text201);
    EXPECT_EQ(cut.Caption, QString(99, QLatin1Char('c')) + ellipsis);
    EXPECT_EQ(cut.Text, QString(199, QLatin1Char('t')) + ellipsis);
    EXPECT_EQ(cut.Details, text201);

    // Server errors come with CR LF; a character outside the basic plane is not split.
    EXPECT_EQ(MessageBoxTexts({}, QStringLiteral("a\r\nb")).Text, QStringLiteral("a\nb"));
    const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E"); // two UTF-16 units
    const QString edge = QString(198, QLatin1Char('x')) + clef + QStringLiteral("y");
    EXPECT_EQ(MessageBoxTexts({}, edge).Text, QString(198, QLatin1Char('x')) + ellipsis);
}

// The real box, answered through the widgets themselves.
TEST(MessageBoxes, RealBoxShowsTheCutTextAndAnswers)
{
    struct Seen {
        QString title, text, details;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    } seen;
    auto answer = [&seen](QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [&seen, button] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = {box->windowTitle(), box->text(), box->detailedText(), box->icon()};
            box->button(button)->click();
        });
    };
    const QString longText = QString(250, QLatin1Char('e'));

    answer(QMessageBox::No);
    EXPECT_FALSE(AskYesNo(QStringLiteral("Quit Ferrovane ?"), QStringLiteral("Confirmation")));
    EXPECT_EQ(seen.title, QStringLiteral("Confirmation"));
    EXPECT_EQ(seen.text, QStringLiteral("Quit Ferrovane ?"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);

    answer(QMessageBox::Yes);
    EXPECT_TRUE(AskYesNo(QStringLiteral("Quit Ferrovane ?"), QStringLiteral("Confirmation")));

    answer(QMessageBox::Ok);
    EXPECT_TRUE(ShowMessageBox(TMessageKind::mkInformation, longText));
    EXPECT_EQ(seen.title, QStringLiteral("Ferrovane")); // the application title
    EXPECT_EQ(seen.text.size(), MaxMessageText);
    EXPECT_EQ(seen.details, longText);
    EXPECT_EQ(seen.icon, QMessageBox::Information);

    answer(QMessageBox::Ok);
    ShowMessage(QStringLiteral("plain"));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
}

// A button whose handler fails, and a widget whose own event handler fails.
class Failing : public QPushButton {
public:
    Failing()
    {
        connect(this, &QPushButton::clicked, this, Guarded([this] {
                    ++clicks;
                    throw std::runtime_error("handler failed");
                }));
    }
    int clicks = 0;
    bool throwOnKey = false;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (throwOnKey)
            throw 42; // not even an exception class
        QPushButton::keyPressEvent(event);
    }
};

TEST(ApplicationHandler, EscapingErrorsBecomeMessagesAndTheWindowCarriesOn)
{
    TMessageRecorder messages;
    Failing button;
    button.show();

    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(button.clicks, 2);
    ASSERT_EQ(messages.Messages.size(), 2u);
    EXPECT_EQ(messages.Messages[0].Kind, TMessageKind::mkError);
    EXPECT_EQ(messages.Messages[0].Caption, QStringLiteral("Ferrovane"));
    EXPECT_EQ(messages.Messages[0].Text, QStringLiteral("handler failed"));
    EXPECT_FALSE(button.isDown());

    messages.Clear();
    button.throwOnKey = true;
    QTest::keyClick(&button, Qt::Key_A); // through the application's notify()
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Unknown error")});
    button.throwOnKey = false;
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(button.clicks, 3);
}

} // namespace

#pragma once

// How window tests work the controls: the way a user does, with the mouse and the keys.
// Header-only: only the window tests, which link Qt, include it.

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

// A step that has just appeared is laid out before the user can reach into it.
inline void Settle() { QApplication::processEvents(); }

inline void TypeInto(QLineEdit *box, const QString &text)
{
    Settle();
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// Radio buttons and check boxes answer on their mark and text only: click the mark.
inline void Click(QWidget *control)
{
    Settle();
    const bool marked = qobject_cast<QRadioButton *>(control) != nullptr ||
                        qobject_cast<QCheckBox *>(control) != nullptr;
    QTest::mouseClick(control, Qt::LeftButton, {}, marked ? QPoint(8, control->height() / 2) : QPoint());
}

// Where the keyboard's input goes now: the focused control, else the window on top.
inline QWidget *KeyboardTarget()
{
    if (QWidget *focus = QApplication::focusWidget())
        return focus;
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// A key pressed on whatever has the focus in the active window.
inline void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    Settle();
    QWidget *target = KeyboardTarget();
    if (target == nullptr) {
        ADD_FAILURE() << "no window takes the keyboard";
        return;
    }
    QTest::keyClick(target, key, modifiers);
}

// Text typed into whatever has the focus.
inline void Type(const QString &text)
{
    Settle();
    QWidget *target = KeyboardTarget();
    if (target == nullptr) {
        ADD_FAILURE() << "no window takes the keyboard";
        return;
    }
    QTest::keyClicks(target, text);
}

// Tab until the control has the focus; false when the focus went round without reaching
// it (the keyboard cannot get there).
inline bool TabTo(QWidget *control, int limit = 60)
{
    for (int i = 0; i < limit; ++i) {
        Settle();
        QWidget *focus = QApplication::focusWidget();
        if (focus == control || (focus != nullptr && control->isAncestorOf(focus)))
            return true;
        Press(Qt::Key_Tab);
    }
    return false;
}

// Runs the steps inside the next modal window that opens, once it is up. (A zero timer
// would not do: the events processed before the click that opens the window fire it.)
// No window within ten seconds is a failure, and the steps are dropped.
inline void WhenModalOpens(std::function<void(QWidget *)> steps)
{
    QWidget *before = QApplication::activeModalWidget();
    auto *timer = new QTimer;
    timer->setInterval(1);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(timer, &QTimer::timeout, [timer, before, steps, waited] {
        QWidget *modal = QApplication::activeModalWidget();
        const bool opened = modal != nullptr && modal != before && modal->isVisible();
        if (!opened && waited.elapsed() < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        if (!opened) {
            ADD_FAILURE() << "no window opened";
            return;
        }
        steps(modal);
    });
    timer->start();
}

// A window as a user sees it: nothing of it may lie outside it. With
// FERROVANE_SCREENSHOT=folder the picture is kept there as name.png (make screenshots).
inline void KeepScreenshot(QWidget &window, const QString &name)
{
    Settle();
    for (QWidget *child : window.findChildren<QWidget *>()) {
        if (child->isVisible() && child->parentWidget() == &window) {
            EXPECT_TRUE(window.rect().contains(child->geometry())) << child->objectName().toStdString();
        }
    }
    if (const char *folder = std::getenv("FERROVANE_SCREENSHOT"))
        window.grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
}

#pragma once

// How window tests work the controls: the way a user does, with the mouse and the keys.
// Header-only: only the window tests, which link Qt, include it.

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

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

// A key pressed on whatever has the focus in the active window.
inline void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    Settle();
    QWidget *target = QApplication::focusWidget();
    if (target == nullptr)
        target = QApplication::activeWindow();
    QTest::keyClick(target, key, modifiers);
}

// Text typed into whatever has the focus.
inline void Type(const QString &text)
{
    Settle();
    QTest::keyClicks(QApplication::focusWidget(), text);
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

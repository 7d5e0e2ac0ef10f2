#pragma once

#include <QString>

#include <functional>

// The program's one way of asking and telling the user something.

enum class TMessageKind {
    mkPlain,       // OK, no icon
    mkInformation, // OK with the information icon
    mkQuestion,    // Yes/No with the question icon
    mkError,       // OK with the error icon (errors reaching the application's handler)
};

struct TMessage {
    TMessageKind Kind = TMessageKind::mkPlain;
    QString Caption;
    QString Text;
    QString Details; // behind the box's "Show Details..." button; empty: none
};

// A box carries a caption of at most 100 and a text of at most 200 characters. Longer
// ones are cut to fit with "…" at the end; a cut text is kept whole in the box's details,
// so a long server error is never lost.
inline constexpr int MaxMessageCaption = 100;
inline constexpr int MaxMessageText = 200;

struct TMessageBoxTexts {
    QString Caption;
    QString Text;
    QString Details; // empty unless the text was cut
};
TMessageBoxTexts MessageBoxTexts(const QString &caption, const QString &text);

// Shows a modal box over the application's window. A question returns true on Yes,
// the other kinds return true when closed. An empty caption is the application title.
// Details, when given, wait behind the box's details button.
bool ShowMessageBox(TMessageKind kind, const QString &text, const QString &caption = {}, const QString &details = {});

inline bool AskYesNo(const QString &text, const QString &caption)
{
    return ShowMessageBox(TMessageKind::mkQuestion, text, caption);
}
inline void ShowMessage(const QString &text) { ShowMessageBox(TMessageKind::mkPlain, text); }

// Replaces what shows the boxes, so that tests answer them without a human; the caption
// handed over is already the final one. Returns the previous handler; an empty one
// brings the real boxes back.
using TMessageHandler = std::function<bool(const TMessage &)>;
TMessageHandler SetMessageHandler(TMessageHandler handler);

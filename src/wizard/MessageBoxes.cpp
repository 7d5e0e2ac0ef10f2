#include "wizard/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace {

TMessageHandler &installedHandler()
{
    static TMessageHandler handler;
    return handler;
}

QString cut(const QString &text, int limit)
{
    if (text.size() <= limit)
        return text;
    int keep = limit - 1;
    if (text.at(keep - 1).isHighSurrogate())
        --keep;
    return text.left(keep) + QChar(0x2026);
}

QMessageBox::Icon iconOf(TMessageKind kind)
{
    switch (kind) {
    case TMessageKind::mkInformation: return QMessageBox::Information;
    case TMessageKind::mkQuestion: return QMessageBox::Question;
    case TMessageKind::mkError: return QMessageBox::Critical;
    case TMessageKind::mkPlain: break;
    }
    return QMessageBox::NoIcon;
}

bool showBox(const TMessage &message)
{
    const TMessageBoxTexts texts = MessageBoxTexts(message.Caption, message.Text);
    const bool question = message.Kind == TMessageKind::mkQuestion;
    QMessageBox box(iconOf(message.Kind), texts.Caption, texts.Text,
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QString details = texts.Details;
    if (!message.Details.isEmpty())
        details = details.isEmpty() ? message.Details : details + QStringLiteral("\n\n") + message.Details;
    if (!details.isEmpty())
        box.setDetailedText(details);
    const int answer = box.exec();
    return !question || answer == QMessageBox::Yes;
}

} // namespace

TMessageBoxTexts MessageBoxTexts(const QString &caption, const QString &text)
{
    // Server errors arrive with CR LF between their lines.
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    TMessageBoxTexts result{cut(caption, MaxMessageCaption), cut(plain, MaxMessageText), {}};
    if (result.Text != plain)
        result.Details = plain;
    return result;
}

bool ShowMessageBox(TMessageKind kind, const QString &text, const QString &caption, const QString &details)
{
    const TMessage message{kind, caption.isEmpty() ? QApplication::applicationDisplayName() : caption, text, details};
    if (const TMessageHandler &handler = installedHandler())
        return handler(message);
    return showBox(message);
}

TMessageHandler SetMessageHandler(TMessageHandler handler)
{
    return std::exchange(installedHandler(), std::move(handler));
}

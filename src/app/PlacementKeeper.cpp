#include "app/PlacementKeeper.h"

#include "app/SettingsStore.h"

#include <QAbstractButton>
#include <QEvent>
#include <QGuiApplication>
#include <QMetaProperty>
#include <QScreen>
#include <QWidget>

#include <optional>

namespace {

// Window placement values as the settings file has always written them.
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int WPF_RESTORETOMAXIMIZED = 2;
// The desktop keeps no icon or maximized positions of its own: "not set".
const QString NoMinMaxPos = QStringLiteral("-1,-1,-1,-1");

struct Binding {
    QObject *Control = nullptr;
    QByteArray Property;
    QString Key;
    QMetaProperty Meta;
};

QByteArray qtPropertyName(const QString &property)
{
    if (property == QLatin1String("Checked"))
        return "checked";
    if (property == QLatin1String("Text"))
        return "text";
    if (property == QLatin1String("ItemIndex"))
        return "currentIndex";
    QString name = property;
    if (!name.isEmpty())
        name[0] = name[0].toLower();
    return name.toLatin1();
}

std::optional<Binding> bind(QWidget &form, const QString &storedProp)
{
    const qsizetype dot = storedProp.indexOf(QLatin1Char('.'));
    if (dot <= 0)
        return std::nullopt;
    const QString controlName = storedProp.left(dot);
    const QString property = storedProp.mid(dot + 1);
    QObject *control = form.objectName() == controlName ? &form : form.findChild<QObject *>(controlName);
    if (!control)
        return std::nullopt;
    Binding b{control, qtPropertyName(property), controlName + QLatin1Char('_') + property, {}};
    const int index = control->metaObject()->indexOfProperty(b.Property.constData());
    if (index < 0)
        return std::nullopt;
    b.Meta = control->metaObject()->property(index);
    return b;
}

// A list position must name an item (or none); anything else is a reading error.
void checkItemIndex(const Binding &b, int value)
{
    const QVariant count = b.Control->property("count");
    if (b.Property == "currentIndex" && count.isValid() && (value < -1 || value >= count.toInt()))
        throw ESettingsError("List index out of bounds (" + std::to_string(value) + ")");
}

// A check box or radio button set from the file runs its click handler as a user's
// click would: a check box on every change, a radio button when it becomes checked.
void Assign(const Binding &b, const QVariant &value)
{
    auto *button = qobject_cast<QAbstractButton *>(b.Control);
    const bool click = button && button->isCheckable() && b.Property == "checked";
    const bool before = click && button->isChecked();
    b.Control->setProperty(b.Property.constData(), value);
    if (!click || button->isChecked() == before)
        return;
    if (button->isChecked() || !button->autoExclusive())
        Q_EMIT button->clicked(button->isChecked());
}

bool onSomeScreen(const QRect &rect)
{
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(rect))
            return true;
    return false;
}

Qt::WindowStates statesOf(int showCmd, int flags)
{
    switch (showCmd) {
    case SW_SHOWMAXIMIZED: return Qt::WindowMaximized;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        if (flags & WPF_RESTORETOMAXIMIZED)
            return Qt::WindowMinimized | Qt::WindowMaximized;
        return Qt::WindowMinimized;
    default: return Qt::WindowNoState;
    }
}

} // namespace

QString ScreenSizeSuffix(const QWidget &form)
{
    const QScreen *screen = form.screen() ? form.screen() : QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->geometry().size() : QSize();
    return QStringLiteral("(%1x%2)").arg(size.width()).arg(size.height());
}

QString RectText(const QRect &rect)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(rect.left())
        .arg(rect.top())
        .arg(rect.left() + rect.width())
        .arg(rect.top() + rect.height());
}

QRect RectFromText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return {};
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return {};
    }
    return QRect(QPoint(v[0], v[1]), QSize(v[2] - v[0], v[3] - v[1]));
}

TPlacementKeeper::TPlacementKeeper(QWidget &form, TSettingsStore &store, QString section, QStringList storedProps,
                                   bool active)
    : form_(form), store_(store), section_(std::move(section)), storedProps_(std::move(storedProps)), active_(active)
{
    form_.installEventFilter(this);
}

TPlacementKeeper::~TPlacementKeeper()
{
    if (saved_)
        return;
    try {
        Save();
    } catch (...) {
        // a window going away cannot report that its settings could not be written
    }
}

bool TPlacementKeeper::eventFilter(QObject *watched, QEvent *event)
{
    // Spontaneous shows come from the desktop (a window coming back from the task bar).
    if (watched == &form_ && event->type() == QEvent::Show && !event->spontaneous())
        Restore();
    return false;
}

void TPlacementKeeper::Restore()
{
    saved_ = false;
    if (!active_)
        return;
    try {
        if (store_.ReadInteger(Path(QStringLiteral("FormVersion"))).value_or(FormVersion) < FormVersion)
            return;
        RestorePlacement();
    } catch (const std::exception &) {
        // a damaged placement leaves the window where it is
    }
    for (const QString &storedProp : storedProps_)
        RestoreProperty(storedProp);
}

void TPlacementKeeper::RestorePlacement()
{
    const QString suffix = ScreenSizeSuffix(form_);
    std::optional<QString> normPos = store_.ReadString(Path(QStringLiteral("NormPos") + suffix));
    if (!normPos)
        normPos = store_.ReadString(Path(QStringLiteral("NormPos")));
    QRect rect = normPos ? RectFromText(*normPos) : QRect();
    if (rect.isValid()) {
        if (!onSomeScreen(rect) && QGuiApplication::primaryScreen())
            rect.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
        form_.setWindowState(Qt::WindowNoState);
        form_.setGeometry(rect);
    }
    const std::optional<int> showCmd = store_.ReadInteger(Path(QStringLiteral("ShowCmd")));
    if (!showCmd)
        return;
    const int flags = store_.ReadInteger(Path(QStringLiteral("Flags"))).value_or(0);
    form_.setWindowState(statesOf(*showCmd, flags));
}

void TPlacementKeeper::RestoreProperty(const QString &storedProp)
{
    const std::optional<Binding> b = bind(form_, storedProp);
    if (!b)
        return;
    try {
        QVariant value;
        switch (b->Meta.typeId()) {
        case QMetaType::Bool:
            if (const auto v = store_.ReadBoolean(Path(b->Key)))
                value = *v;
            break;
        case QMetaType::Int:
            if (const auto v = store_.ReadInteger(Path(b->Key))) {
                checkItemIndex(*b, *v);
                value = *v;
            }
            break;
        default:
            if (const auto v = store_.ReadString(Path(b->Key)))
                value = *v;
            break;
        }
        if (value.isValid())
            Assign(*b, value);
    } catch (const std::exception &) {
        // one unreadable value must not keep the others from being restored
    }
}

void TPlacementKeeper::Save()
{
    if (!active_)
        return;
    SavePlacement();
    for (const QString &storedProp : storedProps_)
        SaveProperty(storedProp);
    saved_ = true;
}

void TPlacementKeeper::SavePlacement()
{
    const bool minimized = form_.isMinimized();
    const int showCmd = minimized ? SW_SHOWMINIMIZED : form_.isMaximized() ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    const int flags = minimized && (form_.windowState() & Qt::WindowMaximized) ? WPF_RESTORETOMAXIMIZED : 0;
    const QScreen *screen = form_.screen() ? form_.screen() : QGuiApplication::primaryScreen();
    const QString suffix = ScreenSizeSuffix(form_);
    const QString normPos = RectText(form_.normalGeometry());

    store_.WriteInteger(Path(QStringLiteral("FormVersion")), FormVersion);
    store_.WriteInteger(Path(QStringLiteral("ShowCmd")), showCmd);
    store_.WriteInteger(Path(QStringLiteral("Flags")), flags);
    store_.WriteInteger(Path(QStringLiteral("PixelsPerInch")), screen ? qRound(screen->logicalDotsPerInch()) : 96);
    store_.WriteString(Path(QStringLiteral("MinMaxPos") + suffix), NoMinMaxPos);
    store_.WriteString(Path(QStringLiteral("MinMaxPos")), NoMinMaxPos);
    store_.WriteString(Path(QStringLiteral("NormPos") + suffix), normPos);
    store_.WriteString(Path(QStringLiteral("NormPos")), normPos);
}

void TPlacementKeeper::SaveProperty(const QString &storedProp)
{
    const std::optional<Binding> b = bind(form_, storedProp);
    if (!b)
        return;
    const QVariant value = b->Control->property(b->Property.constData());
    switch (b->Meta.typeId()) {
    case QMetaType::Bool: store_.WriteBoolean(Path(b->Key), value.toBool()); break;
    case QMetaType::Int: store_.WriteInteger(Path(b->Key), value.toInt()); break;
    default: store_.WriteString(Path(b->Key), value.toString()); break;
    }
}

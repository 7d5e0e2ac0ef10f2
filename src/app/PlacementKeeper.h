#pragma once

#include <QObject>
#include <QRect>
#include <QStringList>

class QWidget;
class TSettingsStore;

// Keeps a window's placement and a list of its controls' properties in the window's
// section of the settings store. Restores them every time the window is shown, before
// the window's own show handler runs, and saves them when asked; a window destroyed
// without having been saved since its last restore is saved then.
//
// Stored properties are named "Control.Property" and written under "Control_Property".
// Property names are the classic ones: Checked, Text, ItemIndex.
class TPlacementKeeper : public QObject {
public:
    static constexpr int FormVersion = 0;

    TPlacementKeeper(QWidget &form, TSettingsStore &store, QString section, QStringList storedProps, bool active);
    ~TPlacementKeeper() override;
    TPlacementKeeper(const TPlacementKeeper &) = delete;
    TPlacementKeeper &operator=(const TPlacementKeeper &) = delete;

    bool Active() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    bool Saved() const { return saved_; }
    const QString &Section() const { return section_; }

    void Restore();
    void Save();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString Path(const QString &key) const { return section_ + QLatin1Char('\\') + key; }
    void RestorePlacement();
    void RestoreProperty(const QString &storedProp);
    void SavePlacement();
    void SaveProperty(const QString &storedProp);

    QWidget &form_;
    TSettingsStore &store_;
    QString section_;
    QStringList storedProps_;
    bool active_;
    bool saved_ = false;
};

// "(1920x1080)": the screen size that tells one screen's placement from another's.
QString ScreenSizeSuffix(const QWidget &form);
// "left,top,right,bottom" of a rectangle, right and bottom just outside it.
QString RectText(const QRect &rect);
// The rectangle of such a text; an empty rectangle when the text is not one.
QRect RectFromText(const QString &text);

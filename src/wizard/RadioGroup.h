#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

// A framed list of mutually exclusive choices, laid out in columns, each item carrying a
// value of its own: the wizard's type list, field delimiters and import modes.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget *parent = nullptr);

    void Clear();
    // Appends an item; value -1 gives it its position.
    void AddItem(const QString &text, int value = -1);
    void SetItems(const QStringList &texts);
    int Count() const { return static_cast<int>(buttons_.size()); }
    QString ItemText(int index) const;
    int ItemValue(int index) const;
    // -1 when nothing is selected.
    int ItemIndex() const;
    // Selects without emitting Clicked, as a program setting it does; -1 selects nothing.
    void SetItemIndex(int index);
    void SetItemEnabled(int index, bool enabled);
    bool ItemEnabled(int index) const;
    QRadioButton *Button(int index) const;
    int Columns() const { return columns_; }
    void SetColumns(int columns);

Q_SIGNALS:
    // The user chose an item.
    void Clicked(int index);

private:
    void Relayout();

    QGridLayout *layout_;
    QButtonGroup *group_;
    std::vector<QRadioButton *> buttons_;
    std::vector<int> values_;
    int columns_ = 1;
};

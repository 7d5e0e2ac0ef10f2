#include "wizard/RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(QWidget *parent)
    : QGroupBox(parent), layout_(new QGridLayout(this)), group_(new QButtonGroup(this))
{
    group_->setExclusive(true);
    connect(group_, &QButtonGroup::idClicked, this, &TRadioGroup::Clicked);
}

void TRadioGroup::Clear()
{
    for (QRadioButton *b : buttons_) {
        group_->removeButton(b);
        delete b;
    }
    buttons_.clear();
    values_.clear();
}

void TRadioGroup::AddItem(const QString &text, int value)
{
    auto *button = new QRadioButton(text, this);
    group_->addButton(button, Count());
    buttons_.push_back(button);
    values_.push_back(value < 0 ? Count() - 1 : value);
    Relayout();
}

void TRadioGroup::SetItems(const QStringList &texts)
{
    Clear();
    for (const QString &t : texts)
        AddItem(t);
}

QString TRadioGroup::ItemText(int index) const
{
    return index >= 0 && index < Count() ? buttons_[static_cast<std::size_t>(index)]->text() : QString();
}

int TRadioGroup::ItemValue(int index) const
{
    return index >= 0 && index < Count() ? values_[static_cast<std::size_t>(index)] : -1;
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::SetItemIndex(int index)
{
    if (index >= 0 && index < Count()) {
        buttons_[static_cast<std::size_t>(index)]->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked: let go of it for a moment.
    group_->setExclusive(false);
    for (QRadioButton *b : buttons_)
        b->setChecked(false);
    group_->setExclusive(true);
}

void TRadioGroup::SetItemEnabled(int index, bool enabled)
{
    if (QRadioButton *b = Button(index))
        b->setEnabled(enabled);
}

bool TRadioGroup::ItemEnabled(int index) const
{
    const QRadioButton *b = Button(index);
    return b != nullptr && b->isEnabled();
}

QRadioButton *TRadioGroup::Button(int index) const
{
    return index >= 0 && index < Count() ? buttons_[static_cast<std::size_t>(index)] : nullptr;
}

void TRadioGroup::SetColumns(int columns)
{
    columns_ = std::max(1, columns);
    Relayout();
}

void TRadioGroup::Relayout()
{
    for (QRadioButton *b : buttons_)
        layout_->removeWidget(b);
    const int rows = (Count() + columns_ - 1) / columns_;
    for (int i = 0; i < Count(); ++i)
        layout_->addWidget(buttons_[static_cast<std::size_t>(i)], rows == 0 ? 0 : i % rows, rows == 0 ? 0 : i / rows);
    layout_->setRowStretch(rows, 1);
}

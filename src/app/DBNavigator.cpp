#include "app/DBNavigator.h"

#include "app/DataSetTableModel.h"
#include "app/FerrovaneApplication.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

namespace {

struct ButtonLook {
    const char *Name;
    const char *Hint;
    QStyle::StandardPixmap Icon;
};

const ButtonLook looks[] = {
    {"nbFirst", "First record", QStyle::SP_MediaSkipBackward},
    {"nbPrior", "Prior record", QStyle::SP_MediaSeekBackward},
    {"nbNext", "Next record", QStyle::SP_MediaSeekForward},
    {"nbLast", "Last record", QStyle::SP_MediaSkipForward},
};

} // namespace

TDBNavigator::TDBNavigator(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    for (int i = 0; i < 4; ++i) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(looks[i].Name));
        button->setToolTip(tr(looks[i].Hint));
        button->setIcon(style()->standardIcon(looks[i].Icon));
        button->setMinimumSize(28, 24);
        button->setEnabled(false);
        layout->addWidget(button);
        buttons_[i] = button;
        connect(button, &QToolButton::clicked, this, Guarded([this, i] { BtnClick(static_cast<TNavigateBtn>(i)); }));
    }
}

void TDBNavigator::SetDataSource(TDataSetTableModel *source)
{
    if (source_)
        disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    if (source_) {
        connect(source_, &TDataSetTableModel::dataSetChanged, this, &TDBNavigator::UpdateButtons);
        connect(source_, &TDataSetTableModel::currentRowChanged, this, &TDBNavigator::UpdateButtons);
    }
    UpdateButtons();
}

QToolButton *TDBNavigator::Button(TNavigateBtn button) const { return buttons_[static_cast<int>(button)]; }

void TDBNavigator::BtnClick(TNavigateBtn button)
{
    TIBCustomDataSet *dataSet = source_ ? source_->DataSet() : nullptr;
    if (!dataSet || !dataSet->Active())
        return;
    switch (button) {
    case TNavigateBtn::nbFirst: dataSet->First(); break;
    case TNavigateBtn::nbPrior: dataSet->Prior(); break;
    case TNavigateBtn::nbNext: dataSet->Next(); break;
    case TNavigateBtn::nbLast: dataSet->Last(); break;
    }
    UpdateButtons(); // a move past either end changes no row but does change the ends
}

void TDBNavigator::UpdateButtons()
{
    const TIBCustomDataSet *dataSet = source_ ? source_->DataSet() : nullptr;
    const bool active = dataSet && dataSet->Active();
    const bool atStart = !active || dataSet->Bof();
    const bool atEnd = !active || dataSet->Eof();
    Button(TNavigateBtn::nbFirst)->setEnabled(!atStart);
    Button(TNavigateBtn::nbPrior)->setEnabled(!atStart);
    Button(TNavigateBtn::nbNext)->setEnabled(!atEnd);
    Button(TNavigateBtn::nbLast)->setEnabled(!atEnd);
}

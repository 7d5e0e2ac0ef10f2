#include "app/SelectColumnsForm.h"

#include "wizard/MessageBoxes.h"
#include "ui_SelectColumnsForm.h"

#include <algorithm>

TSelectColumnsForm::TSelectColumnsForm(QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TSelectColumnsForm>())
{
    ui->setupUi(this);
    connect(ui->ckbRealNames, &QCheckBox::toggled, this, &TSelectColumnsForm::ckbRealNamesClick);
    connect(ui->btnOK, &QPushButton::clicked, this, &TSelectColumnsForm::btnOKClick);
}

TSelectColumnsForm::~TSelectColumnsForm() = default;

void TSelectColumnsForm::SetColumns(const std::vector<Column> &columns)
{
    columns_ = columns;
    ui->lbColumns->clear();
    for (const Column &column : columns_) {
        auto *item = new QListWidgetItem(ui->lbColumns);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(column.Visible ? Qt::Checked : Qt::Unchecked);
    }
    ckbRealNamesClick();
}

std::vector<bool> TSelectColumnsForm::Visible() const
{
    std::vector<bool> visible;
    for (int row = 0; row < ui->lbColumns->count(); ++row)
        visible.push_back(ui->lbColumns->item(row)->checkState() == Qt::Checked);
    return visible;
}

void TSelectColumnsForm::ckbRealNamesClick()
{
    const bool realNames = ui->ckbRealNames->isChecked();
    for (int row = 0; row < ui->lbColumns->count(); ++row)
        ui->lbColumns->item(row)->setText(realNames ? columns_[row].FieldName : columns_[row].Title);
}

void TSelectColumnsForm::btnOKClick()
{
    const std::vector<bool> visible = Visible();
    if (std::find(visible.begin(), visible.end(), true) == visible.end()) {
        ShowMessage(QString::fromLatin1(SAtLeastOneColumn));
        return;
    }
    accept();
}

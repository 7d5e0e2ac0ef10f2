#include "app/JvDBGrid.h"

#include "app/DataSetTableModel.h"
#include "app/FerrovaneApplication.h"
#include "app/SelectColumnsForm.h"

#include <QHeaderView>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace {

// Characters a column shows before the user widens it.
int displayChars(const TIBField &field)
{
    switch (field.DataType()) {
    case TFieldType::ftSmallint: return 6;
    case TFieldType::ftInteger: return 10;
    case TFieldType::ftLargeint: return 15;
    case TFieldType::ftBCD: return std::max(field.Precision(), 8) + 2;
    case TFieldType::ftFloat: return 15;
    case TFieldType::ftDate: return 10;
    case TFieldType::ftTime: return 8;
    case TFieldType::ftDateTime: return 19;
    case TFieldType::ftBoolean: return 5;
    case TFieldType::ftMemo:
    case TFieldType::ftBlob: return 24;
    default: return std::clamp(field.Size(), 4, 40);
    }
}

} // namespace

TJvDBGrid::TJvDBGrid(QWidget *parent) : QTableView(parent), titleButton_(new QToolButton(this))
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setMinimumWidth(fontMetrics().height() + 6);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);

    titleButton_->setObjectName(QStringLiteral("TitleButton"));
    titleButton_->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    titleButton_->setAutoRaise(true);
    titleButton_->setToolTip(tr("Select columns"));
    connect(titleButton_, &QToolButton::clicked, this, Guarded([this] { SelectColumns(); }));
}

void TJvDBGrid::SetDataSource(TDataSetTableModel *source)
{
    if (source_)
        disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    setModel(source);
    if (!source_)
        return;
    connect(source_, &QAbstractItemModel::modelReset, this, &TJvDBGrid::SizeColumns);
    connect(source_, &TDataSetTableModel::currentRowChanged, this, &TJvDBGrid::FollowCurrentRow);
    SizeColumns();
    FollowCurrentRow(source_->CurrentRow());
}

int TJvDBGrid::ColumnWidth(int column) const
{
    const TIBField *field = source_->Field(column);
    const QFontMetrics metrics = fontMetrics();
    const int padding = 2 * metrics.horizontalAdvance(QLatin1Char(' ')) + 8;
    const int digits = field ? metrics.horizontalAdvance(QLatin1Char('0')) * displayChars(*field) : 0;
    const QString title = source_->headerData(column, Qt::Horizontal).toString();
    const int heading = horizontalHeader()->fontMetrics().horizontalAdvance(title) + padding;
    return std::clamp(std::max(digits + padding, heading), 48, 320);
}

void TJvDBGrid::SizeColumns()
{
    for (int column = 0; column < source_->columnCount(); ++column)
        setColumnWidth(column, ColumnWidth(column));
}

void TJvDBGrid::FollowCurrentRow(int row)
{
    if (row < 0 || row == currentIndex().row())
        return;
    following_ = true;
    const int column = std::max(currentIndex().column(), 0);
    const QModelIndex index = source_->index(row, column);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
    following_ = false;
}

void TJvDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (following_ || !source_ || !current.isValid())
        return;
    Guarded([this, row = current.row()] { source_->MoveToRow(row); })();
}

void TJvDBGrid::updateGeometries()
{
    QTableView::updateGeometries();
    // The chooser's button sits where the title row meets the row marks.
    const int frame = frameWidth();
    titleButton_->setGeometry(frame, frame, verticalHeader()->width(), horizontalHeader()->height());
    titleButton_->raise();
}

std::vector<bool> TJvDBGrid::ColumnsVisible() const
{
    std::vector<bool> visible;
    for (int column = 0; source_ && column < source_->columnCount(); ++column)
        visible.push_back(!isColumnHidden(column));
    return visible;
}

void TJvDBGrid::SetColumnsVisible(const std::vector<bool> &visible)
{
    for (int column = 0; source_ && column < source_->columnCount(); ++column)
        setColumnHidden(column, column < static_cast<int>(visible.size()) && !visible[column]);
}

void TJvDBGrid::SelectColumns()
{
    if (!source_ || source_->columnCount() == 0)
        return;
    TSelectColumnsForm chooser(this);
    std::vector<TSelectColumnsForm::Column> columns;
    for (int column = 0; column < source_->columnCount(); ++column) {
        const TIBField *field = source_->Field(column);
        columns.push_back({source_->headerData(column, Qt::Horizontal).toString(),
                           field ? QString::fromUtf8(field->FieldName()) : QString(), !isColumnHidden(column)});
    }
    chooser.SetColumns(columns);
    if (chooser.exec() == QDialog::Accepted)
        SetColumnsVisible(chooser.Visible());
}

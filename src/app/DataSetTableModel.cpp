#include "app/DataSetTableModel.h"

#include "app/FerrovaneApplication.h"

namespace {

// The grid's mark of the current record.
const QString CurrentRecordMark = QStringLiteral("\u25B6");

} // namespace

TDataSetTableModel::TDataSetTableModel(QObject *parent) : QAbstractTableModel(parent) {}

TDataSetTableModel::~TDataSetTableModel() { SetDataSet(nullptr); }

void TDataSetTableModel::SetDataSet(TIBCustomDataSet *dataSet)
{
    if (dataSet_)
        dataSet_->OnDataEvent = nullptr;
    dataSet_ = dataSet;
    if (dataSet_)
        dataSet_->OnDataEvent = [this](TDataEvent event) { DataEvent(event); };
    DataEvent(TDataEvent::deDataSetChange);
}

void TDataSetTableModel::DataEvent(TDataEvent event)
{
    if (event == TDataEvent::deDataSetChange)
        Reset();
    else
        TakeNewRows();
    FollowCursor();
}

void TDataSetTableModel::Reset()
{
    beginResetModel();
    const bool active = dataSet_ && dataSet_->Active();
    rows_ = active ? dataSet_->RecordCount() : 0;
    columns_ = active ? dataSet_->FieldCount() : 0;
    currentRow_ = -1;
    fetchFailed_ = false;
    endResetModel();
    Q_EMIT dataSetChanged();
}

// Rows someone else fetched (the cursor went to the last row, an import ran).
void TDataSetTableModel::TakeNewRows()
{
    const int fetched = dataSet_ && dataSet_->Active() ? dataSet_->RecordCount() : 0;
    if (fetched < rows_) {
        Reset();
        return;
    }
    if (fetched == rows_)
        return;
    beginInsertRows({}, rows_, fetched - 1);
    rows_ = fetched;
    endInsertRows();
}

void TDataSetTableModel::FollowCursor()
{
    const bool active = dataSet_ && dataSet_->Active();
    const int row = active ? dataSet_->RecNo() - 1 : -1;
    if (row == currentRow_)
        return;
    const int previous = currentRow_;
    currentRow_ = row;
    if (previous >= 0 && previous < rows_)
        Q_EMIT headerDataChanged(Qt::Vertical, previous, previous);
    if (row >= 0 && row < rows_)
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
    Q_EMIT currentRowChanged(row);
}

void TDataSetTableModel::MoveToRow(int row)
{
    if (!dataSet_ || !dataSet_->Active() || row == currentRow_)
        return;
    dataSet_->MoveToRecord(row + 1);
}

TIBField *TDataSetTableModel::Field(int column) const
{
    if (!dataSet_ || column < 0 || column >= columns_ || column >= dataSet_->FieldCount())
        return nullptr;
    return static_cast<TIBField *>(dataSet_->Fields(column));
}

int TDataSetTableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : rows_; }

int TDataSetTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : columns_; }

QString TDataSetTableModel::Text(int row, int column) const
{
    const TIBField *field = Field(column);
    const TIBValue *value = field ? dataSet_->RecordValue(row + 1, column) : nullptr;
    if (!value || value->IsNull())
        return {};
    if (field->DataType() == TFieldType::ftBlob)
        return QStringLiteral("(BLOB)");
    QString text = QString::fromUtf8(field->StorageToString(*value));
    if (field->DataType() == TFieldType::ftMemo)
        text = text.simplified(); // one line per row
    return text;
}

QVariant TDataSetTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_)
        return {};
    switch (role) {
    case Qt::DisplayRole: return Text(index.row(), index.column());
    case Qt::TextAlignmentRole: {
        const TIBField *field = Field(index.column());
        if (!field)
            return {};
        switch (field->Alignment()) {
        case TAlignment::taRightJustify: return int(Qt::AlignRight | Qt::AlignVCenter);
        case TAlignment::taCenter: return int(Qt::AlignCenter);
        case TAlignment::taLeftJustify: break;
        }
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    default: return {};
    }
}

QVariant TDataSetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section == currentRow_ ? CurrentRecordMark : QString();
    const TIBField *field = Field(section);
    return field ? QString::fromUtf8(field->DisplayLabel()) : QString();
}

Qt::ItemFlags TDataSetTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

bool TDataSetTableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !fetchFailed_ && dataSet_ && dataSet_->Active() && !dataSet_->AllFetched();
}

void TDataSetTableModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    try {
        dataSet_->FetchMore(FetchBatch);
    } catch (...) {
        // The view asks again and again; one failure is reported once.
        fetchFailed_ = true;
        TFerrovaneApplication::ShowException(std::current_exception());
    }
    TakeNewRows();
}

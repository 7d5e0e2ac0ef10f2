#pragma once

#include "dbaccess/IBCustomDataSet.h"

#include <QAbstractTableModel>

// The rows of a dataset as a read-only table for a grid. Rows are fetched from the
// server only as the view scrolls to them, so a table of any size opens at once. The
// model follows the dataset: its opening, closing and row changes, and its cursor.
class TDataSetTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Rows fetched each time the view wants more.
    static constexpr int FetchBatch = 256;

    explicit TDataSetTableModel(QObject *parent = nullptr);
    ~TDataSetTableModel() override;

    TIBCustomDataSet *DataSet() const { return dataSet_; }
    void SetDataSet(TIBCustomDataSet *dataSet);

    // The row of the dataset's current record, -1 when there is none.
    int CurrentRow() const { return currentRow_; }
    // Moves the dataset's cursor to a row the user picked.
    void MoveToRow(int row);
    // The field shown in a column.
    TIBField *Field(int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

Q_SIGNALS:
    // The dataset opened, closed or changed its rows.
    void dataSetChanged();
    void currentRowChanged(int row);

private:
    void DataEvent(TDataEvent event);
    void Reset();
    void TakeNewRows();
    void FollowCursor();
    QString Text(int row, int column) const;

    TIBCustomDataSet *dataSet_ = nullptr;
    int rows_ = 0;
    int columns_ = 0;
    int currentRow_ = -1;
    bool fetchFailed_ = false;
};

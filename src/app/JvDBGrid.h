#pragma once

#include <QTableView>

#include <vector>

class QToolButton;
class TDataSetTableModel;

// The browse grid: read-only, whole rows selected (several at once), columns the user
// can resize, and a button in the title row's corner that opens the "Select columns"
// chooser. The grid's current row and the dataset's cursor follow each other.
class TJvDBGrid : public QTableView {
    Q_OBJECT

public:
    explicit TJvDBGrid(QWidget *parent = nullptr);

    TDataSetTableModel *DataSource() const { return source_; }
    void SetDataSource(TDataSetTableModel *source);
    QToolButton *TitleButton() const { return titleButton_; }

    // Opens the chooser and shows the columns it leaves checked.
    void SelectColumns();
    std::vector<bool> ColumnsVisible() const;
    void SetColumnsVisible(const std::vector<bool> &visible);

protected:
    void updateGeometries() override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void FollowCurrentRow(int row);
    void SizeColumns();
    int ColumnWidth(int column) const;

    TDataSetTableModel *source_ = nullptr;
    QToolButton *titleButton_;
    bool following_ = false;
};

#pragma once

#include <QWidget>

class QToolButton;
class TDataSetTableModel;

// Moves a dataset's cursor: first, prior, next and last record. A button is enabled
// only when it can move: First and Prior not at the beginning, Next and Last not at
// the end.
class TDBNavigator : public QWidget {
    Q_OBJECT

public:
    enum class TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast };

    explicit TDBNavigator(QWidget *parent = nullptr);

    void SetDataSource(TDataSetTableModel *source);
    QToolButton *Button(TNavigateBtn button) const;
    void BtnClick(TNavigateBtn button);

private:
    void UpdateButtons();

    TDataSetTableModel *source_ = nullptr;
    QToolButton *buttons_[4];
};

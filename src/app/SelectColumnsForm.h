#pragma once

#include <QDialog>

#include <memory>
#include <vector>

namespace Ui {
class TSelectColumnsForm;
}

// The browse grid's "Select columns" chooser: one check box per column; at least one
// column must stay visible.
class TSelectColumnsForm : public QDialog {
    Q_OBJECT

public:
    struct Column {
        QString Title;
        QString FieldName;
        bool Visible = true;
    };

    explicit TSelectColumnsForm(QWidget *parent = nullptr);
    ~TSelectColumnsForm() override;

    void SetColumns(const std::vector<Column> &columns);
    std::vector<bool> Visible() const;

    // "[Real Field Name]": the list names the fields instead of the column titles.
    void ckbRealNamesClick();
    // Accepts unless every column would be hidden.
    void btnOKClick();

private:
    std::unique_ptr<Ui::TSelectColumnsForm> ui;
    std::vector<Column> columns_;
};

inline constexpr const char *SAtLeastOneColumn = "At least 1 column must be visible !";

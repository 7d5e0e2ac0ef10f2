#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;
class QListWidget;

// Builds an ODBC connection string: a configured data source or an installed driver is
// picked from the lists, or the string is typed; Test tries it. Its result is the text
// of the string.
class TConnectionDialog : public QDialog {
public:
    explicit TConnectionDialog(const QString &connectionString, QWidget *parent = nullptr);

    QString ConnectionString() const;

private:
    void DataSourceChosen();
    void DriverChosen();
    void TestConnection();

    QListWidget *lbDataSources_;
    QListWidget *lbDrivers_;
    QLineEdit *edConnection_;
};

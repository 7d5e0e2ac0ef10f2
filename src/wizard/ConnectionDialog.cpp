#include "wizard/ConnectionDialog.h"

#include "sources/odbc/OdbcConnection.h"
#include "wizard/MessageBoxes.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

QListWidget *listOf(const std::vector<sources::odbc::TOdbcDataSource> &entries, const char *name, QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    for (const sources::odbc::TOdbcDataSource &entry : entries) {
        auto *item = new QListWidgetItem(QString::fromStdString(entry.Name), list);
        item->setToolTip(QString::fromStdString(entry.Description));
    }
    return list;
}

} // namespace

TConnectionDialog::TConnectionDialog(const QString &connectionString, QWidget *parent) : QDialog(parent)
{
    setObjectName("dlgConnection");
    setWindowTitle("Connection string");
    lbDataSources_ = listOf(sources::odbc::DataSources(), "lbDataSources", this);
    lbDrivers_ = listOf(sources::odbc::Drivers(), "lbDrivers", this);
    edConnection_ = new QLineEdit(connectionString, this);
    edConnection_->setObjectName("edConnection");
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *test = buttons->addButton("&Test connection", QDialogButtonBox::ActionRole);
    test->setObjectName("btnTest");

    auto *layout = new QGridLayout(this);
    auto *sourcesLabel = new QLabel("&Data sources:", this);
    sourcesLabel->setBuddy(lbDataSources_);
    auto *driversLabel = new QLabel("D&rivers:", this);
    driversLabel->setBuddy(lbDrivers_);
    layout->addWidget(sourcesLabel, 0, 0);
    layout->addWidget(driversLabel, 0, 1);
    layout->addWidget(lbDataSources_, 1, 0);
    layout->addWidget(lbDrivers_, 1, 1);
    auto *label = new QLabel("&Connection string:", this);
    label->setBuddy(edConnection_);
    layout->addWidget(label, 2, 0, 1, 2);
    layout->addWidget(edConnection_, 3, 0, 1, 2);
    layout->addWidget(buttons, 4, 0, 1, 2);
    resize(520, 340);

    connect(lbDataSources_, &QListWidget::itemClicked, this, [this] { DataSourceChosen(); });
    connect(lbDrivers_, &QListWidget::itemClicked, this, [this] { DriverChosen(); });
    connect(test, &QPushButton::clicked, this, [this] { TestConnection(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString TConnectionDialog::ConnectionString() const { return edConnection_->text(); }

void TConnectionDialog::DataSourceChosen()
{
    if (const QListWidgetItem *item = lbDataSources_->currentItem())
        edConnection_->setText("DSN=" + item->text() + ";");
}

// A driver's string still needs its database: the cursor waits where it goes.
void TConnectionDialog::DriverChosen()
{
    if (const QListWidgetItem *item = lbDrivers_->currentItem()) {
        edConnection_->setText("Driver={" + item->text() + "};Database=");
        edConnection_->setFocus();
        edConnection_->end(false);
    }
}

void TConnectionDialog::TestConnection()
{
    try {
        sources::odbc::TOdbcConnection connection(edConnection_->text().toStdString());
        ShowMessageBox(TMessageKind::mkInformation, "The connection works.", windowTitle());
    } catch (const std::exception &e) {
        ShowMessageBox(TMessageKind::mkError, QString::fromUtf8(e.what()), windowTitle());
    }
}

#pragma once

#include "session/DestinationSession.h"
#include "dbaccess/IBCustomDataSet.h"
#include "dbaccess/IBDatabase.h"
#include "dbaccess/IBSQL.h"
#include "dbaccess/IBUpdateSQL.h"
#include "app/PlacementKeeper.h"
#include "app/SettingsStore.h"

#include <QMainWindow>

#include <memory>
#include <string>

namespace Ui {
class TMainFerrovaneForm;
}

class TDataSetTableModel;

// The main window: attaches to the destination database, lists its tables, shows the
// chosen table's rows and count, and starts an import. It owns every database object of
// the program for the life of the process.
class TMainFerrovaneForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainFerrovaneForm(QWidget *parent = nullptr);
    ~TMainFerrovaneForm() override;

    // The database objects, shared with the windows the main window opens.
    TIBDatabase IBDatabase1;
    TIBTransaction IBTransaction1;
    TIBQuery IBQuery1; // table list
    TIBUpdateSQL IBUpdateSQL2;
    TIBQuery IBQuery2; // the browse grid, and the import's destination
    TIBSQL IBSQL1;     // record count
    TIBQuery IBQueryFields;
    TIBQuery IBQueryPK;
    TIBQuery IBQueryPKFields;
    TIBQuery IBQueryGenerator;

    // True only after an attach started by "Connect" succeeded, until "Disconnect".
    bool Connected() const { return connected_; }
    // "select * from " and the chosen table, empty when no table is chosen.
    const std::string &BrowseSQL() const { return browseStatement_; }
    TSettingsStore &SettingsStore() { return settingsStore_; }
    // The entries the prerequisites window reads: the dialect as chosen, the user name and
    // password as typed, and the chosen table (empty when none).
    QString DialectText() const;
    QString UserText() const;
    QString PasswordText() const;
    QString TableName() const;
    TPlacementKeeper &FormStorage() { return formStorage_; }

    // The window's handlers. Errors are not caught here: they reach the user through
    // the application's handler.
    void RBLocaleClick(QObject *sender);
    void btnConnectClick();
    void btnDisconnectClick();
    void ComboTablesChange();
    void ckbSystablesClick();
    void btnImportClick();
    void AboutClick();

    void LoadTableList();
    void OpenTable();
    void RefreshRecordCount();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void ConnectHandlers();
    void SetEnabling(bool connected);
    void SetImportEnabled(bool enabled);
    void CloseTable();
    TConnectionSettings ConnectionSettings() const;

    std::unique_ptr<Ui::TMainFerrovaneForm> ui;
    TDataSetTableModel *browseModel_;
    TSettingsStore settingsStore_;
    TPlacementKeeper formStorage_;
    bool connected_ = false;
    std::string browseStatement_;
};

inline constexpr const char *SQuitFerrovane = "Quit Ferrovane ?";
inline constexpr const char *SConfirmation = "Confirmation";
inline constexpr const char *SUtilityName = "Firebird / Interbase Import Utility";

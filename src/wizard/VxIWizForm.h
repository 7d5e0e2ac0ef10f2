#pragma once

#include "engine/VxIBase.h"
#include "values/StringList.h"
#include "wizard/SourceNames.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TfrmVxIWizard;
}
class QAction;
class QLineEdit;
class QMenu;
class QTableWidget;
class TVxIHost;
class TVxIWizardDlg;

// The wizard's window: nine steps from the source type to the import mode. The wizard
// component fills it from its settings, shows it and, unless the user cancelled, takes
// the settings back and runs the import.
class TfrmVxIWizard : public QDialog {
    Q_OBJECT
public:
    static constexpr int LastStep = 9;

    explicit TfrmVxIWizard(TVxIWizardDlg *owner = nullptr, QWidget *parent = nullptr);
    ~TfrmVxIWizard() override;

    // The component's settings into the controls; also builds step 1's type list.
    void LoadIntoWindow(TVxIWizardDlg &source);
    // The controls into an import component (the wizard component or a source).
    void ApplyToImport(TVxImportBaseComponent *target);
    void GoToStep(int step);
    TTableTypeImport SelectedTableType() const;
    // The user-access restrictions of the owner, onto the controls.
    void ApplyUserAccess();
    void UpdateStepControls();

    int CurrentStep() const { return step_; }
    bool Cancelled() const { return cancelled_; }
    bool ExecuteRequested() const { return executeRequested_; }
    const TStringList &MappingList() const { return mappings_; }
    // The step on show drawn again from the settings, after they were replaced under it
    // (a specification loaded while the mappings or the previews show).
    void RebuildCurrentStep();
    bool SourceChanged() const { return sourceChanged_; }
    Ui::TfrmVxIWizard &Form() const { return *ui_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void reject() override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetTexts();
    void ConnectControls();
    TVxIHost &Host() const;

    // Step 1.
    void BuildTypeList();
    void LayOutCategories();
    void TableTypeChosen();
    void SetCheckedType(TTableTypeImport type);

    // Moving between the steps.
    bool CheckForwardMove(int target);
    int SkipForward(int target);
    int SkipBackward(int target);
    bool StepHasSomethingToChange(int step) const;
    void PressBack() { GoToStep(step_ - 1); }
    void PressNext() { GoToStep(step_ + 1); }
    void WalkTo(int step);
    void CancelPressed();
    void ShowStepTexts();

    // Step 2 to 4.
    void ChooseFile();
    void FileNameChanged();
    void FillTableNames();
    void SeparatorClicked();
    void TextOptionChanged();
    void DateOrderChanged();
    void ConditionClicked();

    // The characters the text routines get.
    char FieldDelimiterChar() const;
    char QualifierChar() const;
    std::string RecordSeparatorText() const;
    int FirstRowNumber() const;
    int LastRowNumber() const;
    int FieldNameRowNumber() const;

    // Steps 6 to 8: the previews and the mapping grid.
    void ReadTextSample();
    void BuildFilePreview();
    void BuildFieldList();
    void KeepDestinationFields();
    void BuildMappingGrid();
    void BuildDataPreview();
    bool FillConvertedPreview(const std::vector<int> &mappedRows);
    void FillEvaluatedPreview(const std::vector<int> &mappedRows);
    void SheetChanged(int index);
    void ReadDocumentPreview();
    std::vector<std::string> ReadCellPreview(int sheet);
    void FillSheetTabs(const std::vector<std::string> &sheets);
    void FillSourceColumnList();
    void ResetBreakScroll();
    void FillPreviewRow(QTableWidget *grid, int columnCount, int rowNumber, const Variant &values, bool oem);
    void SetPreviewFixedRows();
    void FitPreviewColumns();
    void ShowPreviewStatus(const QString &text);
    std::string DisplayName(const std::string &fieldName) const;
    int FindMapping(const std::string &text, bool byName) const;
    void PopUpFieldList(int column, const QPoint &at);
    void BuildFieldListMenu();
    void ChooseMapping(int item);
    void AutoMapByPosition();
    void SelectMappingCell(int row, int column);
    void LeaveFields();
    void LeaveKey();
    bool EditWithExpressionBuilder(QLineEdit *box);
    bool MappingKey(QObject *watched, QKeyEvent *key);
    bool IsKeyRow(int row) const;
    void ShowKeyCell(int row);
    void ShowMappedColumns();
    QString PreviewColumnName(int column) const;
    QAction *FieldListItem(int item) const;
    bool AnyKeyMarked() const;

    std::unique_ptr<Ui::TfrmVxIWizard> ui_;
    TVxIWizardDlg *owner_;
    int step_ = 0;
    bool executeRequested_ = false;
    bool cancelled_ = false;
    bool sourceChanged_ = true;
    std::vector<std::string> sampleLines_;
    TStringList mappings_;
    std::string keys_;
    int previewRowCount_ = 20;
    TDataSet *dataSet_ = nullptr;
    std::string tableName_;
    bool showCategories_ = false;
    std::vector<std::string> sourceColumns_; // the source column list, its empty top item first
    QMenu *pmFieldList_;
    int popupColumn_ = -1;
};

#include "wizard/SaveSpec.h"

#include "engine/ImpCnst.h"
#include "ui_SaveSpec.h"
#include "wizard/FileDialogFilter.h"

#include <QFileDialog>
#include <QFileInfo>

namespace {

QString fromStd(const std::string &text) { return QString::fromStdString(text); }

} // namespace

TfrmSaveSpec::TfrmSaveSpec(QWidget *parent) : QDialog(parent), ui_(std::make_unique<Ui::TfrmSaveSpec>())
{
    ui_->setupUi(this);
    const TImpTexts &texts = ImpTexts();
    setWindowTitle(fromStd(texts.ImportSpecification));
    ui_->lblSpecName->setText(fromStd(texts.ImportSpecification));
    ui_->lblFileName->setText(fromStd(texts.ImportFromFile));
    ui_->btnOk->setText(fromStd(texts.OKButton));
    ui_->btnCancel->setText(fromStd(texts.CancelButton));
    Filter = fromStd(texts.SpecificationFilter);
    connect(ui_->btnFileName, &QToolButton::clicked, this, &TfrmSaveSpec::ChooseFile);
    connect(ui_->btnOk, &QPushButton::clicked, this, &TfrmSaveSpec::accept);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &TfrmSaveSpec::reject);
    // Long paths stay readable: the window is as wide as a usual one needs.
    ui_->edFileName->setMinimumWidth(ui_->edFileName->fontMetrics().averageCharWidth() * 50);
}

TfrmSaveSpec::~TfrmSaveSpec() = default;

void TfrmSaveSpec::SetSpecification(const std::string &specName, const std::string &fileName)
{
    ui_->edSpecName->setText(specName.empty() ? fromStd(ImpTexts().ImportSpecification) : fromStd(specName));
    ui_->edFileName->setText(fromStd(fileName));
    ui_->edFileName->setCursorPosition(0);
    ui_->edSpecName->selectAll();
    ui_->edSpecName->setFocus();
}

std::string TfrmSaveSpec::SpecName() const { return ui_->edSpecName->text().toStdString(); }
std::string TfrmSaveSpec::FileName() const { return ui_->edFileName->text().toStdString(); }

void TfrmSaveSpec::ChooseFile()
{
    QString proposed = ui_->edFileName->text();
    if (proposed.endsWith('/') || proposed.endsWith(':'))
        proposed += "default";
    QFileDialog dialog(this);
    dialog.setObjectName("dlgSaveSpec");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(NameFiltersFromFilter(Filter));
    dialog.setDefaultSuffix("vxi");
    if (!proposed.isEmpty()) {
        const QFileInfo file(proposed);
        dialog.setDirectory(file.absolutePath());
        dialog.selectFile(file.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ui_->edFileName->setText(dialog.selectedFiles().front());
}

bool AskSpecificationFileDialog(QWidget *parent, std::string &specName, std::string &fileName)
{
    TfrmSaveSpec window(parent);
    window.SetSpecification(specName, fileName);
    if (window.exec() != QDialog::Accepted)
        return false;
    specName = window.SpecName();
    fileName = window.FileName();
    return true;
}

#include "wizard/WindowHost.h"

#include "wizard/FileDialogFilter.h"
#include "wizard/MessageBoxes.h"
#include "wizard/ParameterPrompt.h"
#include "wizard/SaveSpec.h"
#include "wizard/VxIStat.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMouseEvent>

namespace {

QString fromStd(const std::string &s) { return QString::fromStdString(s); }

// The window the user is working in, over which the host's windows open.
QWidget *activeWindow()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

} // namespace

TVxIWindowHost::TVxIWindowHost() = default;

TVxIWindowHost::~TVxIWindowHost()
{
    progress_.reset();
    while (waitCursors_-- > 0)
        QApplication::restoreOverrideCursor();
    if (installed_)
        SetDefaultHost(replaced_);
}

void TVxIWindowHost::Install()
{
    if (installed_)
        return;
    replaced_ = SetDefaultHost(this);
    installed_ = true;
}

bool TVxIWindowHost::AskYesNo(const std::string &text, const std::string &caption)
{
    return ::AskYesNo(fromStd(text), fromStd(caption));
}

void TVxIWindowHost::ShowInformation(const std::string &text, const std::string &caption)
{
    ShowMessageBox(TMessageKind::mkInformation, fromStd(text), fromStd(caption));
}

void TVxIWindowHost::ShowError(const std::string &text) { ShowMessageBox(TMessageKind::mkError, fromStd(text)); }

bool TVxIWindowHost::PromptParameters(const std::string &caption, std::vector<TVxIParameterPrompt> &prompts)
{
    return PromptParametersDialog(activeWindow(), caption, prompts);
}

bool TVxIWindowHost::OpenProgress(const TVxIProgressSetup &setup)
{
    CloseProgress();
    // A button held down when the run started would otherwise keep the mouse.
    if (QWidget *grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    try {
        auto window = std::make_unique<TfrmVxIProcess>(activeWindow());
        window->setObjectName(QStringLiteral("frmVxIProcess"));
        window->Setup(setup);
        window->show();
        progress_ = std::move(window);
    } catch (const std::exception &) {
        progress_.reset();
        return false;
    }
    QApplication::processEvents();
    return true;
}

void TVxIWindowHost::SetProgressRange(int minimum, int maximum, int position)
{
    if (progress_)
        progress_->SetRange(minimum, maximum, position);
}

void TVxIWindowHost::UpdateProgress(const std::string &status, const TVxIProgressCounters &counters)
{
    if (progress_)
        progress_->Update(status, counters);
}

void TVxIWindowHost::SetProgressButtonCaption(const std::string &caption)
{
    if (progress_)
        progress_->SetButtonCaption(caption);
}

bool TVxIWindowHost::ProgressCancelled() const { return progress_ && progress_->Cancelled(); }

void TVxIWindowHost::CloseProgress()
{
    if (!progress_)
        return;
    progress_.reset();
    QApplication::processEvents();
}

// Cancel saves nothing: without a name and a file the engine writes no file, where the
// names it proposed would have overwritten the specification the user chose not to save.
bool TVxIWindowHost::AskSpecificationFile(std::string &specName, std::string &fileName)
{
    if (AskSpecificationFileDialog(activeWindow(), specName, fileName))
        return true;
    specName.clear();
    fileName.clear();
    return true;
}

std::string TVxIWindowHost::AskOpenFileName(const std::string &filter, const std::string &defaultExt)
{
    QFileDialog dialog(activeWindow());
    dialog.setObjectName(QStringLiteral("dlgOpenSpecification"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFiltersFromFilter(fromStd(filter)));
    dialog.setDefaultSuffix(fromStd(defaultExt));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst().toStdString();
}

void TVxIWindowHost::SetWaitCursor(bool on)
{
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitCursors_;
        return;
    }
    if (waitCursors_ == 0)
        return;
    QApplication::restoreOverrideCursor();
    --waitCursors_;
}

// Only called while the run waits for the user to close its progress window: sleeping
// until something happens keeps that wait from spinning.
void TVxIWindowHost::ProcessPendingInput() { QApplication::processEvents(QEventLoop::WaitForMoreEvents); }

std::string TVxIWindowHost::ClipboardText() { return QGuiApplication::clipboard()->text().toStdString(); }

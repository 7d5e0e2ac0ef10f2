#include "app/JvFilenameEdit.h"

#include "wizard/FileDialogFilter.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

#include <memory>

TJvFilenameEdit::TJvFilenameEdit(QWidget *parent)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(edit_);
    layout->addWidget(button_);
    edit_->setObjectName(QStringLiteral("edit"));
    button_->setObjectName(QStringLiteral("button"));
    button_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    button_->setToolTip(tr("Browse"));
    setFocusProxy(edit_);
    connect(edit_, &QLineEdit::textChanged, this, &TJvFilenameEdit::textChanged);
    connect(edit_, &QLineEdit::returnPressed, this, &TJvFilenameEdit::returnPressed);
    connect(button_, &QToolButton::clicked, this, &TJvFilenameEdit::Browse);
}

QString TJvFilenameEdit::text() const { return edit_->text(); }

void TJvFilenameEdit::setText(const QString &text) { edit_->setText(text); }

QFileDialog *TJvFilenameEdit::CreateDialog()
{
    auto *dialog = new QFileDialog(this);
    dialog->setAcceptMode(save_ ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save_ ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog->setNameFilters(NameFiltersFromFilter(filter_));
    dialog->setDefaultSuffix(defaultExt_);
    // Whoever asked for a file to write asks before replacing it.
    dialog->setOption(QFileDialog::DontConfirmOverwrite, save_);
    dialog->setDirectory(initialDir_);
    if (save_ && !text().isEmpty())
        dialog->selectFile(text());
    return dialog;
}

void TJvFilenameEdit::Browse()
{
    const std::unique_ptr<QFileDialog> dialog(CreateDialog());
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        setText(dialog->selectedFiles().constFirst());
}

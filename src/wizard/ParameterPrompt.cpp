#include "wizard/ParameterPrompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString fromStd(const std::string &s) { return QString::fromStdString(s); }
std::string toStd(const QString &s) { return s.toStdString(); }

constexpr int editorWidth = 200;

QStringList items(const TVxIParameterPrompt &prompt)
{
    QStringList list;
    for (const std::string &item : prompt.Items)
        list << fromStd(item);
    return list;
}

} // namespace

TfrmParameterPrompt::TfrmParameterPrompt(const std::string &caption, const std::vector<TVxIParameterPrompt> &prompts,
                                         QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmParameters"));
    setWindowTitle(fromStd(caption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMinimizeButtonHint, false);
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addLayout(form);
    for (const TVxIParameterPrompt &prompt : prompts) {
        QWidget *editor = CreateEditor(prompt);
        editor->setObjectName(QStringLiteral("edParameter%1").arg(editors_.size()));
        editor->setToolTip(fromStd(prompt.Description));
        editor->setMinimumWidth(editorWidth);
        auto *label = new QLabel(fromStd(prompt.Caption), this);
        label->setBuddy(editor);
        form->addRow(label, editor);
        editors_.push_back(editor);
    }
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addSpacing(10);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

QWidget *TfrmParameterPrompt::CreateEditor(const TVxIParameterPrompt &prompt)
{
    switch (prompt.Editor) {
    case TVxIParameterEditor::ipeMemo: {
        auto *memo = new QPlainTextEdit(fromStd(prompt.Text), this);
        memo->setTabChangesFocus(true);
        memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 4 + 10);
        return memo;
    }
    case TVxIParameterEditor::ipeCheckBox: {
        auto *box = new QCheckBox(this);
        box->setChecked(prompt.Checked);
        return box;
    }
    case TVxIParameterEditor::ipeCombobox: {
        auto *combo = new QComboBox(this);
        combo->addItems(items(prompt));
        combo->setCurrentIndex(prompt.ItemIndex);
        return combo;
    }
    case TVxIParameterEditor::ipeListBox: {
        auto *list = new QListWidget(this);
        list->addItems(items(prompt));
        list->setCurrentRow(prompt.ItemIndex);
        list->setFixedHeight(list->fontMetrics().lineSpacing() * 4 + 10);
        return list;
    }
    case TVxIParameterEditor::ipeEdit: break;
    }
    return new QLineEdit(fromStd(prompt.Text), this);
}

void TfrmParameterPrompt::ApplyTo(std::vector<TVxIParameterPrompt> &prompts) const
{
    for (std::size_t i = 0; i < prompts.size() && i < editors_.size(); ++i) {
        TVxIParameterPrompt &prompt = prompts[i];
        QWidget *editor = editors_[i];
        if (auto *edit = qobject_cast<QLineEdit *>(editor))
            prompt.Text = toStd(edit->text());
        else if (auto *memo = qobject_cast<QPlainTextEdit *>(editor))
            prompt.Text = toStd(memo->toPlainText());
        else if (auto *box = qobject_cast<QCheckBox *>(editor))
            prompt.Checked = box->isChecked();
        else if (auto *combo = qobject_cast<QComboBox *>(editor))
            prompt.ItemIndex = combo->currentIndex();
        else if (auto *list = qobject_cast<QListWidget *>(editor))
            prompt.ItemIndex = list->currentRow();
    }
}

bool PromptParametersDialog(QWidget *parent, const std::string &caption, std::vector<TVxIParameterPrompt> &prompts)
{
    TfrmParameterPrompt window(caption, prompts, parent);
    if (window.exec() != QDialog::Accepted)
        return false;
    window.ApplyTo(prompts);
    return true;
}

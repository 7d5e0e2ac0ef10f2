#include "wizard/VxIEBldr.h"

#include "expr/VxIPars.h"
#include "ui_VxIEBldr.h"
#include "wizard/MessageBoxes.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPixmap>
#include <QStyle>
#include <QTextCursor>

#include <exception>
#include <utility>

namespace {

constexpr const char *validText = "Expression is valid and no error is found.";
constexpr const char *informationCaption = "Information";
constexpr const char *errorCaption = "Error";

constexpr int pictureSize = 16;

QString fromStd(const std::string &text) { return QString::fromStdString(text); }

bool isEnter(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

TfrmVxIExpBuilder::TfrmVxIExpBuilder(TExpBuilderCatalogue catalogue, QWidget *parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmVxIExpBuilder>()), catalogue_(std::move(catalogue))
{
    ui_->setupUi(this);
    QFont memoFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    memoFont.setPixelSize(13);
    ui_->memoExpression->setFont(memoFont);
    QFont bold = ui_->lblHint->font();
    bold.setBold(true);
    ui_->lblHint->setFont(bold);
    // Two lines of description fit without the lists moving when a longer one comes.
    ui_->lblHintBody->setMinimumHeight(2 * ui_->lblHintBody->fontMetrics().lineSpacing());
    ui_->imgData->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    ui_->imgData->setFixedWidth(32);
    for (QStyle::StandardPixmap picture :
         {QStyle::SP_DriveHDIcon, QStyle::SP_FileDialogInfoView, QStyle::SP_FileDialogListView,
          QStyle::SP_FileDialogContentsView, QStyle::SP_FileDialogDetailedView})
        imgList_.push_back(style()->standardIcon(picture));
    ui_->lbType->setIconSize(QSize(pictureSize, pictureSize));
    ui_->btnOk->setDefault(true);
    ui_->lbValue->installEventFilter(this);
    ConnectControls();

    QPixmap none(pictureSize, pictureSize);
    none.fill(Qt::transparent);
    for (std::size_t i = 0; i < catalogue_.Types.size(); ++i)
        ui_->lbType->addItem(
            new QListWidgetItem(i < imgList_.size() ? imgList_[i] : QIcon(none), fromStd(catalogue_.Types[i])));
    ui_->lbType->setCurrentRow(0);
    ui_->memoExpression->setFocus();
}

TfrmVxIExpBuilder::~TfrmVxIExpBuilder() = default;

void TfrmVxIExpBuilder::ConnectControls()
{
    for (QToolButton *button :
         {ui_->btnPlus, ui_->btnMinus, ui_->btnMul, ui_->btnDiv, ui_->btnEQ, ui_->btnGT, ui_->btnLT, ui_->btnNE,
          ui_->btnAND, ui_->btnOR, ui_->btnNOT, ui_->btnLParen, ui_->btnRParen})
        connect(button, &QToolButton::clicked, this, [this, button] { Insert(button->text()); });
    connect(ui_->lbType, &QListWidget::currentRowChanged, this, &TfrmVxIExpBuilder::TypeChosen);
    connect(ui_->lbSubType, &QListWidget::currentRowChanged, this, &TfrmVxIExpBuilder::SubTypeChosen);
    connect(ui_->lbValue, &QListWidget::currentRowChanged, this, &TfrmVxIExpBuilder::ValueChosen);
    connect(ui_->lbValue, &QListWidget::itemDoubleClicked, this, [this] { InsertValue(); });
    connect(ui_->btnValidate, &QPushButton::clicked, this, &TfrmVxIExpBuilder::Validate);
    connect(ui_->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmVxIExpBuilder::SetExpression(const std::string &expression)
{
    ui_->memoExpression->setPlainText(fromStd(catalogue_.ToEditText(expression)));
    ui_->memoExpression->moveCursor(QTextCursor::End);
}

std::string TfrmVxIExpBuilder::Expression() const
{
    return catalogue_.FromEditText(ui_->memoExpression->toPlainText().toStdString());
}

void TfrmVxIExpBuilder::Insert(const QString &text)
{
    QTextCursor cursor = ui_->memoExpression->textCursor();
    cursor.insertText(text);
    ui_->memoExpression->setTextCursor(cursor);
}

void TfrmVxIExpBuilder::Validate()
{
    // The text as OK would take it: lines typed apart must not fail where the stored
    // expression would not.
    try {
        TVxIParser parser(Expression());
        parser.Compile();
    } catch (const std::exception &error) {
        ShowMessageBox(TMessageKind::mkError, QString::fromUtf8(error.what()), errorCaption);
        return;
    }
    ShowMessageBox(TMessageKind::mkInformation, validText, informationCaption);
}

void TfrmVxIExpBuilder::TypeChosen(int row)
{
    subCategories_ = row < 0 ? std::vector<int>{} : catalogue_.SubCategoriesOf(row);
    QListWidget *list = ui_->lbSubType;
    list->clear();
    for (int index : subCategories_)
        list->addItem(fromStd(catalogue_.SubCategories[static_cast<std::size_t>(index)].Text));
    if (subCategories_.empty())
        SubTypeChosen(-1);
    else
        list->setCurrentRow(0);
}

void TfrmVxIExpBuilder::SubTypeChosen(int row)
{
    const int type = ui_->lbType->currentRow();
    entries_ = row < 0 || type < 0 ? std::vector<int>{} : catalogue_.EntriesOf(type * 10000 + row);
    QListWidget *list = ui_->lbValue;
    list->clear();
    for (int index : entries_)
        list->addItem(fromStd(catalogue_.Entries[static_cast<std::size_t>(index)].Text));
    if (entries_.empty())
        ValueChosen(-1);
    else
        list->setCurrentRow(0);
}

void TfrmVxIExpBuilder::ValueChosen(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= entries_.size()) {
        ui_->lblHint->clear();
        ui_->lblHintBody->clear();
        return;
    }
    const TExpBuilderEntry &entry =
        catalogue_.Entries[static_cast<std::size_t>(entries_[static_cast<std::size_t>(row)])];
    ui_->lblHint->setText(fromStd(entry.Display));
    ui_->lblHintBody->setText(fromStd(entry.Description));
}

int TfrmVxIExpBuilder::ChosenSubCategory() const
{
    const int row = ui_->lbSubType->currentRow();
    return row < 0 || static_cast<std::size_t>(row) >= subCategories_.size()
               ? -1
               : subCategories_[static_cast<std::size_t>(row)];
}

void TfrmVxIExpBuilder::InsertValue()
{
    const int row = ui_->lbValue->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= entries_.size())
        return;
    const TExpBuilderEntry &entry =
        catalogue_.Entries[static_cast<std::size_t>(entries_[static_cast<std::size_t>(row)])];
    Insert(fromStd(catalogue_.InsertText(ChosenSubCategory(), entry)));
}

bool TfrmVxIExpBuilder::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on an entry inserts it, as a double click does, instead of closing the window.
    if (watched == ui_->lbValue && isEnter(event)) {
        InsertValue();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool EditExpression(QWidget *parent, std::string &expression, const std::vector<TDataSet *> &datasets,
                    const std::vector<std::string> &sourceColumns, bool useDisplayNames,
                    const TVxIParameters &parameters)
{
    TfrmVxIExpBuilder window(BuildExpBuilderCatalogue(datasets, sourceColumns, useDisplayNames, parameters), parent);
    window.SetExpression(expression);
    if (window.exec() != QDialog::Accepted)
        return false;
    expression = window.Expression();
    return true;
}

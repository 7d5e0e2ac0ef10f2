#include "wizard/VxISpecs.h"

#include "ui_VxISpecs.h"
#include "wizard/MessageBoxes.h"

#include <QPainter>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyledItemDelegate>

#include <filesystem>
#include <system_error>

namespace {

constexpr const char *deleteQuestion = "Delete import specification %1?";
constexpr const char *deleteFailed = "The file %1 could not be deleted: %2";

constexpr int itemHeight = 17;
constexpr QPoint logoOffset(1, 1);
constexpr QPoint textOffset(20, 2);

QString fromStd(const std::string &text) { return QString::fromStdString(text); }

// Every item shows the logo in front of its name.
class TSpecItemDelegate : public QStyledItemDelegate {
public:
    TSpecItemDelegate(const QPixmap &logo, QObject *parent) : QStyledItemDelegate(parent), logo_(logo) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem item(option);
        initStyleOption(&item, index);
        const QPalette::ColorGroup group = item.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        const bool selected = item.state & QStyle::State_Selected;
        painter->save();
        painter->fillRect(item.rect, item.palette.brush(group, selected ? QPalette::Highlight : QPalette::Base));
        painter->drawPixmap(item.rect.topLeft() + logoOffset, logo_);
        painter->setFont(item.font);
        painter->setPen(item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect text = item.rect.adjusted(textOffset.x(), textOffset.y(), 0, 0);
        painter->drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, item.text);
        painter->restore();
        if (item.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(item);
            focus.backgroundColor = item.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
            const QWidget *view = item.widget;
            QStyle *style = view ? view->style() : nullptr;
            if (style != nullptr)
                style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, view);
        }
    }

    // As wide as the name with room for one more character: the list scrolls sideways
    // to the widest name.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QFontMetrics metrics(option.font);
        const QString text = index.data(Qt::DisplayRole).toString();
        const int width = textOffset.x() + metrics.horizontalAdvance(text) + metrics.horizontalAdvance('x');
        return {width, std::max(itemHeight, metrics.height() + textOffset.y() * 2)};
    }

private:
    QPixmap logo_;
};

} // namespace

TfrmSpecs::TfrmSpecs(QWidget *parent) : QDialog(parent), ui_(std::make_unique<Ui::TfrmSpecs>())
{
    ui_->setupUi(this);
    ui_->imgLogo->setPixmap(style()->standardIcon(QStyle::SP_FileIcon).pixmap(16, 16));
    ui_->imgLogo->setVisible(false);
    ui_->lbSpecs->setItemDelegate(new TSpecItemDelegate(ui_->imgLogo->pixmap(), ui_->lbSpecs));
    ui_->lbSpecs->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(ui_->lbSpecs, &QListWidget::itemSelectionChanged, this, &TfrmSpecs::SelectionChanged);
    connect(ui_->lbSpecs, &QListWidget::itemDoubleClicked, ui_->btnLoad, &QPushButton::click);
    connect(ui_->btnLoad, &QPushButton::clicked, this, &TfrmSpecs::LoadClicked);
    connect(ui_->btnSave, &QPushButton::clicked, this, [this] { done(static_cast<int>(TModalResult::mrYes)); });
    connect(ui_->btnDelete, &QPushButton::clicked, this, &TfrmSpecs::DeleteClicked);
    connect(ui_->btnClose, &QPushButton::clicked, this, &TfrmSpecs::reject);
    ui_->lbSpecs->installEventFilter(this);
    ui_->lbSpecs->setFocus();
}

TfrmSpecs::~TfrmSpecs() = default;

void TfrmSpecs::AddSpecification(TVxISpecificationFile entry)
{
    auto *item = new QListWidgetItem(fromStd(entry.SpecName), ui_->lbSpecs);
    item->setToolTip(fromStd(entry.FileName));
    entries_.push_back(std::move(entry));
}

void TfrmSpecs::EnableButtons(bool save, bool load, bool remove)
{
    ui_->btnSave->setEnabled(save);
    ui_->btnLoad->setEnabled(load && !entries_.empty());
    ui_->btnDelete->setEnabled(remove && !entries_.empty());
}

void TfrmSpecs::SelectFirst()
{
    if (!entries_.empty())
        ui_->lbSpecs->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    SelectionChanged();
}

int TfrmSpecs::SelectedRow() const
{
    const QList<QListWidgetItem *> selected = ui_->lbSpecs->selectedItems();
    return selected.isEmpty() ? -1 : ui_->lbSpecs->row(selected.front());
}

const TVxISpecificationFile *TfrmSpecs::Selected() const
{
    const int row = SelectedRow();
    return row < 0 ? nullptr : &entries_[static_cast<std::size_t>(row)];
}

const TVxISpecificationFile *TfrmSpecs::LoadTarget() const
{
    return loadTarget_ < 0 ? nullptr : &entries_[static_cast<std::size_t>(loadTarget_)];
}

void TfrmSpecs::SelectionChanged() { loadTarget_ = SelectedRow(); }

void TfrmSpecs::LoadClicked()
{
    if (const TVxISpecificationFile *target = LoadTarget(); target != nullptr && OnLoad) {
        try {
            OnLoad(*target);
        } catch (const std::exception &e) {
            ShowMessageBox(TMessageKind::mkError, QString::fromUtf8(e.what()));
            return;
        }
    }
    done(static_cast<int>(TModalResult::mrNo));
}

void TfrmSpecs::DeleteClicked()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const std::string fileName = entries_[static_cast<std::size_t>(row)].FileName;
    if (!AskYesNo(QString(deleteQuestion).arg(fromStd(fileName)), {}))
        return;
    std::error_code error;
    std::filesystem::remove(fileName, error);
    if (error) {
        ShowMessageBox(TMessageKind::mkError,
                       QString(deleteFailed).arg(fromStd(fileName), QString::fromLocal8Bit(error.message())));
        return;
    }
    {
        const QSignalBlocker quiet(ui_->lbSpecs);
        delete ui_->lbSpecs->takeItem(row);
        entries_.erase(entries_.begin() + row);
    }
    SelectFirst();
}

// The Delete key in the list presses Delete.
bool TfrmSpecs::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui_->lbSpecs && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        ui_->btnDelete->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmSpecs::reject() { done(static_cast<int>(TModalResult::mrCancel)); }

#include "wizard/VxIWizForm.h"

#include "session/SourceRegistry.h"
#include "sources/cells/VxI2Cell.h"
#include "sources/odbc/VxI2ADO.h"
#include "ui_VxIWizForm.h"
#include "values/RegionalSettings.h"
#include "wizard/ConnectionDialog.h"
#include "wizard/FileDialogFilter.h"
#include "wizard/MessageBoxes.h"
#include "wizard/VxIWiz.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMenu>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyle>

#include <cstdlib>
#include <filesystem>

namespace {

using T = TTableTypeImport;

struct TStepText {
    const char *Caption;
    const char *Info;
};

constexpr const char *columnsInfo = "The wizard has made some guesses about where your field breaks occur. If they "
                                    "are not correct, you can make adjustments now.";

constexpr TStepText stepTexts[TfrmVxIWizard::LastStep] = {
    {"File Format", "This wizard allows you to specify details on how you would like to import data. Please select "
                    "the file format of the data you would like to import."},
    {"File Name", "Select the file that contains the data you would like to import."},
    {"Text Settings", "Select the appropriate delimiter used to separate the fields in the data file."},
    {"Data Formats", "Define additional options for the data file."},
    {"Columns", columnsInfo},
    {"File preview", columnsInfo},
    {"Mappings", "Set field mappings to specify the correspondence between fields in the source and destination "
                 "files."},
    {"Data preview", "Please check your data before importing."},
    {"Summary", "We've gathered all the information the wizard needs to import your data. Please click Execute to "
                "begin the import process."},
};

constexpr const char *noMapping = "You did not map any fields.";
constexpr const char *notSpecified = "Property %1 wasn't specified.";
constexpr const char *startQuestion = "Do you want to start the import process?";
constexpr const char *quitQuestion = "The Import Wizard has not completed. If you quit the Import Wizard now, the "
                                     "import process will not complete. Do you want to quit the Import Wizard?";

const QStringList separatorItems = {"Tab", "Semicolon (;)", "Comma (,)", "Space", "None", "Other symbol:"};
enum { sepTab, sepSemicolon, sepComma, sepSpace, sepNone, sepOther };

const QStringList modeItems = {
    "Append: add records to the destination table",
    "Update: update record in destination with matching record from source",
    "Append/Update: if record exists in destination, update it. Otherwise, add it",
    "Delete: delete records in destination that match records in source",
    "Copy: delete all records in destination, repopulate from the source",
    "Append New: add records only if they are not in destination table",
};

// The order of the plain type list, which is not the order of the type values.
constexpr T plainListOrder[] = {T::teParadox, T::teDBase,   T::teText,    T::teHTML,      T::teXLS, T::teWord,
                                T::teWKS,     T::teQuattro, T::teXML,     T::teAccess,    T::teADO, T::teADT,
                                T::teSPSS,    T::teDBISAM,  T::teClarion, T::teClipboard, T::teWAB, T::teVCalendar};

// A control's own enabled state, whatever the state of the panel it sits on.
bool ownEnabled(const QWidget *control) { return !control->testAttribute(Qt::WA_ForceDisabled); }

bool isTextType(T type) { return type == T::teText || type == T::teClipboard; }
bool isDocumentType(T type)
{
    return type == T::teHTML || type == T::teXLS || type == T::teWKS || type == T::teQuattro || type == T::teXML ||
           type == T::teWord;
}
bool asksTableName(T type) { return type == T::teAccess || type == T::teADO; }

// The integer of a box's text, or the fallback when it is not one.
int integerOf(const QString &text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

// Separators and qualifiers are single bytes of the source's own code page: the boxes
// show them as Latin-1 characters, both ways.
char firstChar(const QString &text, char fallback)
{
    return text.isEmpty() ? fallback : static_cast<char>(text.front().toLatin1());
}

QString charText(char c) { return c == '\0' ? QString() : QString(QChar(static_cast<unsigned char>(c))); }

QString fromStd(const std::string &text) { return QString::fromStdString(text); }

// The extension and the file-dialog filter a type proposes.
struct TTypeFile {
    std::string Ext;
    std::string Filter;
};

TTypeFile typeFile(T type)
{
    const TSourceType &source = SourceTypeOf(type);
    switch (type) {
    case T::teADO: return {};
    case T::teParadox:
    case T::teDBase:
    case T::teSPSS:
    case T::teClipboard: {
        std::string ext = type == T::teParadox ? ".DB" : type == T::teDBase ? ".DBF" : type == T::teSPSS ? ".SAV" : "";
        return {ext, std::string(source.Step1Text) + "|*" + ext + "|All files (*.*)|*.*"};
    }
    default: break;
    }
    if (source.Readable())
        return {source.DefaultExt(), source.FileFilter()};
    // A type whose reader is still to come names its own files in its description.
    const std::string text = source.Step1Text;
    const auto open = text.find("(*"), close = text.find(')', open == std::string::npos ? 0 : open);
    std::string pattern = open == std::string::npos ? "*.*" : text.substr(open + 1, close - open - 1);
    std::string ext = pattern.size() > 1 ? pattern.substr(1, pattern.find(';') - 1) : "";
    return {ext, text + "|" + pattern + "|All files (*.*)|*.*"};
}

} // namespace

// ---------------------------------------------------------------- creation

TfrmVxIWizard::TfrmVxIWizard(TVxIWizardDlg *owner, QWidget *parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmVxIWizard>()), owner_(owner), pmFieldList_(new QMenu(this))
{
    ui_->setupUi(this);
    pmFieldList_->setObjectName("pmFieldList");
    SetTexts();
    ConnectControls();
    // The delimiter box stands beside its item, inside the group.
    if (auto *grid = qobject_cast<QGridLayout *>(ui_->rgSeparator->layout())) {
        ui_->edSymbol->setParent(ui_->rgSeparator);
        grid->addWidget(ui_->edSymbol, sepOther, 1);
        ui_->edSymbol->setMaximumWidth(40);
    }
    ui_->pbBreaks->SetScrollBars(ui_->sbBreakHorz, ui_->sbBreakVert);
    ui_->imgAutoArrange->setParent(ui_->sgPreviewFile);
    ui_->imgAutoArrange->move(4, 1);
    ui_->imgAutoArrange->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    ui_->imgAutoArrange->setIconSize(QSize(16, 16));
    ui_->imgAutoArrange->setCursor(Qt::PointingHandCursor);
    // A button, so that the keyboard reaches the mapping by position too (Tab, Space).
    ui_->imgAutoArrange->setFocusPolicy(Qt::StrongFocus);
    connect(ui_->imgAutoArrange, &QToolButton::clicked, this, [this] { AutoMapByPosition(); });
    ui_->sbCategory->viewport()->installEventFilter(this);
    ui_->pnlFields->setParent(ui_->sgMappings->viewport());
    ui_->cbKey->setParent(ui_->sgMappings->viewport());
    ui_->pnlFields->installEventFilter(this);
    ui_->cbFields->installEventFilter(this);
    ui_->cbFields->lineEdit()->installEventFilter(this);
    ui_->sgMappings->installEventFilter(this);
    ui_->cbKey->installEventFilter(this);
    ui_->sgPreviewFile->horizontalHeader()->hide();
    ui_->sgPreviewFile->verticalHeader()->hide();
    ui_->sgPreviewFile->viewport()->installEventFilter(this);
    ui_->sgMappings->horizontalHeader()->hide();
    ui_->sgMappings->verticalHeader()->hide();
    ui_->sgPreview->horizontalHeader()->hide();
    ui_->sgPreview->verticalHeader()->hide();
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    ui_->sgPreviewFile->setFont(fixed);
    ui_->sgPreview->setFont(fixed);
    for (QTableWidget *grid : {ui_->sgPreviewFile, ui_->sgMappings, ui_->sgPreview}) {
        grid->setTabKeyNavigation(false); // Tab leaves a grid, the arrows move in it
        grid->verticalHeader()->setMinimumSectionSize(1);
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    }
    ui_->sgMappings->setColumnCount(4);
    ui_->sgMappings->setRowCount(1);
    ui_->sgMappings->setColumnHidden(0, true);
    ui_->sgMappings->setColumnWidth(3, 35);
    ui_->sgMappings->horizontalHeader()->setStretchLastSection(false);
    ui_->sgMappings->verticalHeader()->setDefaultSectionSize(ui_->cbFields->sizeHint().height());
    ui_->sgPreviewFile->setColumnCount(1);
    ui_->sgPreviewFile->setRowCount(2);
    ui_->sgPreview->setColumnCount(1);
    ui_->sgPreview->setRowCount(1);
    for (QWidget *panel : {ui_->pnlStep1, ui_->pnlCategory, ui_->pnlStep2, ui_->pnlStep3, ui_->pnlStep4,
                           ui_->pnlStep5Fixed, ui_->pnlStep6CSV, ui_->pnlStep7, ui_->pnlStep8, ui_->pnlStep9}) {
        panel->setEnabled(false);
        panel->setVisible(false);
    }
    QPalette band = ui_->pnlDescription->palette();
    band.setColor(QPalette::Window, Qt::white);
    band.setColor(QPalette::WindowText, QColor(0, 0, 128));
    ui_->pnlDescription->setPalette(band);
    QFont bold = ui_->lblCaption->font();
    bold.setBold(true);
    ui_->lblCaption->setFont(bold);
    ui_->lblStep->setFont(bold);
    QPalette maroon = ui_->lblStep->palette();
    maroon.setColor(QPalette::WindowText, QColor(128, 0, 0));
    ui_->lblStep->setPalette(maroon);
    ui_->imgDescription->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(48, 48));
    ui_->imgKey->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(16, 16));
    ui_->imgLogo->setVisible(false);
    sourceChanged_ = true;
}

TfrmVxIWizard::~TfrmVxIWizard() = default;

void TfrmVxIWizard::SetTexts()
{
    ui_->rgSeparator->SetItems(separatorItems);
    ui_->rgSeparator->SetItemIndex(sepTab);
    ui_->rgModeType->SetItems(modeItems);
    ui_->rgModeType->SetItemIndex(0);
    ui_->cbRecSeparator->setCurrentIndex(0);
    ui_->rbText1->setChecked(true);
    ui_->lblStep5FixedB->setText("Lines with arrows signify field breaks.\r\nTo CREATE a break line, click at the "
                                 "desired position\r\nTo DELETE a break line, double click on the line\r\nTo MOVE "
                                 "a break line, click and drag it");
    ui_->cbDateOrder->setCurrentIndex(0);
    ui_->pnlCustomDate->setVisible(false);
    ui_->pnlCustomDate->setEnabled(false);
    ui_->sgMappings->setHorizontalHeaderLabels({"", "Destination", "Source", ""});
}

void TfrmVxIWizard::ConnectControls()
{
    connect(ui_->btnNext, &QPushButton::clicked, this, [this] {
        if (step_ < LastStep)
            PressNext();
    });
    connect(ui_->btnPrev, &QPushButton::clicked, this, [this] {
        if (step_ > 1)
            PressBack();
    });
    connect(ui_->btnFirst, &QPushButton::clicked, this, [this] { WalkTo(1); });
    connect(ui_->btnLast, &QPushButton::clicked, this, [this] { WalkTo(LastStep); });
    connect(ui_->btnCancel, &QPushButton::clicked, this, &TfrmVxIWizard::CancelPressed);
    connect(ui_->btnSpecs, &QPushButton::clicked, this, [this] {
        if (owner_ != nullptr)
            owner_->ShowSpecifications();
    });
    connect(ui_->rgTableType, &TRadioGroup::Clicked, this, [this] { TableTypeChosen(); });
    connect(ui_->btnFileName, &QToolButton::clicked, this, &TfrmVxIWizard::ChooseFile);
    connect(ui_->edFileName, &QLineEdit::textChanged, this, &TfrmVxIWizard::FileNameChanged);
    connect(ui_->cbCharacterSet, &QComboBox::currentIndexChanged, this, &TfrmVxIWizard::FileNameChanged);
    connect(ui_->cbTableNames, &QComboBox::currentTextChanged, this, [this] { sourceChanged_ = true; });
    ui_->cbTableNames->BeforePopup = [this] { FillTableNames(); };
    connect(ui_->rgSeparator, &TRadioGroup::Clicked, this, &TfrmVxIWizard::SeparatorClicked);
    connect(ui_->edSymbol, &QLineEdit::textEdited, this, [this] {
        ui_->rgSeparator->SetItemIndex(sepOther);
        SeparatorClicked();
    });
    connect(ui_->rbText1, &QRadioButton::toggled, this, &TfrmVxIWizard::TextOptionChanged);
    connect(ui_->cbRecSeparator, &QComboBox::currentIndexChanged, this, &TfrmVxIWizard::TextOptionChanged);
    connect(ui_->cbQualifier, &QComboBox::currentTextChanged, this, &TfrmVxIWizard::TextOptionChanged);
    connect(ui_->edFirstRow, &QLineEdit::textChanged, this, &TfrmVxIWizard::TextOptionChanged);
    connect(ui_->edLastRow, &QLineEdit::textChanged, this, &TfrmVxIWizard::TextOptionChanged);
    connect(ui_->cbDateOrder, &QComboBox::currentIndexChanged, this, &TfrmVxIWizard::DateOrderChanged);
    connect(ui_->cbLoadWhen, &QCheckBox::toggled, this, &TfrmVxIWizard::ConditionClicked);
    connect(ui_->cbSkipIf, &QCheckBox::toggled, this, &TfrmVxIWizard::ConditionClicked);
    connect(ui_->tsSheets, &QTabBar::currentChanged, this, &TfrmVxIWizard::SheetChanged);
    connect(ui_->sgMappings, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { SelectMappingCell(row, column); });
    connect(ui_->sgMappings->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { SelectMappingCell(ui_->sgMappings->currentRow(), ui_->sgMappings->currentColumn()); });
    connect(ui_->sgMappings->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { SelectMappingCell(ui_->sgMappings->currentRow(), ui_->sgMappings->currentColumn()); });
    connect(ui_->btnExpBuilder, &QToolButton::clicked, this, [this] {
        if (EditWithExpressionBuilder(ui_->cbFields->lineEdit()))
            LeaveFields();
        else
            ui_->cbFields->setFocus();
    });
    connect(ui_->btnLoadWhen, &QToolButton::clicked, this, [this] { EditWithExpressionBuilder(ui_->edLoadWhen); });
    connect(ui_->btnSkipIf, &QToolButton::clicked, this, [this] { EditWithExpressionBuilder(ui_->edSkipIf); });
}

TVxIHost &TfrmVxIWizard::Host() const { return owner_ ? owner_->WizardHost() : DefaultHost(); }

// ---------------------------------------------------------------- step 1

void TfrmVxIWizard::BuildTypeList()
{
    const TTableTypeImport chosen = owner_ ? owner_->TableType : T::teText;
    if (showCategories_) {
        QWidget *box = ui_->sbCategoryContents;
        qDeleteAll(box->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly));
        const TVxICategories categories = owner_ ? owner_->Categories : TVxICategories{};
        const QStyle::StandardPixmap pictures[] = {QStyle::SP_FileIcon, QStyle::SP_FileDialogDetailedView,
                                                   QStyle::SP_DriveHDIcon, QStyle::SP_DriveNetIcon, QStyle::SP_DirIcon};
        // Captions are as wide as the widest item needs, and never narrower than 155.
        int captionWidth = 155;
        for (const TSourceType &type : SourceTypes())
            captionWidth = std::max(captionWidth, QRadioButton(fromStd(type.Step1Text)).sizeHint().width() - 20);
        int top = 5;
        for (TVxICategory category : {TVxICategory::vcDocuments, TVxICategory::vcSpreadsheets,
                                      TVxICategory::vcDatabases, TVxICategory::vcWEB, TVxICategory::vcOther}) {
            const TTableTypeImports &types = categories.Formats(category);
            if (types.Empty())
                continue;
            const int groupTop = top;
            auto *caption = new QLabel(" " + fromStd(CategoryCaption(category)), box);
            caption->setObjectName(QString("lblCategory%1").arg(static_cast<int>(category)));
            caption->setGeometry(27, top, captionWidth, 18);
            caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            caption->setAutoFillBackground(true);
            QPalette palette = caption->palette();
            palette.setColor(QPalette::Window, palette.color(QPalette::Highlight));
            palette.setColor(QPalette::WindowText, palette.color(QPalette::HighlightedText));
            caption->setPalette(palette);
            QFont bold = caption->font();
            bold.setBold(true);
            caption->setFont(bold);
            top += caption->height() + 1;
            auto *picture = new QLabel(box);
            picture->setGeometry(1, top - 5, 24, 24);
            picture->setPixmap(style()->standardIcon(pictures[static_cast<int>(category)]).pixmap(24, 24));
            for (const TSourceType &type : SourceTypes()) {
                if (!types.Has(type.Type))
                    continue;
                auto *button = new QRadioButton(fromStd(type.Step1Text), box);
                button->setProperty("tableType", static_cast<int>(type.Type));
                button->setGeometry(5, top, caption->width() + 24, button->sizeHint().height());
                button->setChecked(type.Type == chosen);
                connect(button, &QRadioButton::clicked, this, [this] { TableTypeChosen(); });
                top += button->height() + 1;
            }
            caption->setProperty("groupHeight", top - groupTop);
        }
        LayOutCategories();
        return;
    }
    TRadioGroup *list = ui_->rgTableType;
    list->Clear();
    const TTableTypeImports formats = owner_ ? owner_->Formats : TTableTypeImports::All();
    for (T type : plainListOrder)
        if (formats.Has(type))
            list->AddItem(fromStd(TableTypeStep1Text(type)), static_cast<int>(type));
    for (int i = 0; i < list->Count(); ++i)
        if (list->ItemValue(i) == static_cast<int>(chosen))
            list->SetItemIndex(i);
    list->SetColumns(list->Count() < 6 ? 1 : 2);
    if (list->ItemIndex() < 0 && list->Count() > 0)
        list->SetItemIndex(0);
}

// Category groups stand in columns: a group that no longer fits below the running top
// starts the next column.
void TfrmVxIWizard::LayOutCategories()
{
    QWidget *box = ui_->sbCategoryContents;
    const int clientHeight = ui_->sbCategory->viewport()->height();
    int top = 5, left = 27, right = 0, bottom = 0;
    for (QObject *child : box->children()) {
        auto *control = qobject_cast<QWidget *>(child);
        if (control == nullptr)
            continue;
        const QVariant groupHeight = control->property("groupHeight");
        if (groupHeight.isValid() && top > 5 && clientHeight - top < groupHeight.toInt()) {
            top = 5;
            left += control->width() + 27;
        }
        if (qobject_cast<QRadioButton *>(control) != nullptr) {
            control->move(left - 22, top);
            top += control->height() + 1;
        } else if (!groupHeight.isValid()) {
            control->move(left - 27, top - 23);
        } else {
            control->move(left, top);
            top += control->height() + 1;
        }
        right = std::max(right, control->geometry().right());
        bottom = std::max(bottom, control->geometry().bottom());
    }
    // The box is as large as what it holds: scroll bars only when that does not fit.
    box->resize(right + 5, bottom + 5);
}

TTableTypeImport TfrmVxIWizard::SelectedTableType() const
{
    if (showCategories_) {
        for (const QRadioButton *button : ui_->sbCategoryContents->findChildren<QRadioButton *>())
            if (button->isChecked())
                return static_cast<T>(button->property("tableType").toInt());
        return T::teParadox;
    }
    const int index = ui_->rgTableType->ItemIndex();
    return index < 0 ? T::teParadox : static_cast<T>(ui_->rgTableType->ItemValue(index));
}

void TfrmVxIWizard::TableTypeChosen()
{
    const T type = SelectedTableType();
    const TTypeFile file = typeFile(type);
    ui_->cbTableNames->setEnabled(asksTableName(type));
    ui_->lblTableName->setVisible(asksTableName(type));
    ui_->cbTableNames->setVisible(asksTableName(type));
    QString name = ui_->edFileName->text();
    if (!name.isEmpty()) {
        if (type == T::teADO) {
            name = "Data Source=\"" + name + "\"";
        } else {
            if (name.contains("Provider=") && name.contains("Data Source=")) {
                name = name.mid(name.indexOf("Data Source=") + 12);
                if (const int semicolon = name.indexOf(';'); semicolon >= 0)
                    name = name.left(semicolon);
            }
            name = fromStd(std::filesystem::path(name.toStdString()).replace_extension(file.Ext).string());
        }
        ui_->edFileName->setText(name);
    }
    sourceChanged_ = true;
}

// ---------------------------------------------------------------- settings exchange

void TfrmVxIWizard::LoadIntoWindow(TVxIWizardDlg &source)
{
    ui_->pbBreaks->ClearBreaks();
    mappings_.Assign(source.Mappings);
    keys_ = source.DatasetKeys;
    previewRowCount_ = source.PreviewRowCount;
    showCategories_ = source.Categories.ShowCategories;
    BuildTypeList(); // makes the category panel's controls anew: before the blockers below

    // The settings arrive as they were saved: no change handler may discard what another
    // setting brought (breaks restored from the mappings, above all).
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;
    for (QObject *control : findChildren<QObject *>())
        quiet.push_back(std::make_unique<QSignalBlocker>(control));
    (source.Fixed ? ui_->rbText2 : ui_->rbText1)->setChecked(true);
    ui_->pbBreaks->ClearBreaks();
    if (SelectedTableType() == T::teText && ui_->rbText2->isChecked()) {
        std::vector<std::string> values;
        for (int i = 0; i < mappings_.Count(); ++i)
            values.push_back(mappings_.ValueFromIndex(i));
        ui_->pbBreaks->SetBreaks(RestoreBreaksFromMappings(values));
    }
    dataSet_ = source.DataSet.Get();
    tableName_ = source.TableName.empty() ? source.GetTableName() : source.TableName;
    ui_->edFileName->setText(fromStd(source.SourceFileName));
    ui_->cbCharacterSet->setCurrentIndex(static_cast<int>(source.CharacterSet));

    switch (source.RecordSeparator()) {
    case TVxIRecordSeparator::rsCustom: {
        // The list offers the usual three; a separator of the user's own joins them, or
        // it would be lost on the way back.
        const QString custom = fromStd(source.RecordSeparatorCustom());
        if (ui_->cbRecSeparator->findText(custom) < 0)
            ui_->cbRecSeparator->addItem(custom);
        ui_->cbRecSeparator->setCurrentText(custom);
        break;
    }
    case TVxIRecordSeparator::rsCR: ui_->cbRecSeparator->setCurrentIndex(1); break;
    case TVxIRecordSeparator::rsLF: ui_->cbRecSeparator->setCurrentIndex(2); break;
    default: ui_->cbRecSeparator->setCurrentIndex(0); break;
    }
    switch (source.TextQualifier()) {
    case TVxITextQualifier::tqCustom: ui_->cbQualifier->setCurrentText(charText(source.TextQualifierCustom())); break;
    case TVxITextQualifier::tqQuot: ui_->cbQualifier->setCurrentIndex(1); break;
    case TVxITextQualifier::tqApos: ui_->cbQualifier->setCurrentIndex(2); break;
    default: ui_->cbQualifier->setCurrentIndex(0); break;
    }
    switch (source.FieldDelimiter()) {
    case TVxIFieldDelimiter::fdCustom:
        ui_->rgSeparator->SetItemIndex(sepOther);
        ui_->edSymbol->setText(charText(source.FieldDelimiterCustom()));
        break;
    case TVxIFieldDelimiter::fdTab: ui_->rgSeparator->SetItemIndex(sepTab); break;
    case TVxIFieldDelimiter::fdSemicolon: ui_->rgSeparator->SetItemIndex(sepSemicolon); break;
    case TVxIFieldDelimiter::fdComma: ui_->rgSeparator->SetItemIndex(sepComma); break;
    case TVxIFieldDelimiter::fdSpace: ui_->rgSeparator->SetItemIndex(sepSpace); break;
    default: ui_->rgSeparator->SetItemIndex(sepNone); break;
    }
    ui_->edFirstRow->setText(QString::number(source.RowFirst));
    if (source.RowLast != 2147483647)
        ui_->edLastRow->setText(QString::number(source.RowLast));
    ui_->edFieldNameRow->setText(QString::number(source.RowFieldNames));
    ui_->sgMappings->setHorizontalHeaderLabels({"", "Destination", "Source", ""});

    const TVxIDataFormats &formats = source.DataFormats;
    if (!formats.CustomDateTimeFormat.empty()) {
        ui_->cbCustomDateFormat->setCurrentText(fromStd(formats.CustomDateTimeFormat));
        ui_->cbDateOrder->setCurrentIndex(ui_->cbDateOrder->count() - 1);
    } else {
        ui_->cbDateOrder->setCurrentIndex(static_cast<int>(formats.DateOrder));
    }
    DateOrderChanged();
    ui_->edDateDelimiter->setText(charText(formats.DateSeparator));
    ui_->edTimeDelimiter->setText(charText(formats.TimeSeparator));
    ui_->cbFourDigitYear->setChecked(formats.FourDigitYear);
    ui_->cbLeadingZerosInDate->setChecked(formats.LeadingZerosInDate);
    ui_->edDecimalSymbol->setText(charText(formats.DecimalSeparator));
    ui_->edThousandSymbol->setText(charText(formats.ThousandSeparator));
    ui_->edCurrencyString->setText(fromStd(formats.CurrencyString));
    ui_->edTrue->setText(fromStd(formats.BooleanTrue));
    ui_->edFalse->setText(fromStd(formats.BooleanFalse));

    ui_->rgModeType->SetItemIndex(static_cast<int>(source.Mode));
    ui_->cbTableNames->setCurrentText(fromStd(source.TableName));
    if (source.SheetIndex >= 0 && source.SheetIndex < ui_->tsSheets->count())
        ui_->tsSheets->setCurrentIndex(source.SheetIndex);
    ui_->edLoadWhen->setText(fromStd(source.LoadCondition.LoadWhen));
    ui_->cbLoadWhen->setChecked(!source.LoadCondition.LoadWhen.empty());
    ui_->edSkipIf->setText(fromStd(source.LoadCondition.SkipIf));
    ui_->cbSkipIf->setChecked(!source.LoadCondition.SkipIf.empty());
    ui_->chkShowFileHeader->setChecked(source.ShowFileHeader);

    // What the change handlers would have derived from the settings.
    quiet.clear();
    ConditionClicked();
    ui_->edSymbol->setEnabled(ownEnabled(ui_->rgSeparator) && ui_->rgSeparator->ItemIndex() == sepOther);
    const bool namesRow = FirstRowNumber() > 1;
    ui_->edFieldNameRow->setVisible(namesRow);
    ui_->lblFieldNameRow->setVisible(namesRow);
    const T type = SelectedTableType();
    ui_->cbTableNames->setEnabled(asksTableName(type));
    ui_->lblTableName->setVisible(asksTableName(type));
    ui_->cbTableNames->setVisible(asksTableName(type));
    sourceChanged_ = true;
}

void TfrmVxIWizard::ApplyToImport(TVxImportBaseComponent *target)
{
    if (target == nullptr)
        return;
    auto *wizard = dynamic_cast<TVxIWizardDlg *>(target);
    if (wizard != nullptr)
        wizard->TableType = SelectedTableType();
    target->SourceFileName = ui_->edFileName->text().toStdString();
    target->CharacterSet = static_cast<TVxICharacterSet>(std::max(0, ui_->cbCharacterSet->currentIndex()));

    const QString separator = ui_->cbRecSeparator->currentText();
    if (separator == "CRLF")
        target->SetRecordSeparator(TVxIRecordSeparator::rsCRLF);
    else if (separator == "CR")
        target->SetRecordSeparator(TVxIRecordSeparator::rsCR);
    else if (separator == "LF")
        target->SetRecordSeparator(TVxIRecordSeparator::rsLF);
    else
        target->SetRecordSeparatorCustom(separator.toStdString());

    const QString qualifier = ui_->cbQualifier->currentText();
    if (qualifier.isEmpty() || qualifier == "None")
        target->SetTextQualifier(TVxITextQualifier::tqNone);
    else if (qualifier == "\"")
        target->SetTextQualifier(TVxITextQualifier::tqQuot);
    else if (qualifier == "'")
        target->SetTextQualifier(TVxITextQualifier::tqApos);
    else
        target->SetTextQualifierCustom(firstChar(qualifier, '\0'));

    switch (ui_->rgSeparator->ItemIndex()) {
    case sepTab: target->SetFieldDelimiter(TVxIFieldDelimiter::fdTab); break;
    case sepSemicolon: target->SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon); break;
    case sepComma: target->SetFieldDelimiter(TVxIFieldDelimiter::fdComma); break;
    case sepSpace: target->SetFieldDelimiter(TVxIFieldDelimiter::fdSpace); break;
    case sepNone: target->SetFieldDelimiter(TVxIFieldDelimiter::fdNone); break;
    case sepOther:
        if (ui_->edSymbol->text().isEmpty())
            target->SetFieldDelimiter(TVxIFieldDelimiter::fdNone);
        else
            target->SetFieldDelimiterCustom(firstChar(ui_->edSymbol->text(), '\0'));
        break;
    default: break;
    }
    target->Fixed = ui_->rbText2->isChecked();
    target->RowFirst = FirstRowNumber();
    target->RowLast = LastRowNumber();
    target->RowFieldNames = FieldNameRowNumber();
    target->Mappings.Assign(mappings_);
    std::string keys;
    for (int row = 1; row < ui_->sgMappings->rowCount(); ++row)
        if (IsKeyRow(row)) {
            const QTableWidgetItem *name = ui_->sgMappings->item(row, 0);
            keys += (keys.empty() ? "" : ";") + (name ? name->text().toStdString() : std::string());
        }
    target->DatasetKeys = keys;

    TVxIDataFormats &formats = target->DataFormats;
    if (ui_->cbDateOrder->currentIndex() == ui_->cbDateOrder->count() - 1)
        formats.CustomDateTimeFormat = ui_->cbCustomDateFormat->currentText().toStdString();
    else
        formats.DateOrder = static_cast<TVxIDateOrder>(std::max(0, ui_->cbDateOrder->currentIndex()));
    formats.DateSeparator = firstChar(ui_->edDateDelimiter->text(), '\0');
    formats.TimeSeparator = firstChar(ui_->edTimeDelimiter->text(), '\0');
    formats.FourDigitYear = ui_->cbFourDigitYear->isChecked();
    formats.LeadingZerosInDate = ui_->cbLeadingZerosInDate->isChecked();
    const TFormatSettings &system = RegionalSettings::current();
    formats.DecimalSeparator = firstChar(ui_->edDecimalSymbol->text(), system.DecimalSeparator);
    formats.ThousandSeparator = firstChar(ui_->edThousandSymbol->text(), system.ThousandSeparator);
    formats.CurrencyString = ui_->edCurrencyString->text().isEmpty() ? system.CurrencyString
                                                                     : ui_->edCurrencyString->text().toStdString();
    formats.BooleanTrue = ui_->edTrue->text().toStdString();
    formats.BooleanFalse = ui_->edFalse->text().toStdString();
    target->Mode = static_cast<TImportMode>(std::max(0, ui_->rgModeType->ItemIndex()));
    if (wizard != nullptr)
        wizard->TableName = ui_->cbTableNames->currentText().toStdString();
    // A source that reads one of a database's tables reads the one of the table box.
    if (dynamic_cast<TVxImportFromADODOA *>(target))
        target->TableName = ui_->cbTableNames->currentText().toStdString();
    if (auto *ado = dynamic_cast<TVxImportFromADO *>(target))
        ado->SQL = ui_->cbTableNames->currentText().toStdString();
    if (auto *cells = dynamic_cast<TVxImportFromCell *>(target))
        cells->SetSheetIndex(ui_->tsSheets->currentIndex());
    if (wizard != nullptr)
        wizard->SheetIndex = ui_->tsSheets->currentIndex();
    target->LoadCondition.LoadWhen = ui_->cbLoadWhen->isChecked() ? ui_->edLoadWhen->text().toStdString() : "";
    target->LoadCondition.SkipIf = ui_->cbSkipIf->isChecked() ? ui_->edSkipIf->text().toStdString() : "";
}

namespace {

void restrict(QWidget *control, TVxIRestriction restriction)
{
    control->setVisible(restriction != TVxIRestriction::irDisabled);
    control->setEnabled(restriction == TVxIRestriction::irReadWrite);
}

// A control that follows another takes its state.
void follow(QWidget *follower, const QWidget *leader)
{
    follower->setVisible(!leader->isHidden());
    follower->setEnabled(ownEnabled(leader));
}

} // namespace

void TfrmVxIWizard::ApplyUserAccess()
{
    if (owner_ == nullptr)
        return;
    const TVxIUserAccess &access = owner_->UserAccess;
    ui_->btnSpecs->setVisible(access.Specification);
    restrict(ui_->rgTableType, access.TableType);
    restrict(ui_->edFileName, access.SourceFileName);
    follow(ui_->btnFileName, ui_->edFileName);
    ui_->lblFileName->setVisible(!ui_->edFileName->isHidden());
    restrict(ui_->sgMappings, access.FieldMapping);
    restrict(ui_->sgPreview, access.PreviewData);
    restrict(ui_->rgModeType, access.ImportMode);
    restrict(ui_->rbText1, access.TextType);
    follow(ui_->rbText2, ui_->rbText1);
    restrict(ui_->rgSeparator, access.FieldDelimiter);
    follow(ui_->edSymbol, ui_->rgSeparator);
    restrict(ui_->cbQualifier, access.TextQualifier);
    ui_->lblQualifier->setVisible(!ui_->cbQualifier->isHidden());
    restrict(ui_->cbRecSeparator, access.RecordSeparator);
    ui_->lblRecSeparator->setVisible(!ui_->cbRecSeparator->isHidden());
    restrict(ui_->edFirstRow, access.FirstRow);
    ui_->lblFirstRow->setVisible(!ui_->edFirstRow->isHidden());
    restrict(ui_->edLastRow, access.LastRow);
    ui_->lblLastRow->setVisible(!ui_->edLastRow->isHidden());
    restrict(ui_->gbFormat, access.DataFormats);
    restrict(ui_->pbBreaks, access.FieldAdjustment);
    ui_->sbBreakHorz->setVisible(!ui_->pbBreaks->isHidden());
    ui_->sbBreakVert->setVisible(!ui_->pbBreaks->isHidden());
    follow(ui_->sgPreviewFile, ui_->pbBreaks);
    restrict(ui_->cbLoadWhen, access.LoadWhen);
    follow(ui_->edLoadWhen, ui_->cbLoadWhen);
    follow(ui_->btnLoadWhen, ui_->cbLoadWhen);
    restrict(ui_->cbSkipIf, access.SkipIf);
    follow(ui_->edSkipIf, ui_->cbSkipIf);
    follow(ui_->btnSkipIf, ui_->cbSkipIf);
    const int square = ui_->cbFields->sizeHint().height();
    ui_->btnExpBuilder->setFixedWidth(access.UseExpressionBuilder ? square : 0);
    ui_->btnExpBuilder->setEnabled(access.UseExpressionBuilder);
}

// ---------------------------------------------------------------- moving between the steps

void TfrmVxIWizard::GoToStep(int target)
{
    if (owner_ != nullptr && owner_->OnStepChange) {
        bool allow = true;
        owner_->OnStepChange(this, allow);
        if (!allow)
            return;
    }
    if (target == step_)
        return;
    const bool forward = target > step_;
    if (forward && !CheckForwardMove(target))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    step_ = forward ? SkipForward(target) : SkipBackward(target);
    // Going back keeps what the step showed; going forward draws it from the settings.
    if (forward)
        RebuildCurrentStep();
    else
        UpdateStepControls();
    QApplication::restoreOverrideCursor();
    if (StepHasSomethingToChange(step_))
        return;
    if (forward && step_ < LastStep)
        GoToStep(step_ + 1);
    else if (!forward && step_ > 1)
        GoToStep(step_ - 1);
}

void TfrmVxIWizard::RebuildCurrentStep()
{
    UpdateStepControls();
    if (step_ == 6)
        BuildFilePreview();
    else if (step_ == 7)
        BuildMappingGrid();
    else if (step_ == 8)
        BuildDataPreview();
}

bool TfrmVxIWizard::CheckForwardMove(int target)
{
    if (target == 8) {
        bool mapped = false;
        for (int i = 0; i < mappings_.Count() && !mapped; ++i)
            mapped = !QString::fromStdString(mappings_.ValueFromIndex(i)).trimmed().isEmpty();
        if (!mapped) {
            ShowMessageBox(TMessageKind::mkError, noMapping);
            return false;
        }
    }
    if (target == 3) {
        const T type = SelectedTableType();
        const QString name = ui_->edFileName->text();
        const bool mustExist = type != T::teADO && type != T::teClipboard;
        if (name.isEmpty() || (mustExist && !QFileInfo(name).isFile())) {
            ShowMessageBox(TMessageKind::mkError, QString(notSpecified).arg("File Name"));
            return false;
        }
        if (ownEnabled(ui_->cbTableNames) && ui_->cbTableNames->currentText().isEmpty()) {
            ShowMessageBox(TMessageKind::mkError, QString(notSpecified).arg("Table Name"));
            return false;
        }
    }
    return true;
}

int TfrmVxIWizard::SkipForward(int target)
{
    const T type = SelectedTableType();
    if (isTextType(type)) {
        if (target == 5 && sourceChanged_)
            ReadTextSample();
        if (target == 5 && ui_->rbText1->isChecked())
            return 6;
        return target;
    }
    if (isDocumentType(type))
        return target == 3 ? 4 : target == 5 ? 6 : target;
    if (asksTableName(type))
        return target == 3 ? 6 : target;
    return target == 3 || target == 4 ? 6 : target;
}

int TfrmVxIWizard::SkipBackward(int target)
{
    const T type = SelectedTableType();
    if (isTextType(type))
        return target == 5 && ui_->rbText1->isChecked() ? 4 : target;
    if (isDocumentType(type))
        return target == 3 ? 2 : target == 5 ? 4 : target;
    return target == 5 ? 2 : target;
}

bool TfrmVxIWizard::StepHasSomethingToChange(int step) const
{
    switch (step) {
    case 1: return ownEnabled(ui_->rgTableType);
    case 3:
        return ownEnabled(ui_->rbText1) || ownEnabled(ui_->rbText2) || ownEnabled(ui_->rgSeparator) ||
               ownEnabled(ui_->cbQualifier) || ownEnabled(ui_->cbRecSeparator);
    case 4: return ownEnabled(ui_->edFirstRow) || ownEnabled(ui_->edLastRow) || ownEnabled(ui_->gbFormat);
    case 5: return ownEnabled(ui_->pbBreaks);
    case 6: return ownEnabled(ui_->sgPreviewFile);
    case 7: return ownEnabled(ui_->sgMappings);
    case 8: return ownEnabled(ui_->sgPreview);
    default: return true;
    }
}

// Presses Back or Next until the step is reached or a press changes nothing.
void TfrmVxIWizard::WalkTo(int step)
{
    while (step_ != step) {
        const int before = step_;
        if (step_ > step)
            PressBack();
        else
            PressNext();
        if (step_ == before)
            return;
    }
}

void TfrmVxIWizard::UpdateStepControls()
{
    ui_->btnPrev->setEnabled(step_ > 1);
    ui_->btnNext->setEnabled(step_ < LastStep);
    ui_->btnPrev->setText("< &Back");
    ui_->btnNext->setText("&Next >");
    ui_->btnFirst->setEnabled(ui_->btnPrev->isEnabled());
    ui_->btnLast->setEnabled(ui_->btnNext->isEnabled());
    ui_->btnNext->setDefault(ui_->btnNext->isEnabled());
    ui_->btnCancel->setDefault(!ui_->btnNext->isEnabled());
    if (step_ == 2) {
        ui_->edFileName->setEnabled(SelectedTableType() != T::teClipboard &&
                                    !(owner_ && owner_->UserAccess.SourceFileName != TVxIRestriction::irReadWrite));
        ui_->btnFileName->setEnabled(ownEnabled(ui_->edFileName));
    }
    if (step_ < LastStep) {
        ui_->btnCancel->setText("&Cancel");
    } else {
        ui_->btnCancel->setText(owner_ && owner_->SetupSpecificationOnly ? "&OK" : "Execute");
        const bool keyed = AnyKeyMarked();
        for (int i = 0; i < ui_->rgModeType->Count(); ++i) {
            const auto mode = static_cast<TImportMode>(i);
            const bool always = mode == TImportMode::imAppend || mode == TImportMode::imCopy;
            bool enabled = always || keyed;
            // Copy as well: a script of its rows would not empty the table first.
            if (owner_ && owner_->UserAccess.HiddenImportModes.Has(mode))
                enabled = false;
            ui_->rgModeType->SetItemEnabled(i, enabled);
        }
    }
    ui_->lblStep->setText(QString("Step %1 of %2  ").arg(step_).arg(LastStep));

    QWidget *panels[] = {ui_->pnlStep1,    ui_->pnlStep2, ui_->pnlStep3, ui_->pnlStep4, ui_->pnlStep5Fixed,
                         ui_->pnlStep6CSV, ui_->pnlStep7, ui_->pnlStep8, ui_->pnlStep9};
    for (QWidget *panel : panels)
        panel->setEnabled(false);
    ui_->pnlCategory->setEnabled(false);
    if (step_ >= 1 && step_ <= LastStep) {
        QWidget *current = panels[step_ - 1];
        current->setEnabled(step_ != 5 || ui_->rbText2->isChecked());
        if (step_ == 1)
            ui_->pnlCategory->setEnabled(true);
        if (step_ == 5 && ui_->rbText2->isChecked())
            ResetBreakScroll();
        ShowStepTexts();
    }
    for (QWidget *panel : panels)
        if (panel != ui_->pnlStep1 || !showCategories_)
            panel->setVisible(panel->isEnabled());
    if (showCategories_)
        ui_->pnlCategory->setVisible(ui_->pnlStep1->isEnabled());
    else
        ui_->pnlCategory->setVisible(false);
}

void TfrmVxIWizard::ShowStepTexts()
{
    const TStepText &texts = stepTexts[step_ - 1];
    ui_->lblCaption->setText(texts.Caption);
    ui_->lblStepInfo->setText(texts.Info);
    ui_->lblDescription->setText(texts.Info);
}

void TfrmVxIWizard::CancelPressed()
{
    executeRequested_ = step_ == LastStep;
    close();
}

void TfrmVxIWizard::closeEvent(QCloseEvent *event)
{
    bool closes = false;
    if (executeRequested_) {
        closes = (owner_ != nullptr && !owner_->ConfirmExecuteStart) ||
                 ShowMessageBox(TMessageKind::mkQuestion, startQuestion, windowTitle());
        // No: the user stays, and a later close asks to quit, not to start.
        executeRequested_ = closes;
    } else {
        closes = (owner_ != nullptr && !owner_->ConfirmCancelExit) ||
                 ShowMessageBox(TMessageKind::mkQuestion, quitQuestion, windowTitle());
        cancelled_ = closes;
    }
    if (!closes) {
        event->ignore();
        return;
    }
    event->accept();
    done(QDialog::Rejected);
}

void TfrmVxIWizard::reject()
{
    // Escape is the Cancel button's only while there is a next step.
    if (ui_->btnNext->isEnabled())
        CancelPressed();
}

void TfrmVxIWizard::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((event->modifiers() & Qt::AltModifier) && key >= Qt::Key_1 && key <= Qt::Key_9) {
        WalkTo(key - Qt::Key_0);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmVxIWizard::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        UpdateStepControls();
        sourceChanged_ = true;
    }
}

// ---------------------------------------------------------------- steps 2 to 4

void TfrmVxIWizard::ChooseFile()
{
    const T type = SelectedTableType();
    if (type == T::teADO) {
        TConnectionDialog dialog(ui_->edFileName->text(), this);
        if (dialog.exec() == QDialog::Accepted)
            ui_->edFileName->setText(dialog.ConnectionString());
        return;
    }
    const TTypeFile file = typeFile(type);
    QString proposed = ui_->edFileName->text();
    if (proposed.endsWith(':') || proposed.endsWith('\\') || proposed.endsWith('/'))
        proposed += "default";
    QFileDialog dialog(this, "Select a file for data importing");
    dialog.setObjectName("dlgOpenFile");
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFiltersFromFilter(fromStd(file.Filter)));
    if (file.Ext.size() > 1)
        dialog.setDefaultSuffix(fromStd(file.Ext.substr(1)));
    const QString start = owner_ && !owner_->InitialDir.empty() ? fromStd(owner_->InitialDir)
                                                                : QFileInfo(proposed).absolutePath();
    dialog.setDirectory(start);
    if (!proposed.isEmpty())
        dialog.selectFile(QFileInfo(proposed).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    ui_->edFileName->setText(dialog.selectedFiles().front());
}

// The tables of the Access database or of the connection named in step 2, when the list
// opens with nothing in it.
void TfrmVxIWizard::FillTableNames()
{
    QComboBox *box = ui_->cbTableNames;
    const auto &list = SourceTypeOf(SelectedTableType()).TableNames;
    if (!box->isEnabled() || box->count() > 0 || !list)
        return;
    const QString text = box->currentText();
    try {
        for (const std::string &name : list(ui_->edFileName->text().toStdString(), false))
            box->addItem(fromStd(name));
    } catch (const std::exception &e) {
        ShowMessageBox(TMessageKind::mkError, QString::fromUtf8(e.what()));
    }
    box->setCurrentText(text);
}

void TfrmVxIWizard::FileNameChanged()
{
    sourceChanged_ = true;
    ui_->cbTableNames->clear();
}

void TfrmVxIWizard::SeparatorClicked()
{
    ui_->edSymbol->setEnabled(ownEnabled(ui_->rgSeparator) && ui_->rgSeparator->ItemIndex() == sepOther);
    sourceChanged_ = true;
}

void TfrmVxIWizard::TextOptionChanged()
{
    ui_->pbBreaks->ClearBreaks();
    if (isTextType(SelectedTableType()))
        sourceChanged_ = true;
    const bool namesRow = FirstRowNumber() > 1;
    ui_->edFieldNameRow->setVisible(namesRow);
    ui_->lblFieldNameRow->setVisible(namesRow);
}

void TfrmVxIWizard::DateOrderChanged()
{
    const bool custom = ui_->cbDateOrder->currentIndex() == ui_->cbDateOrder->count() - 1;
    ui_->pnlStandardDate->setEnabled(!custom);
    ui_->pnlStandardDate->setVisible(!custom);
    ui_->pnlCustomDate->setEnabled(custom);
    ui_->pnlCustomDate->setVisible(custom);
}

void TfrmVxIWizard::ConditionClicked()
{
    ui_->edLoadWhen->setEnabled(ui_->cbLoadWhen->isChecked());
    ui_->btnLoadWhen->setEnabled(ui_->cbLoadWhen->isChecked());
    ui_->edSkipIf->setEnabled(ui_->cbSkipIf->isChecked());
    ui_->btnSkipIf->setEnabled(ui_->cbSkipIf->isChecked());
}

char TfrmVxIWizard::FieldDelimiterChar() const
{
    switch (ui_->rgSeparator->ItemIndex()) {
    case sepTab: return '\t';
    case sepSemicolon: return ';';
    case sepComma: return ',';
    case sepSpace: return ' ';
    case sepOther: return firstChar(ui_->edSymbol->text(), '\0');
    default: return '\0';
    }
}

char TfrmVxIWizard::QualifierChar() const
{
    const int index = ui_->cbQualifier->currentIndex();
    const QString text = ui_->cbQualifier->currentText();
    if (index <= 0 && (text.isEmpty() || text == "None"))
        return '\0';
    return firstChar(text, '\0');
}

std::string TfrmVxIWizard::RecordSeparatorText() const
{
    const QString text = ui_->cbRecSeparator->currentText();
    return text == "CR" ? "\r" : text == "LF" ? "\n" : "\r\n";
}

int TfrmVxIWizard::FirstRowNumber() const { return integerOf(ui_->edFirstRow->text(), 0); }
int TfrmVxIWizard::LastRowNumber() const { return integerOf(ui_->edLastRow->text(), 2147483647); }
int TfrmVxIWizard::FieldNameRowNumber() const { return integerOf(ui_->edFieldNameRow->text(), 1); }

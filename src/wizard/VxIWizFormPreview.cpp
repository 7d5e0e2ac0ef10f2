// The wizard window's steps 6 to 8: the file preview, the mapping grid and the data
// preview, with the automatic mappings.

#include "engine/MemoryDataSet.h"
#include "engine/VxIConvert.h"
#include "engine/VxIHost.h"
#include "expr/VxIPars.h"
#include "session/SourceRegistry.h"
#include "sources/cells/VxI2Cell.h"
#include "sources/text/VxI2TXT.h"
#include "ui_VxIWizForm.h"
#include "wizard/BreakEditor.h"
#include "wizard/VxIEBldr.h"
#include "wizard/VxIWiz.h"
#include "wizard/VxIWizForm.h"

#include <QFontMetrics>
#include <QMenu>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace {

using T = TTableTypeImport;

constexpr int rowNumberWidth = 30;
constexpr int spacerRowHeight = 4;

QString fromStd(const std::string &text) { return QString::fromStdString(text); }

QString cellText(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}

void setCell(QTableWidget *grid, int row, int column, const QString &text)
{
    if (QTableWidgetItem *item = grid->item(row, column)) {
        item->setText(text);
        return;
    }
    grid->setItem(row, column, new QTableWidgetItem(text));
}

// Cells from the first row and column on are emptied.
void clearFrom(QTableWidget *grid, int firstRow, int firstColumn)
{
    for (int r = firstRow; r < grid->rowCount(); ++r)
        for (int c = firstColumn; c < grid->columnCount(); ++c)
            delete grid->takeItem(r, c);
}

// Header cells look like headers: bold, and not to be selected.
void markHeaderRow(QTableWidget *grid)
{
    for (int c = 0; c < grid->columnCount(); ++c) {
        if (grid->item(0, c) == nullptr)
            grid->setItem(0, c, new QTableWidgetItem);
        QTableWidgetItem *item = grid->item(0, c);
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(grid->palette().button());
        item->setTextAlignment(Qt::AlignCenter);
    }
}

void markNumberColumn(QTableWidget *grid, int firstRow)
{
    for (int r = firstRow; r < grid->rowCount(); ++r) {
        if (grid->item(r, 0) == nullptr)
            grid->setItem(r, 0, new QTableWidgetItem);
        QTableWidgetItem *item = grid->item(r, 0);
        item->setFlags(Qt::ItemIsEnabled);
        item->setBackground(grid->palette().button());
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    grid->setColumnWidth(0, rowNumberWidth);
}

} // namespace

// ---------------------------------------------------------------- names and mappings

std::string TfrmVxIWizard::DisplayName(const std::string &fieldName) const
{
    const std::string name = Text::Trim(fieldName);
    if (owner_ != nullptr && owner_->UseDisplayNames && dataSet_ != nullptr)
        if (const TField *field = dataSet_->FindField(name))
            return field->DisplayLabel();
    return name;
}

int TfrmVxIWizard::FindMapping(const std::string &text, bool byName) const
{
    const std::string wanted = UnbracketSourceName(Text::Upper(Text::Trim(text)));
    for (int i = 0; i < mappings_.Count(); ++i) {
        const std::string candidate = byName ? DisplayName(mappings_.Names(i)) : mappings_.ValueFromIndex(i);
        if (!candidate.empty() && UnbracketSourceName(Text::Upper(Text::Trim(candidate))) == wanted)
            return i;
    }
    return -1;
}

// ---------------------------------------------------------------- step 6

void TfrmVxIWizard::ReadTextSample()
{
    TReadTextOptions options;
    options.Preview = true;
    options.SkipEmpty = true;
    options.RowFieldNames = FieldNameRowNumber();
    options.PreviewRowCount = previewRowCount_;
    options.RowLast = LastRowNumber();
    options.RowFirst = FirstRowNumber();
    options.TextQualifier = QualifierChar();
    options.RecordSeparator = RecordSeparatorText();
    TTextLines lines;
    sampleLines_.clear();
    const bool oem = ui_->cbCharacterSet->currentIndex() == 1;
    if (SelectedTableType() == T::teClipboard)
        ReadClipboardLines(options, Host(), lines);
    else
        ReadTextFileLines(options, ui_->edFileName->text().toStdString(), lines);
    for (std::string_view line : lines.Lines)
        sampleLines_.emplace_back(line);
    ui_->pbBreaks->SetSampleLines(sampleLines_);
    ui_->pbBreaks->SetOem(oem);

    const int first = FirstRowNumber();
    std::string reference;
    if (first >= 1 && first < static_cast<int>(sampleLines_.size()) - 1)
        reference = sampleLines_[static_cast<std::size_t>(first)];
    if (oem)
        reference = ConvertFromOEM(reference);
    QTableWidget *grid = ui_->sgPreviewFile;
    grid->setRowCount(static_cast<int>(sampleLines_.size()) + 2);
    if (ui_->rbText2->isChecked()) {
        // A guess once, on an empty list: what the user placed is never guessed over.
        if (ui_->pbBreaks->Breaks().empty())
            ui_->pbBreaks->SetBreaks(GuessBreaks(dataSet_, reference, FieldDelimiterChar(), QualifierChar()));
    } else {
        grid->setColumnCount(1);
        const char delimiter = FieldDelimiterChar();
        for (std::size_t k = 0; k < sampleLines_.size(); ++k) {
            const int row = static_cast<int>(k) + 2;
            clearFrom(grid, row, 0);
            setCell(grid, row, 0, QString::number(k + 1));
            const std::string line = oem ? ConvertFromOEM(sampleLines_[k]) : sampleLines_[k];
            std::vector<TTextPosition> fields;
            SplitTextLine(nullptr, false, delimiter, line, QualifierChar(), fields, TPositionUnit::puByte);
            if (grid->columnCount() < static_cast<int>(fields.size()) + 1)
                grid->setColumnCount(static_cast<int>(fields.size()) + 1);
            for (std::size_t j = 0; j < fields.size(); ++j) {
                const int column = static_cast<int>(j) + 1;
                if (k == 0 || cellText(grid, 0, column).isEmpty())
                    setCell(grid, 0, column, QString("Field%1").arg(column));
                const TTextPosition &at = fields[j];
                std::string text(DelimitedPart(line, at.Start, at.End));
                if (!text.empty() && delimiter != '\0' && text.back() == delimiter)
                    text.pop_back();
                setCell(grid, row, column, fromStd(text));
            }
        }
        grid->setColumnWidth(0, rowNumberWidth);
    }
    sourceChanged_ = false;
}

void TfrmVxIWizard::BuildFilePreview()
{
    sourceColumns_.clear();
    sourceChanged_ = false;
    QTableWidget *grid = ui_->sgPreviewFile;
    clearFrom(grid, 2, 1);
    grid->setColumnCount(1);
    for (int row = 1; row < ui_->sgMappings->rowCount(); ++row)
        if (!cellText(ui_->sgMappings, row, 2).isEmpty()) {
            grid->setColumnCount(grid->columnCount() + 1);
            setCell(grid, 0, grid->columnCount() - 1, cellText(ui_->sgMappings, row, 1));
        }
    ui_->tsSheets->setVisible(false);
    grid->setRowCount(2);
    ShowPreviewStatus({});

    const T type = SelectedTableType();
    const bool oem = ui_->cbCharacterSet->currentIndex() == 1;
    try {
        if (type == T::teText || type == T::teClipboard) {
            ReadTextSample();
            if (ui_->rbText1->isChecked()) {
                for (int c = 1; c < grid->columnCount(); ++c)
                    sourceColumns_.push_back(cellText(grid, 0, c).toStdString());
            } else {
                std::vector<int> sorted = ui_->pbBreaks->Breaks();
                std::sort(sorted.begin(), sorted.end());
                ui_->pbBreaks->SetBreaks(sorted);
                const std::vector<std::string> names = BreakColumnNames(sorted);
                grid->setColumnCount(static_cast<int>(names.size()) + 1);
                for (std::size_t k = 0; k < sampleLines_.size(); ++k) {
                    const std::string line = oem ? ConvertFromOEM(sampleLines_[k]) : sampleLines_[k];
                    setCell(grid, static_cast<int>(k) + 2, 0, QString::number(k + 1));
                    for (std::size_t j = 0; j < names.size(); ++j)
                        setCell(grid, static_cast<int>(k) + 2, static_cast<int>(j) + 1,
                                fromStd(TextSourceValue(line, {}, true, '\0', '\0', names[j])));
                }
                sourceColumns_ = names;
            }
        } else if (SourceTypeOf(type).Preview) {
            ReadDocumentPreview();
        } else if (SourceTypeOf(type).CreateCellReader) {
            FillSheetTabs(ReadCellPreview(0));
        } else {
            ShowPreviewStatus(QString("Ferrovane cannot read sources of the type \"%1\" yet.")
                                  .arg(fromStd(TableTypeStep1Text(type))));
        }
    } catch (const std::exception &e) {
        // The preview keeps what it got; the user learns why it stops there.
        ShowPreviewStatus(QString("The preview stops here: %1").arg(QString::fromUtf8(e.what())));
    }
    if (grid->rowCount() > 2) {
        SetPreviewFixedRows();
        FitPreviewColumns();
    }
    if (!sourceColumns_.empty()) {
        grid->setColumnCount(static_cast<int>(sourceColumns_.size()) + 1);
        for (std::size_t c = 0; c < sourceColumns_.size(); ++c)
            setCell(grid, 0, static_cast<int>(c) + 1, fromStd(sourceColumns_[c]));
    }
    sourceColumns_.insert(sourceColumns_.begin(), std::string());
    markHeaderRow(grid);
    markNumberColumn(grid, 1);
    grid->setRowHeight(1, spacerRowHeight);
    BuildFieldList();
}

// A document's rows into the file preview, its column names onto the source column list.
void TfrmVxIWizard::ReadDocumentPreview()
{
    QTableWidget *grid = ui_->sgPreviewFile;
    TMarkupPreviewRequest request;
    request.FileName = ui_->edFileName->text().toStdString();
    request.Oem = ui_->cbCharacterSet->currentIndex() == 1;
    request.PreviewRowCount = previewRowCount_;
    request.FieldNameRow = FieldNameRowNumber();
    request.LastRow = LastRowNumber();
    request.FirstRow = ui_->chkShowFileHeader->isChecked() ? 1 : FirstRowNumber();
    request.TableName = tableName_;
    request.SourceTable = ui_->cbTableNames->currentText().toStdString();
    request.OnRow = [this, grid](int columnCount, int rowNumber, const Variant &row, bool oem) {
        FillPreviewRow(grid, columnCount, rowNumber, row, oem);
    };
    std::vector<std::string> columns;
    SourceTypeOf(SelectedTableType()).Preview(request, columns);
    sourceColumns_.insert(sourceColumns_.end(), columns.begin(), columns.end());
}

// One sheet of a cell-based source into the file preview, its column names onto the
// source column list; the names of every sheet come back. What was read before a failure
// stays, and the status line says why the rest is missing.
std::vector<std::string> TfrmVxIWizard::ReadCellPreview(int sheet)
{
    QTableWidget *grid = ui_->sgPreviewFile;
    TCellPreviewRequest request;
    request.CreateReader = SourceTypeOf(SelectedTableType()).CreateCellReader;
    request.Oem = ui_->cbCharacterSet->currentIndex() == 1;
    request.PreviewRowCount = previewRowCount_;
    request.LastRow = LastRowNumber();
    request.FirstRow = ui_->chkShowFileHeader->isChecked() ? 1 : FirstRowNumber();
    request.SheetIndex = sheet;
    request.FileName = ui_->edFileName->text().toStdString();
    request.OnRow = [this, grid](int columnCount, int rowNumber, const Variant &row, bool oem) {
        FillPreviewRow(grid, columnCount, rowNumber, row, oem);
    };
    std::vector<TCellPreviewColumn> columns;
    std::vector<std::string> sheets;
    try {
        BuildCellPreview(request, columns, sheets);
    } catch (const std::exception &e) {
        ShowPreviewStatus(QString("The preview stops here: %1").arg(QString::fromUtf8(e.what())));
    }
    for (const TCellPreviewColumn &column : columns)
        sourceColumns_.push_back(column.Name);
    return sheets;
}

void TfrmVxIWizard::FillSheetTabs(const std::vector<std::string> &sheets)
{
    const QSignalBlocker quiet(ui_->tsSheets);
    while (ui_->tsSheets->count() > 0)
        ui_->tsSheets->removeTab(0);
    for (const std::string &sheet : sheets)
        ui_->tsSheets->addTab(fromStd(sheet));
    if (ui_->tsSheets->count() > 0)
        ui_->tsSheets->setCurrentIndex(0);
    ui_->tsSheets->setVisible(true);
}

void TfrmVxIWizard::SheetChanged(int index)
{
    QTableWidget *grid = ui_->sgPreviewFile;
    clearFrom(grid, 2, 1);
    sourceColumns_.clear();
    ShowPreviewStatus({});
    const T type = SelectedTableType();
    if (!SourceTypeOf(type).CreateCellReader || index < 0)
        return;
    ReadCellPreview(index);
    grid->setColumnCount(std::max<int>(2, static_cast<int>(sourceColumns_.size()) + 1));
    for (std::size_t c = 0; c < sourceColumns_.size(); ++c)
        setCell(grid, 0, static_cast<int>(c) + 1, fromStd(sourceColumns_[c]));
    sourceColumns_.insert(sourceColumns_.begin(), std::string());
    markHeaderRow(grid);
    markNumberColumn(grid, 1);
    FillSourceColumnList();
    ShowMappedColumns();
}

void TfrmVxIWizard::FillSourceColumnList()
{
    ui_->cbFields->clear();
    for (const std::string &column : sourceColumns_)
        ui_->cbFields->addItem(fromStd(column));
}

void TfrmVxIWizard::FillPreviewRow(QTableWidget *grid, int columnCount, int rowNumber, const Variant &values, bool oem)
{
    grid->setColumnCount(columnCount + 1);
    if (rowNumber + 1 >= grid->rowCount())
        grid->setRowCount(rowNumber + 2);
    if (grid->rowCount() > 2)
        grid->setRowHeight(1, spacerRowHeight);
    setCell(grid, rowNumber + 1, 0, QString::number(rowNumber));
    if (values.IsNull() || values.IsEmpty())
        return;
    auto text = [oem](const Variant &v) {
        if (v.IsBoolean())
            return QString(v.AsBoolean() ? "True" : "False");
        const std::string s = v.AsString();
        return fromStd(oem ? ConvertFromOEM(s) : s);
    };
    if (!values.IsArray()) {
        setCell(grid, rowNumber + 1, 1, text(values));
        return;
    }
    for (std::size_t i = 0; i < values.ArrayCount(); ++i) {
        const Variant &element = values[i];
        const Variant &shown = element.IsArray() && element.ArrayCount() > 2 ? element[2] : element;
        const int column = static_cast<int>(i) + 1;
        if (column >= grid->columnCount())
            grid->setColumnCount(column + 1);
        setCell(grid, rowNumber + 1, column, text(shown));
    }
}

void TfrmVxIWizard::SetPreviewFixedRows()
{
    // The header, the spacer and, with the file header shown, the rows above the data.
    const int fixed = ui_->chkShowFileHeader->isChecked() ? FirstRowNumber() + 1 : 2;
    QTableWidget *grid = ui_->sgPreviewFile;
    for (int r = 2; r < std::min(fixed, grid->rowCount()); ++r)
        for (int c = 0; c < grid->columnCount(); ++c)
            if (QTableWidgetItem *item = grid->item(r, c))
                item->setBackground(grid->palette().button());
}

void TfrmVxIWizard::FitPreviewColumns()
{
    QTableWidget *grid = ui_->sgPreviewFile;
    const int defaultWidth = grid->horizontalHeader()->defaultSectionSize();
    QFont bold = grid->font();
    bold.setBold(true);
    const QFontMetrics plain(grid->font()), heavy(bold);
    for (int c = 1; c < grid->columnCount(); ++c) {
        int width = 0;
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QString text = cellText(grid, r, c);
            if (text.trimmed().isEmpty())
                continue;
            width = std::max(width,
                             r == 0 ? heavy.horizontalAdvance(text) + 16 + 25 : plain.horizontalAdvance(text) + 15);
        }
        width = std::min(width, 150);
        if (width != defaultWidth)
            grid->setColumnWidth(c, std::max(width, defaultWidth));
    }
}

void TfrmVxIWizard::ShowPreviewStatus(const QString &text)
{
    ui_->lblPreviewStatus->setText(text);
    ui_->lblPreviewStatus->setVisible(!text.isEmpty());
}

void TfrmVxIWizard::BuildFieldList()
{
    const T type = SelectedTableType();
    const bool structure = owner_ != nullptr && static_cast<bool>(owner_->OnCreateStructure);
    bool proposed = false;
    if (owner_ != nullptr && (structure || (mappings_.Empty() && FirstRowNumber() >= 2)) &&
        SourceTypeOf(type).Readable()) {
        // A source of the chosen kind proposes the mappings from its own column names.
        proposed = true;
        try {
            std::unique_ptr<TVxImportBaseComponent> source = SourceTypeOf(type).Create();
            source->TableName = ui_->cbTableNames->currentText().toStdString();
            ApplyToImport(source.get());
            source->DataSet = owner_->DataSet;
            source->UseDisplayNames = owner_->UseDisplayNames;
            source->Host = &Host();
            source->RowFirst = FirstRowNumber();
            source->RowLast = FirstRowNumber() + 10;
            source->OpenSource();
            source->Columns.Clear();
            source->CreateColumns();
            if (structure)
                owner_->OnCreateStructure(source.get(), source->Columns);
            else
                source->AutoMapColumns();
            owner_->Mappings.Assign(source->Mappings);
            source->CloseSource();
        } catch (const std::exception &e) {
            ShowPreviewStatus(QString("The preview stops here: %1").arg(QString::fromUtf8(e.what())));
        }
    }
    if (owner_ != nullptr && owner_->OnGetFieldList) {
        owner_->OnGetFieldList(owner_, mappings_);
    } else if (owner_ != nullptr && (structure || mappings_.Empty())) {
        mappings_.Clear();
        if (!owner_->Mappings.Empty()) {
            mappings_.Assign(owner_->Mappings);
            if (proposed && !structure)
                KeepDestinationFields();
        } else if (dataSet_ != nullptr) {
            for (int i = 0; i < dataSet_->FieldCount(); ++i)
                mappings_.Add(dataSet_->Fields(i)->FieldName() + "=");
        }
    }
    pmFieldList_->clear();
    if (type != T::teText && type != T::teClipboard) {
        for (int i = 0; i < mappings_.Count(); ++i) {
            const std::string name = Text::Trim(mappings_.Names(i));
            auto match = [this](const std::string &wanted) {
                for (std::size_t c = 1; c < sourceColumns_.size(); ++c)
                    if (Text::SameText(sourceColumns_[c], wanted))
                        return static_cast<int>(c);
                return -1;
            };
            int column = match(name);
            if (column < 0)
                column = match(DisplayName(name));
            if (column > 0)
                mappings_[i] = mappings_.Names(i) + "=" +
                               BracketSourceName(sourceColumns_[static_cast<std::size_t>(column)]);
        }
    }
    FillSourceColumnList();
    ShowMappedColumns();
}

// Mapped columns of the file preview are shaded, and their headers name the destination.
void TfrmVxIWizard::ShowMappedColumns()
{
    QTableWidget *grid = ui_->sgPreviewFile;
    const QColor shade(0xEF, 0xEF, 0xEF);
    for (int c = 1; c < grid->columnCount(); ++c) {
        const std::string header = c < static_cast<int>(sourceColumns_.size())
                                       ? sourceColumns_[static_cast<std::size_t>(c)]
                                       : cellText(grid, 0, c).toStdString();
        const int mapping = FindMapping(header, false);
        if (QTableWidgetItem *item = grid->item(0, c)) {
            // The drop-down marker says a click here chooses the destination.
            const QString shown = mapping >= 0 ? fromStd(DisplayName(mappings_.Names(mapping))) : fromStd(header);
            item->setText(shown + QString::fromUtf8(" \u25BE"));
            item->setToolTip(fromStd(header));
            item->setData(Qt::UserRole, fromStd(header));
        }
        for (int r = 2; r < grid->rowCount(); ++r)
            if (QTableWidgetItem *item = grid->item(r, c))
                item->setBackground(mapping >= 0 ? QBrush(shade) : QBrush());
    }
    SetPreviewFixedRows();
}

// A spreadsheet proposes its header row's names as destination fields. The grid of step 7
// lists the destination's fields, each once: a proposal for a field it lacks is dropped,
// a field nobody proposed stays unmapped.
void TfrmVxIWizard::KeepDestinationFields()
{
    if (dataSet_ == nullptr)
        return;
    TStringList kept;
    for (int i = 0; i < dataSet_->FieldCount(); ++i) {
        const std::string field = dataSet_->Fields(i)->FieldName();
        std::string line = field + "=";
        for (int m = 0; m < mappings_.Count(); ++m)
            if (Text::SameText(Text::Trim(mappings_.Names(m)), field)) {
                line = field + "=" + mappings_.ValueFromIndex(m);
                break;
            }
        kept.Add(line);
    }
    mappings_.Assign(kept);
}

// The source column a preview header stands for (the header may show a destination name).
QString TfrmVxIWizard::PreviewColumnName(int column) const
{
    const QTableWidgetItem *item = ui_->sgPreviewFile->item(0, column);
    if (item == nullptr)
        return {};
    const QVariant name = item->data(Qt::UserRole);
    return name.isValid() ? name.toString() : item->text();
}

// ---------------------------------------------------------------- the popup list of step 6

void TfrmVxIWizard::BuildFieldListMenu()
{
    pmFieldList_->clear();
    pmFieldList_->setSeparatorsCollapsible(false);
    auto add = [this](const QString &caption, int item) {
        QAction *action = pmFieldList_->addAction(caption);
        action->setCheckable(true);
        action->setData(item);
        connect(action, &QAction::triggered, this, [this, item] { ChooseMapping(item); });
    };
    add(QString(), 0);
    pmFieldList_->addSeparator();
    for (int i = 0; i < mappings_.Count(); ++i)
        add(fromStd(DisplayName(mappings_.Names(i))), i + 2);
}

QAction *TfrmVxIWizard::FieldListItem(int item) const
{
    for (QAction *action : pmFieldList_->actions())
        if (!action->isSeparator() && action->data().toInt() == item)
            return action;
    return nullptr;
}

void TfrmVxIWizard::PopUpFieldList(int column, const QPoint &at)
{
    if (pmFieldList_->isEmpty())
        BuildFieldListMenu();
    if (column == 0) {
        AutoMapByPosition();
        return;
    }
    const QString header = PreviewColumnName(column);
    const int mapping = FindMapping(header.toStdString(), false);
    FieldListItem(0)->setText(mapping >= 0 ? fromStd(mappings_.ValueFromIndex(mapping)) : header);
    popupColumn_ = column;
    for (int i = 0; i < mappings_.Count(); ++i)
        FieldListItem(i + 2)->setChecked(i == mapping);
    pmFieldList_->popup(at);
}

void TfrmVxIWizard::ChooseMapping(int item)
{
    QAction *zero = FieldListItem(0);
    QAction *chosen = FieldListItem(item);
    if (zero == nullptr || chosen == nullptr)
        return;
    QString compared;
    if (item == 0) {
        compared = chosen->text();
        chosen->setChecked(false);
    } else {
        compared = zero->text();
        chosen->setChecked(true);
    }
    const int old = FindMapping(compared.toStdString(), false);
    if (old >= 0) {
        mappings_[old] = mappings_.Names(old) + "=";
        if (QAction *action = FieldListItem(old + 2))
            action->setChecked(false);
    }
    if (item >= 2) {
        const int target = FindMapping(chosen->text().toStdString(), true);
        if (target >= 0) {
            mappings_[target] = mappings_.Names(target) + "=" +
                                BracketSourceName(PreviewColumnName(popupColumn_).toStdString());
            chosen->setChecked(true);
        }
    }
    ShowMappedColumns();
}

void TfrmVxIWizard::AutoMapByPosition()
{
    if (pmFieldList_->isEmpty())
        BuildFieldListMenu();
    for (int c = 1; c < ui_->sgPreviewFile->columnCount() && c <= mappings_.Count(); ++c) {
        FieldListItem(0)->setText(PreviewColumnName(c));
        popupColumn_ = c;
        ChooseMapping(c + 1);
    }
}

// ---------------------------------------------------------------- step 7

void TfrmVxIWizard::BuildMappingGrid()
{
    QTableWidget *grid = ui_->sgMappings;
    if (!mappings_.Empty())
        grid->setRowCount(mappings_.Count() + 1);
    const std::string keySet = ";" + Text::Upper(Text::Trim(keys_)) + ";";
    for (int i = 0; i < mappings_.Count(); ++i) {
        const std::string name = mappings_.Names(i);
        setCell(grid, i + 1, 0, fromStd(name));
        setCell(grid, i + 1, 1, fromStd(DisplayName(name)));
        setCell(grid, i + 1, 2, fromStd(Text::Trim(mappings_.ValueFromIndex(i))));
        if (keySet.find(";" + Text::Upper(Text::Trim(name)) + ";") != std::string::npos)
            setCell(grid, i + 1, 3, "1");
    }
    for (int i = 0; i < mappings_.Count(); ++i) {
        const QString name = fromStd(Text::Trim(mappings_.Names(i)));
        for (int row = 1; row < grid->rowCount(); ++row)
            if (cellText(grid, row, 0) == name)
                setCell(grid, row, 2, fromStd(Text::Trim(mappings_.ValueFromIndex(i))));
    }
    grid->setHorizontalHeaderLabels({"", "Destination", "Source", ""});
    setCell(grid, 0, 1, "Destination");
    setCell(grid, 0, 2, "Source");
    markHeaderRow(grid);
    if (QTableWidgetItem *key = grid->item(0, 3))
        key->setIcon(ui_->imgKey->pixmap());
    for (int row = 1; row < grid->rowCount(); ++row) {
        for (int c = 0; c < 4; ++c)
            if (grid->item(row, c) == nullptr)
                setCell(grid, row, c, QString());
        grid->item(row, 1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ShowKeyCell(row);
    }
    grid->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    grid->setColumnWidth(3, 35);
}

// The key cell keeps its "1" as text, and shows it as a check box only cbKey changes.
void TfrmVxIWizard::ShowKeyCell(int row)
{
    QTableWidgetItem *item = ui_->sgMappings->item(row, 3);
    if (item == nullptr)
        return;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setCheckState(item->text() == "1" ? Qt::Checked : Qt::Unchecked);
    item->setForeground(Qt::transparent);
}

bool TfrmVxIWizard::IsKeyRow(int row) const { return cellText(ui_->sgMappings, row, 3) == "1"; }

bool TfrmVxIWizard::AnyKeyMarked() const
{
    for (int row = 1; row < ui_->sgMappings->rowCount(); ++row)
        if (IsKeyRow(row))
            return true;
    return false;
}

void TfrmVxIWizard::SelectMappingCell(int row, int column)
{
    QTableWidget *grid = ui_->sgMappings;
    ui_->pnlFields->hide();
    ui_->cbKey->hide();
    if (row < 1)
        return;
    const QRect cell = grid->visualRect(grid->model()->index(row, column));
    if (column == 2) {
        ui_->pnlFields->setGeometry(cell.adjusted(1, 1, 2, 2));
        ui_->cbFields->setCurrentText(cellText(grid, row, 2));
        ui_->pnlFields->show();
        ui_->pnlFields->raise();
        ui_->cbFields->setFocus();
    } else if (column == 3) {
        const QSize box = ui_->cbKey->sizeHint();
        ui_->cbKey->setGeometry(QRect(cell.center() - QPoint(box.width() / 2 - 2, box.height() / 2 - 2), box));
        ui_->cbKey->setChecked(IsKeyRow(row));
        ui_->cbKey->show();
        ui_->cbKey->setFocus();
    }
}

void TfrmVxIWizard::LeaveFields()
{
    QTableWidget *grid = ui_->sgMappings;
    const int row = grid->currentRow();
    if (row < 1)
        return;
    std::string text = ui_->cbFields->currentText().toStdString();
    for (std::size_t c = 1; c < sourceColumns_.size(); ++c)
        if (Text::SameText(sourceColumns_[c], text))
            text = BracketSourceName(sourceColumns_[c]);
    setCell(grid, row, 2, fromStd(text));
    const int mapping = FindMapping(cellText(grid, row, 1).toStdString(), true);
    if (mapping >= 0)
        mappings_[mapping] = mappings_.Names(mapping) + "=" + text;
    ui_->pnlFields->hide();
    grid->setFocus();
}

// The box's text through the expression builder, over the destination and the source
// columns; false when the user cancelled it.
bool TfrmVxIWizard::EditWithExpressionBuilder(QLineEdit *box)
{
    std::string expression = box->text().toStdString();
    std::vector<TDataSet *> datasets;
    if (dataSet_ != nullptr)
        datasets.push_back(dataSet_);
    static const TVxIParameters noParameters;
    if (!EditExpression(this, expression, datasets, sourceColumns_, owner_ != nullptr && owner_->UseDisplayNames,
                        owner_ != nullptr ? owner_->Parameters : noParameters))
        return false;
    box->setText(fromStd(expression));
    return true;
}

void TfrmVxIWizard::LeaveKey()
{
    QTableWidget *grid = ui_->sgMappings;
    const int row = grid->currentRow();
    if (row >= 1) {
        setCell(grid, row, 3, ui_->cbKey->isChecked() ? "1" : "");
        ShowKeyCell(row);
    }
    ui_->cbKey->hide();
    grid->setFocus();
}

// ---------------------------------------------------------------- step 8

void TfrmVxIWizard::BuildDataPreview()
{
    sourceChanged_ = false;
    QTableWidget *grid = ui_->sgPreview;
    QTableWidget *map = ui_->sgMappings;
    clearFrom(grid, 1, 1);
    grid->setColumnCount(1);
    std::vector<int> mapped;
    for (int row = 1; row < map->rowCount(); ++row)
        if (!cellText(map, row, 2).isEmpty()) {
            mapped.push_back(row);
            grid->setColumnCount(grid->columnCount() + 1);
            setCell(grid, 0, grid->columnCount() - 1, cellText(map, row, 1));
        }
    if (!FillConvertedPreview(mapped))
        FillEvaluatedPreview(mapped);
    for (int r = 1; r < grid->rowCount(); ++r)
        setCell(grid, r, 0, QString::number(r));
    markHeaderRow(grid);
    markNumberColumn(grid, 1);
}

// The preview runs the import itself, into a copy of the destination held in memory: the
// rows are read, converted by the data formats and filtered by the load conditions exactly
// as the run will, and a row the run would refuse shows why.
bool TfrmVxIWizard::FillConvertedPreview(const std::vector<int> &mappedRows)
{
    const T type = SelectedTableType();
    if (dataSet_ == nullptr || !SourceTypeOf(type).Readable() || mappedRows.empty())
        return false;
    QTableWidget *map = ui_->sgMappings;
    std::vector<TMemoryDataSet::TFieldDef> fields;
    TStringList mappings;
    for (int row : mappedRows) {
        const std::string name = Text::Trim(cellText(map, row, 0).toStdString());
        const TField *field = dataSet_->FindField(name);
        if (field == nullptr)
            return false;
        fields.push_back({field->FieldName(), field->DataType(), std::max(field->Size(), 1), false});
        mappings.Add(name + "=" + cellText(map, row, 2).toStdString());
    }
    TMemoryDataSet converted(fields, dataSet_->Name());
    TVxIRecordingHost silent;
    silent.Recording = false;
    std::vector<std::pair<std::size_t, std::string>> refused; // before which row, and why
    try {
        std::unique_ptr<TVxImportBaseComponent> source = SourceTypeOf(type).Create();
        source->TableName = tableName_;
        ApplyToImport(source.get());
        if (owner_ != nullptr) {
            source->UseDisplayNames = owner_->UseDisplayNames;
            source->Parameters.Assign(owner_->Parameters);
        }
        source->Mappings.Assign(mappings);
        source->DataSet = &converted;
        source->DatasetKeys.clear();
        source->Mode = TImportMode::imAppend;
        source->ActionKind = TVxIActionKind::akDatasetApply;
        source->Options = TVxIOptions{};
        source->Host = &silent;
        source->AbortOnProblem = false;
        const long long last = static_cast<long long>(std::max(source->RowFirst, 1)) + previewRowCount_ - 1;
        source->RowLast = static_cast<std::int32_t>(std::min<long long>(source->RowLast, last));
        source->OnErrorEvent = [&](TVxImportBaseComponent *, const std::exception &error, bool &abort) {
            refused.emplace_back(converted.Rows.size(), error.what());
            abort = false;
        };
        source->Execute();
    } catch (const std::exception &e) {
        refused.emplace_back(converted.Rows.size(), e.what());
    }
    QTableWidget *grid = ui_->sgPreview;
    grid->setRowCount(1);
    std::size_t next = 0;
    auto showRefused = [&](std::size_t before) {
        for (; next < refused.size() && refused[next].first <= before; ++next) {
            grid->setRowCount(grid->rowCount() + 1);
            setCell(grid, grid->rowCount() - 1, 1, fromStd(refused[next].second));
            grid->item(grid->rowCount() - 1, 1)->setForeground(Qt::red);
            if (grid->columnCount() > 2)
                grid->setSpan(grid->rowCount() - 1, 1, 1, grid->columnCount() - 1);
        }
    };
    grid->clearSpans();
    for (std::size_t r = 0; r < converted.Rows.size(); ++r) {
        showRefused(r);
        grid->setRowCount(grid->rowCount() + 1);
        for (std::size_t c = 0; c < converted.Rows[r].size(); ++c)
            setCell(grid, grid->rowCount() - 1, static_cast<int>(c) + 1, fromStd(converted.Rows[r][c].AsString()));
    }
    showRefused(converted.Rows.size());
    return true;
}

// Without a destination to convert for, each expression is evaluated over the previewed
// texts: a column name stands for the column's text in the row.
void TfrmVxIWizard::FillEvaluatedPreview(const std::vector<int> &mappedRows)
{
    QTableWidget *grid = ui_->sgPreview;
    QTableWidget *file = ui_->sgPreviewFile;
    QTableWidget *map = ui_->sgMappings;
    grid->clearSpans();
    grid->setRowCount(std::max(1, file->rowCount() - 1));
    int column = 0;
    for (int row : mappedRows) {
        const std::string expression = UnbracketSourceName(cellText(map, row, 2).toStdString());
        if (expression.empty())
            continue;
        ++column;
        int copied = -1;
        for (int c = 1; c < file->columnCount() && copied < 0; ++c)
            if (PreviewColumnName(c).toStdString() == expression)
                copied = c;
        for (int r = 1; r + 1 < file->rowCount(); ++r) {
            if (copied >= 0) {
                setCell(grid, r, column, cellText(file, r + 1, copied));
                continue;
            }
            TVxIParser parser;
            parser.OnEvaluate = [this, file, r](TVxIParser *, const std::string &eval, std::vector<Variant> &, int,
                                                bool, Variant &value, bool &done) {
                const std::string name = UnbracketSourceName(eval);
                for (int c = 1; c < file->columnCount(); ++c)
                    if (Text::SameText(PreviewColumnName(c).toStdString(), name)) {
                        value = Variant(cellText(file, r + 1, c).toStdString());
                        done = true;
                        return;
                    }
                value = Variant(name);
                done = true;
            };
            QString shown;
            try {
                parser.SetText(cellText(map, row, 2).toStdString());
                Variant value;
                parser.Evaluate(value);
                shown = fromStd(value.AsString());
            } catch (const std::exception &e) {
                shown = QString::fromUtf8(e.what());
            }
            setCell(grid, r, column, shown);
        }
    }
}

// ---------------------------------------------------------------- mouse and focus

bool TfrmVxIWizard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui_->sbCategory->viewport() && event->type() == QEvent::Resize && showCategories_)
        LayOutCategories();
    if (watched == ui_->sgPreviewFile->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QModelIndex index = ui_->sgPreviewFile->indexAt(mouse->position().toPoint());
        if (index.isValid() && index.row() == 0) {
            PopUpFieldList(index.column(), mouse->globalPosition().toPoint());
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && MappingKey(watched, static_cast<QKeyEvent *>(event)))
        return true;
    if (event->type() == QEvent::FocusOut) {
        if (watched == ui_->cbFields && !ui_->pnlFields->isAncestorOf(QApplication::focusWidget()) &&
            !ui_->cbFields->view()->isVisible())
            LeaveFields();
        else if (watched == ui_->cbKey)
            LeaveKey();
    }
    return QDialog::eventFilter(watched, event);
}

// The mapping grid works without a mouse: F2 or Enter opens the editor of the current
// cell; in an editor Enter keeps the text, Escape drops it, and Up and Down keep it and
// move to the row above or below.
bool TfrmVxIWizard::MappingKey(QObject *watched, QKeyEvent *key)
{
    QTableWidget *grid = ui_->sgMappings;
    const int row = grid->currentRow(), column = grid->currentColumn();
    if (watched == grid) {
        if ((key->key() == Qt::Key_F2 || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (column == 2 || column == 3)) {
            SelectMappingCell(row, column);
            return true;
        }
        return false;
    }
    const bool fields = watched == ui_->cbFields || watched == ui_->cbFields->lineEdit();
    if (!fields && watched != ui_->cbKey)
        return false;
    if (fields && ui_->cbFields->view()->isVisible())
        return false; // the open list has the keys
    switch (key->key()) {
    case Qt::Key_Escape:
        if (fields)
            ui_->cbFields->setCurrentText(cellText(grid, row, 2));
        [[fallthrough]];
    case Qt::Key_Return:
    case Qt::Key_Enter:
        grid->setFocus(); // leaving the editor keeps its text
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (key->modifiers() & Qt::AltModifier)
            return false;
        grid->setFocus();
        grid->setCurrentCell(std::clamp(row + (key->key() == Qt::Key_Up ? -1 : 1), 1, grid->rowCount() - 1), column);
        return true;
    default: return false;
    }
}

void TfrmVxIWizard::ResetBreakScroll() { ui_->pbBreaks->ResetScroll(); }

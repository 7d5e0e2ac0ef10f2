// The engine's headers come before Qt's: Qt's keyword macro "slots" would rewrite a member
// of theirs.
#include "engine/VxIConvert.h"
#include "sources/common/TextDecode.h"
#include "sources/text/TextCharacters.h"
#include "sources/text/VxI2TXT.h"

#include "wizard/BreakEditor.h"
#include "wizard/SourceNames.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <exception>
#include <span>
#include <string>
#include <string_view>

namespace {

// The columns the horizontal bar reaches: lines longer than this are not edited here.
constexpr int columnsMaximum = 1000;
// Lines the vertical bar moves for a page: the editor shows five.
constexpr int shownLines = 5;

// A whole text read as a 32-bit integer; 0 when it is anything else.
int integerOrZero(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

// Breaks may sit at the largest integer (a restored "Text1-2147483647"): the column after
// one must not overflow.
std::string columnName(long long from, long long to)
{
    return "Text" + std::to_string(from) + "-" + std::to_string(to);
}

struct TWindowsCodePage {
    TWindowsCodePage() { Decoder.SetCodePage(1252); }
    sources::TCodePageDecoder Decoder;
};

// Sample text is bytes: UTF-8, or single-byte text of the Windows code page when it is no
// valid UTF-8, or MS-DOS text when the user says so. It is drawn one character per column,
// counted as the text source counts them when it reads Text<a>-<b> (characters of UTF-8,
// bytes of anything else), so that a break sits where the import will cut. Kept simple:
// the conversion does not try to guess any other code page.
std::u32string lineCharacters(const std::string &line, bool oem)
{
    if (oem) {
        try {
            return QString::fromStdString(ConvertFromOEM(line)).toStdU32String();
        } catch (const std::exception &) {
            // without the MS-DOS code page the bytes still get one column each
            return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())).toStdU32String();
        }
    }
    if (IsValidUtf8(line))
        return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())).toStdU32String();
    // Only the painting thread decodes, so one decoder serves every line.
    static const TWindowsCodePage windows;
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(line.data());
    return QString::fromStdString(windows.Decoder.Decode(std::span(bytes, line.size()))).toStdU32String();
}

// Where a scroll-bar action takes a position: steps are ours, not the bar's.
int scrollTarget(int action, int current, int page, const QScrollBar &bar)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return current - 1;
    case QAbstractSlider::SliderSingleStepAdd: return current + 1;
    case QAbstractSlider::SliderPageStepSub: return current - page;
    case QAbstractSlider::SliderPageStepAdd: return current + page;
    case QAbstractSlider::SliderToMinimum: return 0;
    case QAbstractSlider::SliderToMaximum: return bar.maximum();
    case QAbstractSlider::SliderMove: return bar.sliderPosition(); // the bars start at 0
    default: return current;
    }
}

} // namespace

std::vector<int> RestoreBreaksFromMappings(const std::vector<std::string> &mappingValues)
{
    std::vector<int> breaks;
    auto add = [&breaks](int position) {
        if (std::find(breaks.begin(), breaks.end(), position) == breaks.end())
            breaks.push_back(position);
    };
    long long previous = 0; // the end of the column before, as the next start follows it
    for (const std::string &mapping : mappingValues) {
        const std::string unbracketed = UnbracketSourceName(mapping);
        const std::string_view value = unbracketed;
        const std::size_t dash = value.find('-');
        if (dash == std::string_view::npos)
            continue;
        const int start = dash > 4 ? integerOrZero(value.substr(4, dash - 4)) : 0;
        const int end = integerOrZero(value.substr(dash + 1));
        // A start right after the previous end is that end's break; 0 and 1 start the line.
        if (start != previous && start != previous + 1)
            add(start);
        add(end);
        previous = end;
    }
    return breaks;
}

std::vector<int> GuessBreaks(const TDataSet *destination, const std::string &referenceLine, char fieldDelimiter,
                             char textQualifier)
{
    std::vector<TTextPosition> fields;
    SplitTextLine(destination, true, fieldDelimiter, referenceLine, textQualifier, fields);
    std::vector<int> breaks;
    breaks.reserve(fields.size());
    for (const TTextPosition &field : fields)
        breaks.push_back(field.End);
    return breaks;
}

std::string TextColumnName(int from, int to) { return columnName(from, to); }

std::vector<std::string> BreakColumnNames(std::vector<int> breaks)
{
    if (breaks.empty())
        return {TextColumnName(1, INT_MAX)};
    std::sort(breaks.begin(), breaks.end());
    std::vector<std::string> names;
    names.reserve(breaks.size());
    long long start = 1;
    for (int b : breaks) {
        names.push_back(columnName(start, b));
        start = static_cast<long long>(b) + 1;
    }
    return names;
}

// ---------------------------------------------------------------- TBreakEditor

TBreakEditor::TBreakEditor(QWidget *parent) : QWidget(parent)
{
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setFixedPitch(true);
    courier.setPixelSize(13);
    setFont(courier);
    MeasureFont();
}

void TBreakEditor::MeasureFont()
{
    const QFontMetrics metrics(font());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('W')));
    lineHeight_ = std::max(1, metrics.height()); // the height of "Wg": ascent and descent
}

void TBreakEditor::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        MeasureFont();
    QWidget::changeEvent(event);
}

void TBreakEditor::SetBreaks(std::vector<int> breaks)
{
    if (breaks == breaks_)
        return;
    breaks_ = std::move(breaks);
    dragged_ = -1; // an index into the list that is gone
    update();
    Q_EMIT BreaksChanged();
}

void TBreakEditor::SetSampleLines(std::vector<std::string> lines)
{
    lines_ = std::move(lines);
    if (vertical_)
        vertical_->setMaximum(static_cast<int>(std::min<std::size_t>(lines_.size(), INT_MAX)));
    update();
}

void TBreakEditor::SetOem(bool oem)
{
    oem_ = oem;
    update();
}

int TBreakEditor::VisibleColumns() const { return std::max(0, (width() - 2) / charWidth_); }

int TBreakEditor::BreakAt(int position) const
{
    const auto found = std::find(breaks_.begin(), breaks_.end(), position);
    return found == breaks_.end() ? -1 : static_cast<int>(found - breaks_.begin());
}

// ---------------------------------------------------------------- mouse

void TBreakEditor::mousePressEvent(QMouseEvent *event) { PressAt(event->position().toPoint().x(), false); }

void TBreakEditor::mouseDoubleClickEvent(QMouseEvent *event) { PressAt(event->position().toPoint().x(), true); }

void TBreakEditor::mouseMoveEvent(QMouseEvent *event) { DragTo(event->position().toPoint().x()); }

void TBreakEditor::mouseReleaseEvent(QMouseEvent *) { buttonDown_ = false; }

void TBreakEditor::PressAt(int x, bool doubleClick)
{
    const int column = ColumnAt(x);
    const int position = offset_ + column;
    dragged_ = BreakAt(position);
    buttonDown_ = true;
    if (doubleClick) {
        if (dragged_ >= 0) {
            breaks_.erase(breaks_.begin() + dragged_);
            dragged_ = -1;
            update();
        }
    } else if (dragged_ < 0 && column != 0) {
        // The first visible column takes no new break: a click there is mostly a miss.
        breaks_.push_back(position);
        update();
    }
    Q_EMIT BreaksChanged();
}

void TBreakEditor::DragTo(int x)
{
    if (!buttonDown_ || dragged_ < 0 || dragged_ >= static_cast<int>(breaks_.size()))
        return;
    const int column = ColumnAt(x);
    // Left of the box counts as its first column: a break is not pushed out of sight there.
    if (column <= 0)
        return;
    const int position = offset_ + column;
    int &dragged = breaks_[static_cast<std::size_t>(dragged_)];
    if (dragged == position)
        return;
    dragged = position;
    update();
    Q_EMIT BreaksChanged();
}

// ---------------------------------------------------------------- scroll bars

void TBreakEditor::SetScrollBars(QScrollBar *horizontal, QScrollBar *vertical)
{
    for (QScrollBar *bar : {horizontal_.data(), vertical_.data()})
        if (bar)
            disconnect(bar, nullptr, this, nullptr);
    horizontal_ = horizontal;
    vertical_ = vertical;
    if (horizontal_) {
        horizontal_->setRange(0, columnsMaximum);
        horizontal_->setValue(offset_);
        connect(horizontal_, &QAbstractSlider::actionTriggered, this, &TBreakEditor::ScrollColumns);
        connect(horizontal_, &QAbstractSlider::valueChanged, this, &TBreakEditor::ColumnsMoved);
    }
    if (vertical_) {
        vertical_->setRange(0, static_cast<int>(std::min<std::size_t>(lines_.size(), INT_MAX)));
        vertical_->setValue(topLine_);
        connect(vertical_, &QAbstractSlider::actionTriggered, this, &TBreakEditor::ScrollLines);
        connect(vertical_, &QAbstractSlider::valueChanged, this, &TBreakEditor::LinesMoved);
    }
}

void TBreakEditor::ResetScroll()
{
    offset_ = 0;
    topLine_ = 0;
    if (horizontal_)
        horizontal_->setValue(0);
    if (vertical_)
        vertical_->setValue(0);
    update();
}

// The bar has already moved its thumb by its own steps when it reports an action; the
// thumb is put where our arithmetic says, and the value follows it.
void TBreakEditor::ScrollColumns(int action)
{
    horizontal_->setMaximum(columnsMaximum);
    const int target = std::clamp(scrollTarget(action, offset_, VisibleColumns(), *horizontal_), 0, columnsMaximum);
    horizontal_->setSliderPosition(target);
    ColumnsMoved(target);
}

void TBreakEditor::ScrollLines(int action)
{
    const int maximum = static_cast<int>(std::min<std::size_t>(lines_.size(), INT_MAX));
    vertical_->setMaximum(maximum);
    const int target = std::clamp(scrollTarget(action, topLine_, shownLines, *vertical_), 0, maximum);
    vertical_->setSliderPosition(target);
    LinesMoved(target);
}

void TBreakEditor::ColumnsMoved(int value)
{
    value = std::max(0, value);
    if (value == offset_)
        return;
    offset_ = value;
    update();
}

void TBreakEditor::LinesMoved(int value)
{
    value = std::max(0, value);
    if (value == topLine_)
        return;
    topLine_ = value;
    update();
}

// ---------------------------------------------------------------- painting

void TBreakEditor::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int top = TextTop();
    painter.fillRect(QRect(0, 0, width(), top - 1), palette().window());
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, top - 1, width() - 1, height() - top);
    painter.fillRect(1, top, width() - 2, height() - top - 1, Qt::white);
    const int columns = VisibleColumns();
    PaintRuler(painter, columns);
    PaintLines(painter, columns);
    PaintBreaks(painter, columns);
}

void TBreakEditor::PaintRuler(QPainter &painter, int columns) const
{
    const int top = TextTop();
    const int baseline = top - 8;
    painter.setPen(palette().windowText().color());
    painter.drawLine(1, baseline, width() - 2, baseline);
    const QFontMetrics metrics(font());
    for (int i = 0; i < columns; ++i) {
        const int x = i * charWidth_;
        const int c = offset_ + i;
        painter.drawLine(x, c % 5 == 0 ? top - 13 : top - 10, x, baseline);
        if (c % 10 != 0 || c == 0)
            continue;
        const QString number = QString::number(c);
        const int numberWidth = metrics.horizontalAdvance(number);
        // Centred on the tick, but kept whole at the edges of the box.
        const int left = std::clamp(x - numberWidth / 2, 0, std::max(0, width() - numberWidth));
        painter.drawText(QRect(left, top - lineHeight_ - 15, numberWidth, lineHeight_), Qt::AlignCenter, number);
    }
}

void TBreakEditor::PaintLines(QPainter &painter, int columns) const
{
    const int top = TextTop();
    painter.save();
    painter.setClipRect(1, top, width() - 2, height() - top - 1);
    painter.setPen(Qt::black);
    const int ascent = QFontMetrics(font()).ascent();
    for (int i = 0; i < shownLines; ++i) {
        const std::size_t index = static_cast<std::size_t>(topLine_) + static_cast<std::size_t>(i);
        if (index >= lines_.size())
            break;
        const std::u32string characters = lineCharacters(lines_[index], oem_);
        const int y = top + i * lineHeight_ + ascent;
        // One character per column, each at its own place: a glyph from a fallback font
        // must not shift the rest of the line off the ruler.
        for (int column = 0; column < columns; ++column) {
            const std::size_t at = static_cast<std::size_t>(offset_) + static_cast<std::size_t>(column);
            if (at >= characters.size())
                break;
            painter.drawText(1 + column * charWidth_, y, QString::fromUcs4(&characters[at], 1));
        }
    }
    painter.restore();
}

void TBreakEditor::PaintBreaks(QPainter &painter, int columns) const
{
    const int top = TextTop();
    painter.save();
    for (std::size_t k = 0; k < breaks_.size(); ++k) {
        const long long shift = static_cast<long long>(breaks_[k]) - offset_;
        // A break right after the last visible column stays at the right edge; it is not
        // wrapped to the left, where no click would reach it.
        if (shift < 0 || shift > columns)
            continue;
        const int x = static_cast<int>(shift) * charWidth_;
        painter.setPen(Qt::black);
        painter.setBrush(Qt::black);
        painter.drawPolygon(QPolygon({QPoint(x, top - 7), QPoint(x - 3, top - 3), QPoint(x + 3, top - 3)}));
        const bool dragged = static_cast<int>(k) == dragged_;
        painter.setPen(QPen(Qt::black, 1, dragged ? Qt::DotLine : Qt::SolidLine));
        painter.drawLine(x, top - 3, x, height() - 2);
    }
    painter.restore();
}

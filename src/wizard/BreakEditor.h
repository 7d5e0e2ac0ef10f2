#pragma once

#include <QPointer>
#include <QWidget>

#include <string>
#include <vector>

class QPainter;
class QScrollBar;
class TDataSet;

// Fixed-width field breaks: a break is the 1-based position of the last character of a
// field. The list may be unsorted and may repeat a position; whoever turns it into columns
// sorts it.

// The breaks a saved specification's fixed-width mappings stand for. The values are the
// right-hand sides of its Name=Value mapping lines ("Text1-10", "[Text11-25]", ...);
// values without a "-" say nothing about breaks.
std::vector<int> RestoreBreaksFromMappings(const std::vector<std::string> &mappingValues);

// One break after each destination field's display width, in field order, cut at the end
// of the reference line; an empty line gives the single break 0, no destination no break.
std::vector<int> GuessBreaks(const TDataSet *destination, const std::string &referenceLine, char fieldDelimiter,
                             char textQualifier);

// The source column of characters from..to of a fixed-width line: "Text<from>-<to>".
std::string TextColumnName(int from, int to);

// The source columns the breaks cut a line into, in position order: each column runs from
// the previous break + 1 (1 for the first) to its break. Without breaks the whole line is
// the one column "Text1-2147483647".
std::vector<std::string> BreakColumnNames(std::vector<int> breaks);

// The break editor of the wizard's fixed-width step: the first sample lines under a
// character ruler, with an arrow and a line for every break. A click places a break, a
// double click removes one, dragging moves one.
class TBreakEditor : public QWidget {
    Q_OBJECT

public:
    explicit TBreakEditor(QWidget *parent = nullptr);

    const std::vector<int> &Breaks() const { return breaks_; }
    void SetBreaks(std::vector<int> breaks);
    void ClearBreaks() { SetBreaks({}); }

    const std::vector<std::string> &SampleLines() const { return lines_; }
    // Also the vertical scroll bar's maximum, when one is attached.
    void SetSampleLines(std::vector<std::string> lines);

    // True when the sample is MS-DOS text ("ASCII (MS_DOS)"): it is drawn converted.
    bool Oem() const { return oem_; }
    void SetOem(bool oem);

    // First visible character column, from 0, and first visible sample line, from 0.
    int Offset() const { return offset_; }
    int TopLine() const { return topLine_; }
    // Index in Breaks() of the break taken by the last button down; -1 for none.
    int DraggedBreak() const { return dragged_; }
    bool IsButtonDown() const { return buttonDown_; }

    // Width of a character column and height of a sample line, in pixels.
    int CharWidth() const { return charWidth_; }
    int LineHeight() const { return lineHeight_; }
    // Top of the white area that holds the sample lines; the ruler is above it.
    int TextTop() const { return lineHeight_ + 16; }
    int VisibleColumns() const;

    // The bars that scroll the columns and the lines; both stay owned by the caller.
    void SetScrollBars(QScrollBar *horizontal, QScrollBar *vertical);
    // Back to the first column and the first line, bars included.
    void ResetScroll();

Q_SIGNALS:
    // On every button down (the user has handled the breaks, even when the list stays as
    // it was) and whenever the list changes.
    void BreaksChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void MeasureFont();
    int ColumnAt(int x) const { return x / charWidth_; }
    int BreakAt(int position) const;
    void PressAt(int x, bool doubleClick);
    void DragTo(int x);
    void ScrollColumns(int action);
    void ScrollLines(int action);
    void ColumnsMoved(int value);
    void LinesMoved(int value);
    void PaintRuler(QPainter &painter, int columns) const;
    void PaintLines(QPainter &painter, int columns) const;
    void PaintBreaks(QPainter &painter, int columns) const;

    std::vector<int> breaks_;
    std::vector<std::string> lines_;
    bool oem_ = false;
    int offset_ = 0;
    int topLine_ = 0;
    int dragged_ = -1;
    bool buttonDown_ = false;
    int charWidth_ = 1;
    int lineHeight_ = 1;
    QPointer<QScrollBar> horizontal_;
    QPointer<QScrollBar> vertical_;
};

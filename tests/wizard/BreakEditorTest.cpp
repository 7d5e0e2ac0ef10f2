#include "engine/MemoryDataSet.h"

#include "wizard/BreakEditor.h"

#include <QDir>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Breaks = std::vector<int>;

// The editor as the wizard shows it, worked with the mouse the way a user does.
class BreakEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor.resize(600, 200);
        editor.SetSampleLines(sample);
        editor.show();
        w = editor.CharWidth();
        h = editor.LineHeight();
        top = editor.TextTop();
    }

    // The middle of a visible column, on the second sample line.
    QPoint at(int column) const { return {column * w + w / 2, top + h + h / 2}; }
    void click(int column) { QTest::mouseClick(&editor, Qt::LeftButton, {}, at(column)); }
    void doubleClick(int column) { QTest::mouseDClick(&editor, Qt::LeftButton, {}, at(column)); }

    QImage picture() { return editor.grab().toImage(); }
    // Whether the arrow of a break drawn at visible column i is in the picture.
    static bool arrowAt(const QImage &image, int x, int y) { return image.pixelColor(x, y) == Qt::black; }

    std::vector<std::string> sample{
        "0001Ann       Main Street 1         Springfield",      "0002Bob       Elm Road 22           Shelbyville",
        "0003Carla     Oak Avenue 333        Capital City",     "0004Dan       Pine Lane 4           Ogdenville",
        "0005Eve       Birch Way 55          North Haverbrook", "0006Fay       Cedar Court 6         Brockway"};
    TBreakEditor editor;
    int w = 0;
    int h = 0;
    int top = 0;
};

TEST_F(BreakEditorTest, AClickPlacesABreakOutsideTheFirstColumnAndADoubleClickRemovesIt)
{
    QSignalSpy changed(&editor, &TBreakEditor::BreaksChanged);

    click(0);
    EXPECT_EQ(editor.Breaks(), Breaks{});
    click(10);
    click(25);
    EXPECT_EQ(editor.Breaks(), (Breaks{10, 25}));
    click(10); // takes the break there, adds none
    EXPECT_EQ(editor.Breaks(), (Breaks{10, 25}));
    EXPECT_EQ(editor.DraggedBreak(), 0);

    doubleClick(12); // no break there: nothing to remove, nothing added
    EXPECT_EQ(editor.Breaks(), (Breaks{10, 25}));
    doubleClick(10);
    EXPECT_EQ(editor.Breaks(), Breaks{25});
    EXPECT_EQ(editor.DraggedBreak(), -1);
    EXPECT_EQ(changed.count(), 6); // every button down counts as handling the breaks
}

TEST_F(BreakEditorTest, DraggingMovesTheTakenBreakAndMayPutItOnAnother)
{
    click(10);
    click(20);
    QSignalSpy changed(&editor, &TBreakEditor::BreaksChanged);

    QTest::mousePress(&editor, Qt::LeftButton, {}, at(20));
    QTest::mouseMove(&editor, at(15));
    EXPECT_EQ(editor.Breaks(), (Breaks{10, 15}));
    QTest::mouseMove(&editor, at(0)); // the first column takes no break, not even a dragged one
    EXPECT_EQ(editor.Breaks(), (Breaks{10, 15}));
    QTest::mouseMove(&editor, at(10));
    QTest::mouseRelease(&editor, Qt::LeftButton, {}, at(10));
    EXPECT_EQ(editor.Breaks(), (Breaks{10, 10}));
    EXPECT_FALSE(editor.IsButtonDown());
    EXPECT_EQ(changed.count(), 3); // the press and two moves

    QTest::mouseMove(&editor, at(30)); // the button is up: the break stays
    EXPECT_EQ(editor.Breaks(), (Breaks{10, 10}));
    EXPECT_EQ(BreakColumnNames(editor.Breaks()), (std::vector<std::string>{"Text1-10", "Text11-10"}));
}

TEST_F(BreakEditorTest, ScrollBarsMoveByTheirOwnArithmeticAndClicksFollowTheOffset)
{
    QScrollBar horizontal(Qt::Horizontal);
    QScrollBar vertical(Qt::Vertical);
    editor.SetScrollBars(&horizontal, &vertical);
    const int columns = editor.VisibleColumns();
    ASSERT_GT(columns, 20);
    editor.SetBreaks({columns + 5});
    const int arrowY = top - 4;
    EXPECT_FALSE(arrowAt(picture(), 5 * w, arrowY));

    horizontal.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(editor.Offset(), columns);
    EXPECT_EQ(horizontal.value(), columns);
    EXPECT_TRUE(arrowAt(picture(), 5 * w, arrowY)); // the arrow came into sight with the page
    click(3);
    EXPECT_EQ(editor.Breaks(), (Breaks{columns + 5, columns + 3}));

    struct Step {
        QAbstractSlider::SliderAction action;
        int offset;
    };
    for (const Step step :
         {Step{QAbstractSlider::SliderSingleStepSub, columns - 1}, Step{QAbstractSlider::SliderSingleStepAdd, columns},
          Step{QAbstractSlider::SliderToMaximum, 1000}, Step{QAbstractSlider::SliderPageStepAdd, 1000},
          Step{QAbstractSlider::SliderToMinimum, 0}, Step{QAbstractSlider::SliderSingleStepSub, 0}}) {
        horizontal.triggerAction(step.action);
        EXPECT_EQ(editor.Offset(), step.offset) << step.action;
        EXPECT_EQ(horizontal.value(), step.offset) << step.action;
    }
    horizontal.setSliderPosition(40); // dragging the thumb
    EXPECT_EQ(editor.Offset(), 40);

    // Lines: pages of five, down to one past the last line.
    vertical.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(editor.TopLine(), 5);
    vertical.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(editor.TopLine(), static_cast<int>(sample.size()));
    vertical.triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(editor.TopLine(), static_cast<int>(sample.size()) - 1);

    editor.ResetScroll();
    EXPECT_EQ(editor.Offset(), 0);
    EXPECT_EQ(editor.TopLine(), 0);
    EXPECT_EQ(horizontal.value(), 0);
    EXPECT_EQ(vertical.value(), 0);
}

TEST_F(BreakEditorTest, DrawsAnArrowAndALinePerBreakTheDraggedOneDotted)
{
    // Text that is no UTF-8 and control characters are drawn too, one column each.
    sample.push_back("Caf\xE9\t\x01 end");
    editor.SetSampleLines(sample);
    QScrollBar vertical(Qt::Vertical);
    editor.SetScrollBars(nullptr, &vertical);
    for (int i = 0; i < 2; ++i) // the last line comes into view
        vertical.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    click(4);
    click(14);
    click(34);
    QTest::mousePress(&editor, Qt::LeftButton, {}, at(34));
    QTest::mouseMove(&editor, at(40));

    const QImage image = picture();
    const QString path = QDir::temp().filePath(QStringLiteral("breaks.png"));
    EXPECT_TRUE(image.save(path)) << path.toStdString();

    const int below = top + 5 * h + 2; // under the sample: only the break lines are there
    auto solidFrom = [&](int x) {
        for (int y = below; y < editor.height() - 2; ++y)
            if (image.pixelColor(x, y) != Qt::black)
                return false;
        return true;
    };
    for (int column : {4, 14, 40}) {
        EXPECT_TRUE(arrowAt(image, column * w, top - 4)) << column;
        EXPECT_EQ(solidFrom(column * w), column != 40) << column;
    }
    EXPECT_EQ(image.pixelColor(34 * w, below), Qt::white); // the break has left
}

TEST(BreakRestoreTest, SavedFixedWidthMappingsGiveTheirBreaksBack)
{
    const struct {
        std::vector<std::string> values;
        Breaks breaks;
    } cases[] = {
        {{"Text1-10", "Text11-25"}, {10, 25}},
        {{"Text5-10"}, {5, 10}}, // a column not at the line's start keeps its start
        {{"[Text1-10]", "\"Text11-25\"", "[Text26-30"}, {10, 25, 0, 30}}, // the last is no bracketed name
        {{"Text1-10", "Text", "'constant'", "Text11-20"}, {10, 20}},      // no "-": nothing to say
        {{"Text1-10", "Text21-30"}, {10, 21, 30}},
        {{"Text1-10", "Text1-10"}, {10, 1}}, // each position once
        {{"Textx-10", "Text11-y"}, {10, 0}}, // not a number reads as 0
        {{"Text-5", "A-B"}, {5, 0}},
        {{"Text1-2147483647", "Text1-2147483647"}, {2147483647, 1}},
        {{}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RestoreBreaksFromMappings(c.values), c.breaks) << ::testing::PrintToString(c.values);
}

TEST(BreakGuessTest, OneBreakPerDestinationFieldCutAtTheEndOfTheLine)
{
    const TMemoryDataSet destination(
        {{"CODE", TFieldType::ftString, 10}, {"KIND", TFieldType::ftString, 5}, {"NAME", TFieldType::ftString, 20}});
    std::string accented;
    for (int i = 0; i < 12; ++i)
        accented += "\xC3\xA9"; // é, two bytes and one column
    const struct {
        const TDataSet *destination;
        std::string line;
        Breaks breaks;
    } cases[] = {
        {&destination, std::string(40, 'x'), {10, 15, 35}},
        {&destination, std::string(12, 'x'), {10, 12}},
        {&destination, accented, {10, 12}},
        {&destination, "", {0}},
        {nullptr, std::string(40, 'x'), {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(GuessBreaks(c.destination, c.line, ',', '\0'), c.breaks) << c.line;
}

TEST(BreakColumnsTest, SortedBreaksCutTheLineIntoTextColumns)
{
    const struct {
        Breaks breaks;
        std::vector<std::string> names;
    } cases[] = {
        {{}, {"Text1-2147483647"}},
        {{25, 10}, {"Text1-10", "Text11-25"}},
        {{10, 10, 12}, {"Text1-10", "Text11-10", "Text11-12"}},
        {{2147483647}, {"Text1-2147483647"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(BreakColumnNames(c.breaks), c.names) << ::testing::PrintToString(c.breaks);
    EXPECT_EQ(TextColumnName(11, 25), "Text11-25");
}

} // namespace

// The control operations: rows that do not exist, the progress bar's stored values, labels that
// wrap and draw at once, edit boxes that keep every byte, and the check list's mouse and keys.
#include <gtest/gtest.h>

#include <QImage>
#include <QListWidget>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <climits>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ui/controls.h"
#include "ui/style.h"
#include "ui_fixtures.h"

namespace velmora::ui {
namespace {

using testing::gbk;

// ---------------------------------------------------------------------------------------------
// Check list box rows.

TEST(ChkListBoxRows, RowsAreAppendedInOrderUnmarkedAndNumberedFromZero) {
  ChkListBox list(nullptr);
  EXPECT_EQ(list.add_row("b"), 0);
  EXPECT_EQ(list.add_row(gbk("文件.zip")), 1);
  EXPECT_EQ(list.add_row("a"), 2);
  EXPECT_EQ(list.row_count(), 3);
  EXPECT_EQ(list.row_text(0), "b");  // never sorted
  EXPECT_EQ(list.row_text(1), gbk("文件.zip"));
  EXPECT_EQ(list.row_text(2), "a");
  for (int row = 0; row < 3; ++row) EXPECT_FALSE(list.row_checked(row));
  EXPECT_EQ(list.currentRow(), -1);  // no current row at start
}

TEST(ChkListBoxRows, SetRowCheckSetsWithoutAFlagAndClearsWithFalse) {
  ChkListBox list(nullptr);
  list.add_row("a");
  list.add_row("b");
  EXPECT_TRUE(list.set_row_check(1));
  EXPECT_TRUE(list.row_checked(1));
  EXPECT_FALSE(list.row_checked(0));
  EXPECT_TRUE(list.set_row_check(1, true));
  EXPECT_TRUE(list.row_checked(1));
  EXPECT_TRUE(list.set_row_check(1, false));
  EXPECT_FALSE(list.row_checked(1));
}

struct MissingRowCase {
  std::int32_t row;
  friend void PrintTo(const MissingRowCase& c, std::ostream* os) { *os << "row " << c.row; }
};

class ChkListBoxMissingRow : public ::testing::TestWithParam<MissingRowCase> {};

TEST_P(ChkListBoxMissingRow, ReadsAsEmptyAndUnmarkedAndCannotBeMarked) {
  ChkListBox list(nullptr);
  list.add_row("a");
  list.add_row("b");
  list.set_row_check(0);
  list.set_row_check(1);
  const std::int32_t row = GetParam().row;
  EXPECT_EQ(list.row_text(row), "");
  EXPECT_FALSE(list.row_checked(row));
  EXPECT_FALSE(list.set_row_check(row));
  EXPECT_FALSE(list.set_row_check(row, false));
  EXPECT_TRUE(list.row_checked(0));  // nothing else changed
  EXPECT_TRUE(list.row_checked(1));
  EXPECT_EQ(list.row_count(), 2);
}

INSTANTIATE_TEST_SUITE_P(BelowZeroOrAtOrPastTheCount, ChkListBoxMissingRow,
                         ::testing::Values(MissingRowCase{-1}, MissingRowCase{2}, MissingRowCase{3},
                                           MissingRowCase{INT32_MIN}, MissingRowCase{INT32_MAX}));

TEST(ChkListBoxRows, RowsAreTwoPixelsTallerThanAPlainList) {
  QListWidget plain;
  auto* plain_row = new QListWidgetItem(QStringLiteral("a"), &plain);
  plain_row->setFlags(plain_row->flags() | Qt::ItemIsUserCheckable);
  plain_row->setCheckState(Qt::Unchecked);
  ChkListBox list(nullptr);
  list.setFont(plain.font());
  list.add_row("a");
  list.resize(plain.size());
  EXPECT_EQ(list.visualItemRect(list.item(0)).height(),
            plain.visualItemRect(plain.item(0)).height() + 2);
}

// ---------------------------------------------------------------------------------------------
// Check list box mouse and keys, driven through the window as real input arrives.

class ChkListBoxInput : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.resize(300, 200);
    list_.setGeometry(0, 0, 300, 200);
    for (const char* name : {"one", "two", "three"}) list_.add_row(name);
    host_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host_));
  }

  QPoint in_window(QPoint viewport_point) {
    return list_.viewport()->mapTo(&host_, viewport_point);
  }
  QPoint check_box_of(int row) { return in_window(list_.check_box_rect(row).center()); }
  QPoint text_of(int row) {
    const QRect row_rect = list_.visualItemRect(list_.item(row));
    return in_window(QPoint(row_rect.right() - 20, row_rect.center().y()));
  }

  QWidget host_;
  ChkListBox list_{&host_};
};

TEST_F(ChkListBoxInput, ClickOnACheckBoxTogglesItAndMakesTheRowCurrent) {
  ASSERT_FALSE(list_.check_box_rect(1).isEmpty());
  QTest::mouseClick(host_.windowHandle(), Qt::LeftButton, Qt::NoModifier, check_box_of(1));
  EXPECT_TRUE(list_.row_checked(1));
  EXPECT_EQ(list_.currentRow(), 1);
  QTest::mouseClick(host_.windowHandle(), Qt::LeftButton, Qt::NoModifier, check_box_of(2));
  EXPECT_TRUE(list_.row_checked(2));
  EXPECT_EQ(list_.currentRow(), 2);
  QTest::mouseClick(host_.windowHandle(), Qt::LeftButton, Qt::NoModifier, check_box_of(1));
  EXPECT_FALSE(list_.row_checked(1));
  EXPECT_EQ(list_.currentRow(), 1);
}

TEST_F(ChkListBoxInput, ClickOnTheTextOnlyMakesTheRowCurrent) {
  QTest::mouseClick(host_.windowHandle(), Qt::LeftButton, Qt::NoModifier, text_of(2));
  EXPECT_EQ(list_.currentRow(), 2);
  for (int row = 0; row < 3; ++row) EXPECT_FALSE(list_.row_checked(row));
}

TEST_F(ChkListBoxInput, DoubleClickOnACheckBoxTogglesItTwice) {
  QSignalSpy changes(&list_, &QListWidget::itemChanged);
  QTest::mouseDClick(host_.windowHandle(), Qt::LeftButton, Qt::NoModifier, check_box_of(0));
  EXPECT_EQ(changes.count(), 2);
  EXPECT_FALSE(list_.row_checked(0));
  EXPECT_EQ(list_.currentRow(), 0);
}

TEST_F(ChkListBoxInput, SpaceTogglesTheFocusedRow) {
  list_.setFocus();
  list_.setCurrentRow(1);
  QTest::keyClick(&list_, Qt::Key_Space);
  EXPECT_TRUE(list_.row_checked(1));
  QTest::keyClick(&list_, Qt::Key_Space);
  EXPECT_FALSE(list_.row_checked(1));
  EXPECT_FALSE(list_.row_checked(0));
  EXPECT_FALSE(list_.row_checked(2));
}

// ---------------------------------------------------------------------------------------------
// Progress bar: stored values limited to 0..32767, drawn within the range.

struct ProgressCase {
  const char* what;
  std::int32_t maximum;
  std::int32_t position;
  std::int32_t stored_maximum;
  std::int32_t stored_position;
  int drawn_maximum;
  int drawn_position;
  friend void PrintTo(const ProgressCase& c, std::ostream* os) { *os << c.what; }
};

class ProcessBarValues : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProcessBarValues, StoresLimitedValuesAndDrawsThePositionWithinTheRange) {
  const ProgressCase& c = GetParam();
  ProcessBar bar(nullptr);
  bar.set_progress_maximum(c.maximum);
  bar.set_progress_position(c.position);
  EXPECT_EQ(bar.progress_minimum(), 0);
  EXPECT_EQ(bar.progress_maximum(), c.stored_maximum);
  EXPECT_EQ(bar.progress_position(), c.stored_position);
  EXPECT_EQ(bar.maximum(), c.drawn_maximum);
  EXPECT_EQ(bar.value(), c.drawn_position);
  EXPECT_LT(bar.minimum(), bar.maximum()) << "an empty range would draw a busy bar";
}

INSTANTIATE_TEST_SUITE_P(
    Clamps, ProcessBarValues,
    ::testing::Values(ProgressCase{"within", 100, 40, 100, 40, 100, 40},
                      ProgressCase{"past_the_maximum", 100, 150, 100, 150, 100, 100},
                      ProgressCase{"negative_maximum", -5, 3, 0, 3, 1, 0},
                      ProgressCase{"huge_maximum", 40000, 40000, 32767, 32767, 32767, 32767},
                      ProgressCase{"negative_position", 10, -1, 10, 0, 10, 0},
                      ProgressCase{"zero_maximum_is_an_empty_bar", 0, 0, 0, 0, 1, 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(ProcessBar, StartsAtZeroOfAHundredAndALowerMaximumMovesTheDrawnPositionOnly) {
  ProcessBar bar(nullptr);
  EXPECT_EQ(bar.progress_minimum(), 0);
  EXPECT_EQ(bar.progress_maximum(), 100);
  EXPECT_EQ(bar.progress_position(), 0);
  EXPECT_FALSE(bar.isTextVisible());
  bar.set_progress_position(80);
  bar.set_progress_maximum(50);
  EXPECT_EQ(bar.progress_position(), 80);
  EXPECT_EQ(bar.value(), 50);
  bar.set_progress_maximum(90);
  EXPECT_EQ(bar.value(), 80);
}

// The bar is drawn from a picture of itself that each new position only touches up around the
// chunk's end; after any series of changes it must look exactly as a bar drawn whole.
struct BarSeriesCase {
  const char* what;
  std::int32_t scheme;  // the visual style on, 0 for the platform's look
  std::vector<std::pair<std::int32_t, std::int32_t>> steps;  // (maximum, position)
  friend void PrintTo(const BarSeriesCase& c, std::ostream* os) { *os << c.what; }
};

std::vector<std::pair<std::int32_t, std::int32_t>> forward_back_forward(std::int32_t maximum) {
  std::vector<std::pair<std::int32_t, std::int32_t>> steps;
  for (std::int32_t p = 0; p <= maximum; ++p) steps.emplace_back(maximum, p);
  for (std::int32_t p = maximum; p >= 0; p -= 7) steps.emplace_back(maximum, p);
  for (std::int32_t p = 0; p <= maximum / 2; ++p)
    steps.emplace_back(maximum, p);  // ends seen before
  return steps;
}

class ProcessBarLook : public ::testing::TestWithParam<BarSeriesCase> {};

TEST_P(ProcessBarLook, LooksAsABarDrawnWholeAfterEveryChange) {
  const BarSeriesCase& c = GetParam();
  apply_visual_style(c.scheme);
  auto make_host = [](QWidget& host) {
    host.resize(797, 40);
    host.setBackgroundRole(QPalette::Button);
    host.setAutoFillBackground(true);
  };
  QWidget host;
  QWidget plain_host;
  make_host(host);
  make_host(plain_host);
  ProcessBar bar(&host);
  QProgressBar plain(&plain_host);
  plain.setTextVisible(false);
  bar.setGeometry(0, 12, 797, 16);
  plain.setGeometry(0, 12, 797, 16);
  for (const auto& [maximum, position] : c.steps) {
    bar.set_progress_maximum(maximum);
    bar.set_progress_position(position);
    plain.setRange(bar.minimum(), bar.maximum());  // the range and value the bar draws
    plain.setValue(bar.value());
    const QImage drawn = host.grab(bar.geometry()).toImage();
    const QImage whole = plain_host.grab(plain.geometry()).toImage();
    ASSERT_TRUE(drawn == whole) << "maximum " << maximum << ", position " << position;
  }
  apply_visual_style(0);
}

INSTANTIATE_TEST_SUITE_P(Series, ProcessBarLook,
                         ::testing::Values(BarSeriesCase{"step_by_step_to_the_end_back_and_again",
                                                         0, forward_back_forward(300)},
                                           BarSeriesCase{"step_by_step_in_the_flat_look", 1,
                                                         forward_back_forward(120)},
                                           BarSeriesCase{"jumps_ends_and_a_new_maximum",
                                                         0,
                                                         {{100, 3},
                                                          {100, 97},
                                                          {100, 40},
                                                          {100, 41},
                                                          {100, 100},
                                                          {100, 99},
                                                          {100, 0},
                                                          {100, 1},
                                                          {1000, 1},
                                                          {1000, 2},
                                                          {1000, 500},
                                                          {7, 500},
                                                          {7, 3},
                                                          {40000, 20000},
                                                          {40000, 20001},
                                                          {0, 5},
                                                          {10, 5},
                                                          {10, 6}}}),
                         [](const auto& info) { return std::string(info.param.what); });

// ---------------------------------------------------------------------------------------------
// Labels.

TEST(TransLabel, ATextTooLongForTheWidthWrapsAndOnlyItsFirstLineShows) {
  QWidget host;
  host.resize(300, 200);
  TransLabel cut(&host);
  TransLabel tall(&host);
  cut.setGeometry(0, 0, 290, 16);
  tall.setGeometry(0, 20, 290, 120);
  std::string long_text;
  for (int i = 0; i < 40; ++i) long_text += gbk("下载 ");
  cut.set_text(long_text);
  tall.set_text(long_text);
  EXPECT_EQ(cut.get_text(), long_text);

  const QImage cut_image = cut.grab().toImage();
  const QImage tall_image = tall.grab().toImage();
  ASSERT_EQ(cut_image.height(), 16 * cut_image.devicePixelRatio());
  // The tall label shows more than one line ...
  const QImage below = tall_image.copy(0, cut_image.height(), tall_image.width(),
                                       tall_image.height() - cut_image.height());
  bool ink_below = false;
  const QRgb blank = below.pixel(below.width() - 1, below.height() - 1);
  for (int y = 0; y < below.height() && !ink_below; ++y) {
    for (int x = 0; x < below.width(); ++x) {
      if (below.pixel(x, y) != blank) {
        ink_below = true;
        break;
      }
    }
  }
  EXPECT_TRUE(ink_below) << "the text did not wrap";
  // ... and the short one its top 16 pixels exactly: wrapped alike, from the top, cut below.
  EXPECT_EQ(cut_image, tall_image.copy(0, 0, cut_image.width(), cut_image.height()));
}

TEST(TransLabel, SetTextDrawsTheLabelAndWhatLiesBeneathWithinTheCall) {
  QWidget window;
  window.resize(400, 100);
  ProcessBar bar(&window);
  TransLabel counter(&window);
  TransLabel elsewhere(&window);
  bar.setGeometry(0, 50, 397, 16);
  counter.setGeometry(0, 50, 397, 16);
  elsewhere.setGeometry(0, 0, 100, 16);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QCoreApplication::processEvents();

  testing::PaintCounter paints;
  paints.watch(window);
  paints.watch(bar);
  paints.watch(counter);
  paints.watch(elsewhere);
  counter.set_text(gbk("共有文件3个"));  // no event loop runs from here on
  EXPECT_GE(paints.count(window), 1);
  EXPECT_GE(paints.count(bar), 1);
  EXPECT_GE(paints.count(counter), 1);
  EXPECT_EQ(paints.count(elsewhere), 0);
  EXPECT_EQ(counter.text(), QStringLiteral("共有文件3个"));
}

TEST(TransLabel, ShowsMarkupAsPlainText) {
  TransLabel label(nullptr);
  label.set_text("<b>x</b>");
  EXPECT_EQ(label.textFormat(), Qt::PlainText);
  EXPECT_EQ(label.get_text(), "<b>x</b>");
}

// ---------------------------------------------------------------------------------------------
// Edit boxes.

struct RoundTripCase {
  const char* what;
  EditBox::Lines lines;
  std::string put;
  std::string got;
  friend void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.what; }
};

class EditBoxRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(EditBoxRoundTrip, GivesBackWhatWasSet) {
  const RoundTripCase& c = GetParam();
  EditBox box(nullptr, c.lines);
  box.set_text(c.put);
  EXPECT_EQ(box.get_text(), c.got);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EditBoxRoundTrip,
    ::testing::Values(RoundTripCase{"empty", EditBox::Lines::single, "", ""},
                      RoundTripCase{"gbk", EditBox::Lines::single, gbk("分享 http://a/?uk=1"),
                                    gbk("分享 http://a/?uk=1")},
                      RoundTripCase{"ends_at_a_zero_byte", EditBox::Lines::single,
                                    std::string("ab\0cd", 5), "ab"},
                      RoundTripCase{"longer_than_qt_allows_by_default", EditBox::Lines::single,
                                    std::string(40000, 'k'), std::string(40000, 'k')},
                      RoundTripCase{"crlf_lines", EditBox::Lines::multiple, "a\r\nb\r\n",
                                    "a\r\nb\r\n"},
                      RoundTripCase{"blank_lines", EditBox::Lines::multiple, gbk("一\r\n\r\n二"),
                                    gbk("一\r\n\r\n二")},
                      RoundTripCase{"long_box_text", EditBox::Lines::multiple,
                                    std::string(70000, 'x'), std::string(70000, 'x')}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(EditBox, AppendPutsTheTextAtTheEndLeavesTheCaretThereAndCannotBeUndone) {
  for (const auto lines : {EditBox::Lines::single, EditBox::Lines::multiple}) {
    SCOPED_TRACE(lines == EditBox::Lines::single ? "single" : "multiple");
    EditBox box(nullptr, lines);
    box.set_text("ab");
    if (box.line_editor()) {
      box.line_editor()->setCursorPosition(0);
    } else {
      box.text_editor()->moveCursor(QTextCursor::Start);
    }
    box.append_to_box("cd");
    box.append_to_box("ef");
    EXPECT_EQ(box.get_text(), "abcdef");
    if (QLineEdit* line = box.line_editor()) {
      EXPECT_EQ(line->cursorPosition(), 6);
      EXPECT_FALSE(line->isUndoAvailable());
    } else {
      EXPECT_TRUE(box.text_editor()->textCursor().atEnd());
      EXPECT_FALSE(box.text_editor()->document()->isUndoAvailable());
    }
  }
}

TEST(EditBox, SetTextPutsTheCaretAtTheStart) {
  EditBox line(nullptr, EditBox::Lines::single);
  line.set_text("http://host/share/home?uk=1");
  EXPECT_EQ(line.line_editor()->cursorPosition(), 0);
  EXPECT_FALSE(line.line_editor()->hasSelectedText());
  EditBox box(nullptr, EditBox::Lines::multiple);
  box.set_text("a\r\nb");
  EXPECT_TRUE(box.text_editor()->textCursor().atStart());
}

}  // namespace
}  // namespace velmora::ui

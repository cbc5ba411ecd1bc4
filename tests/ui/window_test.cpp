// The main window as created: every control in its place, the window's own settings, and its keys.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <string>
#include <vector>

#include "ui/main_window.h"
#include "ui_fixtures.h"

namespace velmora::ui {
namespace {

using testing::gbk;

struct ControlRow {
  const char* name;
  const char* kind;
  QRect place;
  bool visible;
  std::string text_at_start;  // GBK; a button's caption, a box's content, a label's text
};

// Top of the stacking order first.
std::vector<ControlRow> control_table() {
  return {
      {"按钮反选", "velmora::ui::Button", {80, 616, 56, 24}, true, gbk("反选")},
      {"按钮全选", "velmora::ui::Button", {8, 616, 56, 24}, true, gbk("全选")},
      {"按钮2", "velmora::ui::Button", {168, 616, 84, 24}, true, gbk("导出下载地址")},
      {"选择列表框2", "velmora::ui::ChkListBox", {840, 64, 336, 520}, false, ""},
      {"选择列表框1", "velmora::ui::ChkListBox", {0, 72, 325, 520}, true, ""},
      {"透明标签4", "velmora::ui::TransLabel", {0, 592, 797, 16}, true, ""},
      {"进度条1", "velmora::ui::ProcessBar", {0, 592, 797, 16}, true, ""},
      {"透明标签3", "velmora::ui::TransLabel", {493, 664, 290, 16}, true, ""},
      {"透明标签2", "velmora::ui::TransLabel", {493, 640, 290, 16}, true, ""},
      {"透明标签1", "velmora::ui::TransLabel", {493, 616, 290, 16}, true, ""},
      {"编辑框1",
       "velmora::ui::EditBox",
       {39, 21, 281, 29},
       true,
       "http://" + std::string(harvest::service_host()) + "/share/home?uk=100000001"},
      {"编辑框2", "velmora::ui::EditBox", {334, 71, 463, 520}, true, ""},
      {"按钮1", "velmora::ui::Button", {327, 20, 84, 29}, true, gbk("提取下载地址")},
  };
}

std::string text_of(QWidget* control) {
  if (auto* button = qobject_cast<Button*>(control)) return from_qstring(button->text());
  if (auto* box = qobject_cast<EditBox*>(control)) return box->get_text();
  if (auto* label = qobject_cast<TransLabel*>(control)) return label->get_text();
  return "";
}

class MainWindowTest : public ::testing::Test {
 protected:
  void show() {
    window_.move_to_centre();
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }
  MainWindow window_;
};

TEST_F(MainWindowTest, EveryControlHasItsNameKindPlaceVisibilityTextAndStackingOrder) {
  show();
  const QObjectList& bottom_first = window_.children();
  int index_above = static_cast<int>(bottom_first.size());
  for (const ControlRow& row : control_table()) {
    SCOPED_TRACE(row.name);
    auto* control = window_.findChild<QWidget*>(QString::fromUtf8(row.name));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget(), &window_);
    EXPECT_STREQ(control->metaObject()->className(), row.kind);
    EXPECT_EQ(control->geometry(), row.place);
    EXPECT_EQ(control->isVisible(), row.visible);
    EXPECT_EQ(text_of(control), row.text_at_start);
    const int index = static_cast<int>(bottom_first.indexOf(control));
    EXPECT_LT(index, index_above) << "lies above the control listed before it";
    index_above = index;
  }
  EXPECT_EQ(window_.选择列表框1.row_count(), 0);
  EXPECT_EQ(window_.选择列表框2.row_count(), 0);
  EXPECT_EQ(window_.选择列表框1.currentRow(), -1);
  ASSERT_NE(window_.findChild<Q_tip*>(QStringLiteral("气球提示框1")), nullptr);
}

TEST_F(MainWindowTest, TheLinkListLiesBeyondTheRightEdgeAndStaysHidden) {
  show();
  EXPECT_GE(window_.选择列表框2.x(), window_.width());
  EXPECT_FALSE(window_.选择列表框2.isVisible());
  window_.选择列表框2.add_row("http://a/b");
  window_.hide();
  window_.show();
  EXPECT_FALSE(window_.选择列表框2.isVisible());
}

TEST_F(MainWindowTest, IsAFixedCaptionedWindowWithACloseButtonOnlyCentredOnThePrimaryScreen) {
  show();
  EXPECT_EQ(window_.windowTitle(), QStringLiteral("Velmora"));
  EXPECT_EQ(window_.size(), MainWindow::client_size);
  EXPECT_EQ(window_.minimumSize(), MainWindow::client_size);
  EXPECT_EQ(window_.maximumSize(), MainWindow::client_size);
  const Qt::WindowFlags flags = window_.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowStaysOnTopHint));

  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(window_.frameGeometry().topLeft(), QPoint(screen.x() + (screen.width() - 802) / 2,
                                                      screen.y() + (screen.height() - 717) / 2));

  // The controls the table places all lie in the client area, but the hidden link list.
  for (QWidget* control : window_.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (control == &window_.选择列表框2) continue;
    EXPECT_TRUE(window_.rect().contains(control->geometry()))
        << control->objectName().toStdString();
  }
}

TEST_F(MainWindowTest, UsesTheButtonFaceAndTheDefaultGuiFontThroughout) {
  EXPECT_EQ(window_.backgroundRole(), QPalette::Button);
  EXPECT_TRUE(window_.autoFillBackground());
  const QFont gui_font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  EXPECT_EQ(window_.font(), gui_font);
  EXPECT_EQ(window_.编辑框2.editor()->font(), gui_font);
  EXPECT_EQ(window_.透明标签1.font(), gui_font);
}

TEST_F(MainWindowTest, EditBoxesAreSetUpAsTheirKindsAre) {
  QLineEdit* address = window_.编辑框1.line_editor();
  ASSERT_NE(address, nullptr);
  EXPECT_FALSE(address->isReadOnly());
  EXPECT_EQ(address->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(address->cursorPosition(), 0);
  EXPECT_FALSE(address->hasSelectedText());
  EXPECT_TRUE(address->hasFrame());

  QPlainTextEdit* export_box = window_.编辑框2.text_editor();
  ASSERT_NE(export_box, nullptr);
  EXPECT_FALSE(export_box->isReadOnly());
  EXPECT_EQ(export_box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(export_box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_NE(export_box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_TRUE(export_box->tabChangesFocus());
}

TEST_F(MainWindowTest, EnterBreaksALineInTheExportBoxAndClicksNoButton) {
  show();
  std::vector<std::unique_ptr<QSignalSpy>> clicks;
  for (Button* button : {&window_.按钮1, &window_.按钮2, &window_.按钮全选, &window_.按钮反选}) {
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
    clicks.push_back(std::make_unique<QSignalSpy>(button, &QPushButton::clicked));
  }
  QWidget* focus_targets[] = {window_.编辑框1.editor(), &window_.按钮1,    &window_.按钮2,
                              &window_.按钮全选,        &window_.按钮反选, &window_.选择列表框1};
  for (QWidget* target : focus_targets) {
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);
    QTest::keyClick(target, Qt::Key_Enter);
  }
  for (const auto& spy : clicks) EXPECT_EQ(spy->count(), 0);

  window_.编辑框2.set_text("ab");
  window_.编辑框2.text_editor()->moveCursor(QTextCursor::End);
  QTest::keyClick(window_.编辑框2.text_editor(), Qt::Key_Return);
  QTest::keyClicks(window_.编辑框2.text_editor(), "c");
  EXPECT_EQ(window_.编辑框2.get_text(), "ab\r\nc");
  EXPECT_EQ(window_.编辑框1.get_text(), control_table()[10].text_at_start);
  EXPECT_TRUE(window_.isVisible());
}

TEST_F(MainWindowTest, TabMovesAmongTheTabStopsAndSkipsLabelsAndTheBar) {
  show();
  QApplication::setActiveWindow(&window_);
  window_.编辑框1.setFocus();
  std::vector<QWidget*> visited;
  for (int i = 0; i < 7; ++i) {
    visited.push_back(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  EXPECT_EQ(QApplication::focusWidget(), window_.编辑框1.editor()) << "Tab went round";
  const std::vector<QWidget*> expected = {
      window_.编辑框1.editor(), &window_.按钮1,    &window_.选择列表框1, window_.编辑框2.editor(),
      &window_.按钮全选,        &window_.按钮反选, &window_.按钮2};
  EXPECT_EQ(visited, expected);
}

}  // namespace
}  // namespace velmora::ui

// Checking files and exporting their links, through the window's buttons.
#include <gtest/gtest.h>

#include <QTest>
#include <ostream>
#include <string>
#include <vector>

#include "ui/main_window.h"
#include "ui_fixtures.h"

namespace velmora::ui {
namespace {

using testing::gbk;

class SelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.编辑框2.set_text(gbk("请勿关闭！\r\n\r\n"));  // stands for the start-up notices
  }

  void add_files(int count) {
    for (int i = 0; i < count; ++i) {
      window_.选择列表框1.add_row(gbk("文件") + std::to_string(i));
      window_.选择列表框2.add_row("http://d/" + std::to_string(i));
    }
  }
  void mark(std::vector<bool> marks) {
    for (std::size_t row = 0; row < marks.size(); ++row) {
      window_.选择列表框1.set_row_check(static_cast<std::int32_t>(row), marks[row]);
    }
  }
  std::vector<bool> marks() {
    std::vector<bool> now;
    for (std::int32_t row = 0; row < window_.选择列表框1.row_count(); ++row) {
      now.push_back(window_.选择列表框1.row_checked(row));
    }
    return now;
  }
  void press(Button& button) { QTest::mouseClick(&button, Qt::LeftButton); }

  MainWindow window_;
};

TEST_F(SelectionTest, WithNoFilesNothingChangesAndTheExportBoxIsEmptied) {
  press(window_.按钮全选);
  press(window_.按钮反选);
  EXPECT_EQ(window_.选择列表框1.row_count(), 0);
  press(window_.按钮2);
  EXPECT_EQ(window_.编辑框2.get_text(), "");
}

TEST_F(SelectionTest, CheckAllMarksEveryRowAndInvertClearsThemAgain) {
  add_files(3);
  mark({false, true, false});
  press(window_.按钮全选);
  EXPECT_EQ(marks(), (std::vector<bool>{true, true, true}));
  press(window_.按钮反选);
  EXPECT_EQ(marks(), (std::vector<bool>{false, false, false}));
}

TEST_F(SelectionTest, InvertTwiceGivesBackTheMarksItStartedFrom) {
  add_files(4);
  mark({true, false, false, true});
  press(window_.按钮反选);
  EXPECT_EQ(marks(), (std::vector<bool>{false, true, true, false}));
  press(window_.按钮反选);
  EXPECT_EQ(marks(), (std::vector<bool>{true, false, false, true}));
}

TEST_F(SelectionTest, SelectionLeavesRowsTheCurrentRowAndTheLinkListsMarksAlone) {
  add_files(3);
  window_.选择列表框1.setCurrentRow(2);
  press(window_.按钮全选);
  press(window_.按钮反选);
  press(window_.按钮2);
  EXPECT_EQ(window_.选择列表框1.currentRow(), 2);
  EXPECT_EQ(window_.选择列表框1.row_count(), 3);
  EXPECT_EQ(window_.选择列表框2.row_count(), 3);
  for (std::int32_t row = 0; row < 3; ++row) {
    EXPECT_FALSE(window_.选择列表框2.row_checked(row));
    EXPECT_EQ(window_.选择列表框1.row_text(row), gbk("文件") + std::to_string(row));
  }
}

struct ExportCase {
  const char* what;
  std::vector<bool> marks;
  std::string exported;
  friend void PrintTo(const ExportCase& c, std::ostream* os) { *os << c.what; }
};

class ExportTest : public SelectionTest, public ::testing::WithParamInterface<ExportCase> {};

TEST_P(ExportTest, TheBoxHoldsTheMarkedLinksInRowOrderEachEndedByCrLf) {
  add_files(4);
  mark(GetParam().marks);
  window_.编辑框2.append_to_box("typed by the user");
  press(window_.按钮2);
  EXPECT_EQ(window_.编辑框2.get_text(), GetParam().exported);
  EXPECT_TRUE(window_.编辑框2.text_editor()->textCursor().atEnd());
  EXPECT_EQ(marks(), GetParam().marks) << "exporting changes no mark";
}

INSTANTIATE_TEST_SUITE_P(
    Marks, ExportTest,
    ::testing::Values(ExportCase{"none", {false, false, false, false}, ""},
                      ExportCase{"all",
                                 {true, true, true, true},
                                 "http://d/0\r\nhttp://d/1\r\nhttp://d/2\r\nhttp://d/3\r\n"},
                      ExportCase{
                          "some", {false, true, false, true}, "http://d/1\r\nhttp://d/3\r\n"},
                      ExportCase{"last", {false, false, false, true}, "http://d/3\r\n"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(SelectionTest, ExportingTwiceGivesTheSameContent) {
  add_files(2);
  press(window_.按钮全选);
  press(window_.按钮2);
  press(window_.按钮2);
  EXPECT_EQ(window_.编辑框2.get_text(), "http://d/0\r\nhttp://d/1\r\n");
}

TEST_F(SelectionTest, AMarkedFileWithoutALinkRowExportsAnEmptyLine) {
  add_files(2);
  window_.选择列表框1.add_row(gbk("没有链接"));  // a harvest stopped between name and link
  press(window_.按钮全选);
  press(window_.按钮2);
  EXPECT_EQ(window_.编辑框2.get_text(), "http://d/0\r\nhttp://d/1\r\n\r\n");
}

TEST_F(SelectionTest, RowsAddedTwiceAreExportedTwiceInRowOrder) {
  add_files(2);
  add_files(2);
  press(window_.按钮全选);
  press(window_.按钮2);
  EXPECT_EQ(window_.编辑框2.get_text(), "http://d/0\r\nhttp://d/1\r\nhttp://d/0\r\nhttp://d/1\r\n");
}

TEST_F(SelectionTest, ALinkIsExportedByteForByte) {
  const std::string link = "http://d/" + gbk("文件 名") + "?a=1&b=%20#x";
  window_.选择列表框1.add_row(gbk("文件 名"));
  window_.选择列表框2.add_row(link);
  press(window_.按钮全选);
  press(window_.按钮2);
  EXPECT_EQ(window_.编辑框2.get_text(), link + "\r\n");
}

}  // namespace
}  // namespace velmora::ui

// Bad addresses typed into the window's address box and bad share-home pages, through the extract
// button: the window reports the stop or shows the right rows, sends nothing the address did not
// ask for, and stays usable: the next harvest, the check buttons and the export all work.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

#include "tests/badinput/badinput_rows.h"
#include "ui/main_window.h"

namespace velmora::badinput {
namespace {

struct WindowRow {
  const char* name;
  QString address;                         // as the user types it, in Unicode
  std::function<std::string()> home_page;  // the share-home page
  bool link_pages_answer;
  bool reports_stop;
  std::vector<std::string> targets;  // on the wire, in order
  int rows;                          // rows in both lists afterwards
};

void PrintTo(const WindowRow& row, std::ostream* os) {
  *os << row.name;
}

std::vector<WindowRow> window_rows() {
  return {
      {"AddressWithoutTheKeyMarker",
       "http://pan.example/share/home",
       one_share_page,
       true,
       true,
       {},
       0},
      {"AddressEndingRightAfterTheKeyMarker",
       "pan.example/?uk=",
       one_share_page,
       true,
       true,
       {},
       0},
      {"KeyHoldingSpaces",
       "uk=12 34",
       one_share_page,
       true,
       false,
       {"/share/home?uk=12%2034", "/share/link?shareid=7&uk=12%2034"},
       1},
      {"KeyHoldingCrLfAndAHeader",
       "uk=5\r\nX-Injected: yes",
       one_share_page,
       true,
       false,
       {"/share/home?uk=5%0D%0AX-Injected:%20yes",
        "/share/link?shareid=7&uk=5%0D%0AX-Injected:%20yes"},
       1},
      {"KeyHoldingAHash",
       "uk=5#part",
       one_share_page,
       true,
       false,
       {"/share/home?uk=5", "/share/link?shareid=7&uk=5"},
       1},
      // ä has no GBK form and no best fit ("?"), € is 0x80, the emoji has none either.
      {"KeyHoldingCharactersGbkLacks",
       QString::fromUtf8("uk=5\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"),
       one_share_page,
       true,
       false,
       {"/share/home?uk=5?%80?", "/share/link?shareid=7&uk=5?%80?"},
       1},
      {"MegabyteAddress", "uk=" + QString(1 << 20, '9'), one_share_page, true, true, {}, 0},
      {"FortyThousandShares",
       "uk=4",
       forty_thousand_shares,
       false,
       true,
       {"/share/home?uk=4", "/share/link?shareid=1&uk=4"},
       0},
  };
}

BadInputRow service_row(const WindowRow& row) {
  BadInputRow service;
  service.name = row.name;
  service.home_page = row.home_page;
  service.link_pages_answer = row.link_pages_answer;
  return service;
}

class BadInputWindow : public ::testing::TestWithParam<WindowRow> {};

TEST_P(BadInputWindow, WindowReportsOrShowsTheRowsAndStaysUsable) {
  const WindowRow& row = GetParam();
  loopback::LoopbackServer server(service_for(service_row(row)));
  harvest::HarvestState state;
  std::vector<QString> reports;
  ui::WindowServices services;
  services.state = state;
  services.host = "127.0.0.1:" + std::to_string(server.port());
  services.report_stop = [&](const QString& message) { reports.push_back(message); };
  ui::MainWindow window(services);
  window.show();

  window.编辑框1.line_editor()->setText(row.address);
  QTest::mouseClick(&window.按钮1, Qt::LeftButton);

  EXPECT_EQ(reports.size(), row.reports_stop ? 1u : 0u);
  if (!reports.empty()) {
    EXPECT_FALSE(reports.front().isEmpty());
  }
  std::vector<std::string> targets;
  for (const auto& request : server.requests()) targets.push_back(request.target);
  EXPECT_EQ(targets, row.targets);
  EXPECT_EQ(window.选择列表框1.row_count(), row.rows);
  EXPECT_EQ(window.选择列表框2.row_count(), row.rows);
  EXPECT_EQ(window.编辑框1.line_editor()->text(), row.address) << "the box keeps the address";

  // Still usable: a sound harvest appends its row, and the buttons check and export every row.
  BadInputRow sound;
  sound.home_page = one_share_page;
  server.set_handler(service_for(sound));
  window.编辑框1.line_editor()->setText("http://pan.example/share/home?uk=8");
  QTest::mouseClick(&window.按钮1, Qt::LeftButton);
  EXPECT_EQ(reports.size(), row.reports_stop ? 1u : 0u);
  const int rows_now = window.选择列表框1.row_count();
  ASSERT_GT(rows_now, row.rows);
  EXPECT_EQ(window.选择列表框2.row_count(), rows_now);
  EXPECT_EQ(window.选择列表框1.row_text(rows_now - 1), "file-7");
  QTest::mouseClick(&window.按钮全选, Qt::LeftButton);
  QTest::mouseClick(&window.按钮2, Qt::LeftButton);
  std::string exported;
  for (int i = 0; i < rows_now; ++i) exported += "http://d/7/f\r\n";
  EXPECT_EQ(window.编辑框2.get_text(), exported);
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInputWindow, ::testing::ValuesIn(window_rows()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmora::badinput

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}

// A harvest started with the extract button, against a fake service: what the real controls show
// during and after the run, and how a stop is reported without touching the window.
#include <gtest/gtest.h>

#include <QTest>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "harvest/harvest.h"
#include "tools/sample_service/sample_service.h"
#include "ui/main_window.h"
#include "ui_fixtures.h"

namespace velmora::ui {
namespace {

using testing::gbk;

constexpr const char* kHost = "pan.test";

std::string home_address(const std::string& key) {
  return std::string("http://") + kHost + "/share/home?uk=" + key;
}
std::string link_address(const std::string& id, const std::string& key) {
  return std::string("http://") + kHost + "/share/link?shareid=" + id + "&uk=" + key;
}

std::string home_page(const std::vector<std::string>& ids) {
  std::string page = R"({"records":[)";
  for (const std::string& id : ids) page += R"({"shareId\":)" + id + R"(,"public":1},)";
  return page + "]}";
}

// A link page with the name between its markers and the link escaped as the service sends it.
std::string link_page(const std::string& name, const std::string& id) {
  return "<div>" + gbk("文件名:") + name + gbk("文件大小:") + "12KB</div><script>var d={" +
         R"("dlink\":\"http:\\/\\/d.test\\/)" + id + R"(\\/f.bin\"};</script>)";
}

// Pages by address; an address it does not know gives the empty page of a failed fetch.
struct FakeService {
  std::map<std::string, std::string> pages;
  std::vector<std::string> asked;
  std::function<void(const std::string&)> on_link_page;  // called before a link page is given

  harvest::PageFetchers fetchers() {
    return {[this](std::string_view address) {
              asked.emplace_back(address);
              const std::string& page = pages[std::string(address)];
              return text::ByteSet(page.begin(), page.end());
            },
            [this](std::string_view address) {
              asked.emplace_back(address);
              if (on_link_page) on_link_page(std::string(address));
              return text::Text(pages[std::string(address)]);
            }};
  }
};

// Everything the window shows that a harvest could change.
struct WindowContent {
  std::string address, status1, status2, status3, counter, export_box;
  std::int32_t maximum, position;
  std::vector<std::string> names, links;
  bool operator==(const WindowContent&) const = default;
};

WindowContent content_of(MainWindow& window) {
  WindowContent c{window.编辑框1.get_text(),
                  window.透明标签1.get_text(),
                  window.透明标签2.get_text(),
                  window.透明标签3.get_text(),
                  window.透明标签4.get_text(),
                  window.编辑框2.get_text(),
                  window.进度条1.progress_maximum(),
                  window.进度条1.progress_position(),
                  {},
                  {}};
  for (std::int32_t row = 0; row < window.选择列表框1.row_count(); ++row) {
    c.names.push_back(window.选择列表框1.row_text(row));
  }
  for (std::int32_t row = 0; row < window.选择列表框2.row_count(); ++row) {
    c.links.push_back(window.选择列表框2.row_text(row));
  }
  return c;
}

class HarvestInWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    service_.pages[home_address("7")] = home_page({"111", "222"});
    service_.pages[link_address("111", "7")] = link_page(gbk("甲.zip"), "111");
    service_.pages[link_address("222", "7")] = link_page("b c.txt", "222");
    window_ = std::make_unique<MainWindow>(WindowServices{
        state_, service_.fetchers(), kHost, [this](const QString& m) { reports_.push_back(m); }});
    window_->编辑框1.set_text("http://elsewhere/share/home?uk=7");
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  void press_extract() { QTest::mouseClick(&window_->按钮1, Qt::LeftButton); }

  FakeService service_;
  harvest::HarvestState state_;
  std::vector<QString> reports_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(HarvestInWindow, ExtractFillsBothListsRowForRowAndShowsProgressAndStatus) {
  press_extract();
  ASSERT_TRUE(reports_.empty()) << reports_.front().toStdString();
  const WindowContent c = content_of(*window_);
  EXPECT_EQ(c.names, (std::vector<std::string>{gbk("甲.zip"), "b c.txt"}));
  EXPECT_EQ(c.links,
            (std::vector<std::string>{"http://d.test/111/f.bin", "http://d.test/222/f.bin"}));
  EXPECT_FALSE(window_->选择列表框2.isVisible());
  EXPECT_EQ(c.maximum, 2);
  EXPECT_EQ(c.position, 2);
  EXPECT_EQ(window_->进度条1.value(), window_->进度条1.maximum()) << "the bar ends full";
  EXPECT_EQ(c.counter, gbk("共有文件2个，已分析2个页面"));
  EXPECT_EQ(c.status1, gbk("正在读取页面，请稍后..."));
  EXPECT_EQ(c.status2, gbk("页面读取完成，正在分析下载地址，请稍后..."));
  EXPECT_EQ(c.status3, gbk("下载地址分析完成。请使用下载工具批量下载！"));
  EXPECT_EQ(service_.asked, (std::vector<std::string>{home_address("7"), link_address("111", "7"),
                                                      link_address("222", "7")}));
  EXPECT_EQ(window_->透明标签4.text(), QStringLiteral("共有文件2个，已分析2个页面"));

  // Then checked and exported, as the user goes on.
  QTest::mouseClick(&window_->按钮全选, Qt::LeftButton);
  QTest::mouseClick(&window_->按钮2, Qt::LeftButton);
  EXPECT_EQ(window_->编辑框2.get_text(), "http://d.test/111/f.bin\r\nhttp://d.test/222/f.bin\r\n");
}

TEST_F(HarvestInWindow, LabelsAndTheBarAreDrawnWhileTheHarvestStillRuns) {
  testing::PaintCounter paints;
  paints.watch(window_->透明标签1);
  paints.watch(window_->透明标签2);
  paints.watch(window_->透明标签4);
  paints.watch(window_->进度条1);
  QCoreApplication::processEvents();
  paints.reset();
  std::vector<std::string> counter_seen;
  bool drawn_before_the_second_page = false;
  service_.on_link_page = [&](const std::string& address) {
    counter_seen.push_back(window_->透明标签4.get_text());
    if (address == link_address("222", "7")) {
      drawn_before_the_second_page =
          paints.count(window_->透明标签1) > 0 && paints.count(window_->透明标签2) > 0 &&
          paints.count(window_->透明标签4) > 0 && paints.count(window_->进度条1) > 0;
    }
  };
  press_extract();
  EXPECT_TRUE(drawn_before_the_second_page);
  EXPECT_EQ(counter_seen, (std::vector<std::string>{gbk("共有文件2个，已读取2个页面"),
                                                    gbk("共有文件2个，已分析1个页面")}));
}

TEST_F(HarvestInWindow, ASecondRunAppendsItsRowsBelowThoseOfTheFirst) {
  press_extract();
  press_extract();
  const WindowContent c = content_of(*window_);
  EXPECT_EQ(c.names,
            (std::vector<std::string>{gbk("甲.zip"), "b c.txt", gbk("甲.zip"), "b c.txt"}));
  EXPECT_EQ(c.links,
            (std::vector<std::string>{"http://d.test/111/f.bin", "http://d.test/222/f.bin",
                                      "http://d.test/111/f.bin", "http://d.test/222/f.bin"}));
  EXPECT_EQ(state_.share_ids.count(), 4);
  EXPECT_TRUE(reports_.empty());
}

TEST_F(HarvestInWindow, AStopIsReportedInItsOwnWordsAndLeavesTheWindowAsItWas) {
  window_->编辑框1.set_text("http://elsewhere/share/home?no-key");
  window_->编辑框2.set_text("kept");
  const WindowContent before = content_of(*window_);

  // What the harvest itself says about this address.
  harvest::HarvestState scratch;
  class NullView : public harvest::HarvestView {
   public:
    text::Text read_address() override { return "http://elsewhere/share/home?no-key"; }
    void set_status_line(int, std::string_view) override {}
    void set_counter_text(std::string_view) override {}
    std::int32_t progress_minimum() override { return 0; }
    std::int32_t progress_maximum() override { return 100; }
    void set_progress_maximum(std::int32_t) override {}
    std::int32_t progress_position() override { return 0; }
    void set_progress_position(std::int32_t) override {}
    void add_file_name(std::string_view) override {}
    void add_link(std::string_view) override {}
  } null_view;
  QString expected;
  try {
    harvest::Harvest(scratch, null_view, service_.fetchers(), kHost).extract_addresses();
  } catch (const harvest::HarvestStop& stop) {
    expected = to_qstring(stop.user_message());
  }
  ASSERT_FALSE(expected.isEmpty());
  service_.asked.clear();

  press_extract();
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0], expected);
  EXPECT_EQ(content_of(*window_), before);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_TRUE(service_.asked.empty());
}

TEST_F(HarvestInWindow, AStopDuringAnalysisKeepsTheRowsSoFarAndEachLaterFileOnItsOwnLink) {
  const std::string good_page = service_.pages[link_address("222", "7")];
  service_.pages[link_address("222", "7")] =
      "<div>" + gbk("文件名:") + "no-link.txt" + gbk("文件大小:") + "1KB</div>";
  press_extract();
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_FALSE(reports_[0].isEmpty());
  WindowContent c = content_of(*window_);
  EXPECT_EQ(c.names, (std::vector<std::string>{gbk("甲.zip"), "no-link.txt"}));
  EXPECT_EQ(c.counter, gbk("共有文件2个，已分析1个页面"));
  EXPECT_EQ(c.status3, "");

  // The program goes on; a later run's files keep their own links, and the file without a link
  // exports an empty line.
  service_.pages[link_address("222", "7")] = good_page;
  press_extract();
  EXPECT_EQ(reports_.size(), 1u);
  QTest::mouseClick(&window_->按钮全选, Qt::LeftButton);
  QTest::mouseClick(&window_->按钮2, Qt::LeftButton);
  EXPECT_EQ(content_of(*window_).names,
            (std::vector<std::string>{gbk("甲.zip"), "no-link.txt", gbk("甲.zip"), "b c.txt"}));
  EXPECT_EQ(window_->编辑框2.get_text(),
            "http://d.test/111/f.bin\r\n"
            "\r\n"
            "http://d.test/111/f.bin\r\n"
            "http://d.test/222/f.bin\r\n");
}

TEST_F(HarvestInWindow, AnyOtherFailureIsReportedAndDoesNotEndTheProgram) {
  service_.on_link_page = [](const std::string&) { throw std::runtime_error("socket gone"); };
  press_extract();
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_TRUE(reports_[0].contains(QStringLiteral("socket gone")));
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(window_->选择列表框1.row_count(), 0);
}

// The whole path as the program runs it: the real fetchers, over loopback, against the sample
// service's pages (UTF-8, Chinese names), into the window's lists and out through the export.
TEST(HarvestInWindowOverLoopback, TheSampleUsersFilesAndLinksArriveByteForByte) {
  sample::SampleService service = sample::start_sample_service(0);
  harvest::HarvestState state;
  std::vector<QString> reports;
  WindowServices services;
  services.state = state;
  services.host = service.host();
  services.report_stop = [&](const QString& message) { reports.push_back(message); };
  MainWindow window(std::move(services));
  window.show();
  window.编辑框1.set_text(sample_address(service.host()));

  QTest::mouseClick(&window.按钮1, Qt::LeftButton);
  ASSERT_TRUE(reports.empty()) << reports.front().toStdString();

  const sample::SampleUser& user = service.catalogue().front();
  ASSERT_EQ(user.user_key, sample_user_key);
  std::vector<std::string> names, exported_names;
  std::string links;
  for (const sample::SampleFile& file : user.shares) {
    names.push_back(gbk(file.name));
    links += sample::download_link(file, service.host()) + "\r\n";
  }
  for (std::int32_t row = 0; row < window.选择列表框1.row_count(); ++row) {
    exported_names.push_back(window.选择列表框1.row_text(row));
  }
  EXPECT_EQ(exported_names, names);
  QTest::mouseClick(&window.按钮全选, Qt::LeftButton);
  QTest::mouseClick(&window.按钮2, Qt::LeftButton);
  EXPECT_EQ(window.编辑框2.get_text(), links);
  EXPECT_EQ(window.透明标签3.get_text(), gbk("下载地址分析完成。请使用下载工具批量下载！"));
}

}  // namespace
}  // namespace velmora::ui

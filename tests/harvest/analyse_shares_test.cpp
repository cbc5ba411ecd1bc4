#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harvest/harvest.h"
#include "harvest_fakes.h"

namespace velmora::harvest {
namespace {

using testing::FakeService;
using testing::gbk;
using testing::home_address;
using testing::home_page;
using testing::kHost;
using testing::link_address;
using testing::link_page;
using testing::readable;
using testing::RecordingView;
using Strings = std::vector<std::string>;

struct AnalysisRig {
  HarvestState state;
  RecordingView view;
  FakeService service;
  Harvest harvest{state, view, service.fetchers(), std::string(kHost)};

  // A state as a listing under this key would leave it.
  void listed(std::string key, const Strings& ids) {
    state.user_key = std::move(key);
    state.first_id_of_latest_run = state.share_ids.count() + 1;
    for (const auto& id : ids) state.share_ids.append(id);
  }
};

TEST(AnalyseShares, ListsNameAndLinkOfEachShareRowForRowWithProgress) {
  AnalysisRig rig;
  rig.listed("77", {"1", "2"});
  rig.view.minimum = 0;
  rig.service.link_pages[link_address("1", "77")] = link_page("a.txt", "http://d.example/f/1");
  rig.service.link_pages[link_address("2", "77")] = link_page("中文名.rar", "http://d.example/f/2");

  rig.harvest.analyse_shares();

  EXPECT_EQ(rig.service.requests, (Strings{
                                      "text http://share.test/share/link?shareid=1&uk=77",
                                      "text http://share.test/share/link?shareid=2&uk=77",
                                  }));
  EXPECT_EQ(rig.view.calls, (Strings{
                                "maximum 2",
                                "position 0",
                                "name: a.txt",
                                "link: http://d.example/f/1",
                                "position 1",
                                "counter: 共有文件2个，已分析1个页面",
                                "name: 中文名.rar",
                                "link: http://d.example/f/2",
                                "position 2",
                                "counter: 共有文件2个，已分析2个页面",
                                "status 3: 下载地址分析完成。请使用下载工具批量下载！",
                            }));
}

TEST(AnalyseShares, StartsTheBarAtTheStoredMinimum) {
  AnalysisRig rig;
  rig.listed("1", {"9"});
  rig.view.minimum = 5;
  rig.service.link_pages[link_address("9", "1")] = link_page("a", "http://h/a/b/c");
  rig.harvest.analyse_shares();
  ASSERT_GE(rig.view.calls.size(), 2u);
  EXPECT_EQ(rig.view.calls[1], "position 5");
}

// Link pages cut down to what the name and link steps read. `D` is the escaped link that the
// worked example uses.
TEST(AnalyseShares, CutsNameAndLinkFromThePage) {
  const std::string link_text = R"(\"dlink\":\"http:\\/\\/a\\/b\\/c\",\"x\":1)";
  struct Case {
    const char* what;
    std::string page;
    std::string name;  // UTF-8
    std::string link;
  };
  const Case cases[] = {
      {"worked example", gbk("文件名:a.txt文件大小:1") + link_text, "a.txt", "http://a/b/c"},
      {"more slashes than five pieces keep all of them",
       gbk("文件名:a文件大小:") + R"(\"dlink\":\"http:\\/\\/a\\/b\\/c\\/d\")", "a",
       "http://a/b/c/d"},
      {"a real-looking link with query",
       gbk("文件名:a文件大小:") +
           R"(\"dlink\":\"http:\\/\\/d.pcs.example\\/file\\/0f3a?fid=1-250&sign=Q%2F1&sh=1\")",
       "a", "http://d.pcs.example/file/0f3a?fid=1-250&sign=Q%2F1&sh=1"},
      {"name kept with blanks and markup", gbk("文件名: <b>a b</b> 文件大小:") + link_text,
       " <b>a b</b> ", "http://a/b/c"},
      {"name ends at a second name marker", gbk("文件名:a文件名:b文件大小:") + link_text, "a",
       "http://a/b/c"},
      {"without a size marker the name runs to the end of the page",
       gbk("文件名:a.txt ") + link_text, "a.txt " + link_text, "http://a/b/c"},
      {"only the first link marker counts",
       gbk("文件名:a文件大小:") + link_text + R"(\"dlink\":\"http:\\/\\/z\\/z\\/z\\/z\")", "a",
       "http://a/b/c"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    AnalysisRig rig;
    rig.listed("1", {"9"});
    rig.service.link_pages[link_address("9", "1")] = c.page;
    rig.harvest.analyse_shares();
    ASSERT_EQ(rig.view.names.size(), 1u);
    EXPECT_EQ(readable(rig.view.names[0]), c.name);
    EXPECT_EQ(rig.view.links, (Strings{c.link}));
  }
}

TEST(AnalyseShares, EachMissingPieceStopsThePassAndSaysWhichShareAndPiece) {
  const std::string name = gbk("文件名:a.txt文件大小:1");
  struct Case {
    const char* what;
    std::string page;
    HarvestStop::Missing missing;
    bool name_row;
    std::string user_message;
  };
  const std::string head = "分析下载地址时停止了：第1个分享（编号9）";
  const std::string kept = "此前已列出的结果保留不变。";
  const Case cases[] = {
      {"empty page", "", HarvestStop::Missing::file_name, false,
       head + "的页面为空，未能读取。" + kept},
      {"no name marker", gbk("文件大小:1") + R"(\"dlink\":\"http:\\/\\/a\\/b\\/c\")",
       HarvestStop::Missing::file_name, false, head + "的页面中没有文件名。" + kept},
      {"size marker before the name marker", gbk("文件大小:1文件名:a"),
       HarvestStop::Missing::file_name, false, head + "的页面中没有文件名。" + kept},
      {"name marker right before the size marker", gbk("文件名:文件大小:1"),
       HarvestStop::Missing::file_name, false, head + "的页面中没有文件名。" + kept},
      {"no link marker", name + R"(\"link\":\"http:\\/\\/a\\/b\\/c\")", HarvestStop::Missing::link,
       true, head + "的页面中没有下载地址。" + kept},
      {"link marker at the end", name + R"(\"dlink\)", HarvestStop::Missing::link, true,
       head + "的页面中没有下载地址。" + kept},
      {"link not quoted", name + R"(\"dlink\":null})", HarvestStop::Missing::link, true,
       head + "的下载地址格式不对。" + kept},
      {"empty link", name + R"(\"dlink\":\"\",\"x\":1)", HarvestStop::Missing::link, true,
       head + "的下载地址不完整。" + kept},
      {"four pieces at the double backslash", name + R"(\"dlink\":\"http:\\/\\/a\\/b\")",
       HarvestStop::Missing::link, true, head + "的下载地址不完整。" + kept},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    AnalysisRig rig;
    rig.listed("1", {"9"});
    rig.service.link_pages[link_address("9", "1")] = c.page;
    try {
      rig.harvest.analyse_shares();
      ADD_FAILURE() << "no stop";
    } catch (const HarvestStop& stop) {
      EXPECT_EQ(stop.phase(), HarvestStop::Phase::analysis);
      EXPECT_EQ(stop.missing(), c.missing);
      EXPECT_EQ(stop.share_number(), 1);
      EXPECT_EQ(stop.share_id(), "9");
      EXPECT_EQ(readable(stop.user_message()), c.user_message);
      EXPECT_NE(std::string(stop.what()).find("share 1 of this run (id 9)"), std::string::npos)
          << stop.what();
    }
    EXPECT_EQ(rig.view.names.size(), c.name_row ? 1u : 0u);
    EXPECT_TRUE(rig.view.links.empty());
    EXPECT_EQ(rig.view.position, 0);
    EXPECT_TRUE(rig.view.status[2].empty());
  }
}

TEST(AnalyseShares, StopInALaterPassKeepsTheEarlierRowsProgressAndCounter) {
  AnalysisRig rig;
  rig.listed("1", {"a", "b", "c"});
  rig.view.counter = "from the listing";
  rig.service.link_pages[link_address("a", "1")] = link_page("one", "http://h/1/2/3");
  rig.service.link_pages[link_address("b", "1")] = gbk("文件名:two文件大小:") + "no link here";
  rig.service.link_pages[link_address("c", "1")] = link_page("three", "http://h/1/2/3");

  EXPECT_THROW(rig.harvest.analyse_shares(), HarvestStop);

  EXPECT_EQ(rig.view.calls, (Strings{
                                "maximum 3",
                                "position 0",
                                "name: one",
                                "link: http://h/1/2/3",
                                "position 1",
                                "counter: 共有文件3个，已分析1个页面",
                                "name: two",
                            }));
  EXPECT_EQ(rig.service.requests.size(), 2u);  // the third share is not asked for
}

// The key of a run goes only with the ids that run found; the list still keeps every id.
TEST(ExtractAddresses, SecondUserIsAskedOnlyForItsOwnSharesWithItsOwnKey) {
  AnalysisRig rig;
  rig.service.home_pages[home_address("100")] = home_page({"a1", "a2"});
  rig.service.home_pages[home_address("200")] = home_page({"b1"});
  rig.service.link_pages[link_address("a1", "100")] = link_page("A1", "http://h/a/1/x");
  rig.service.link_pages[link_address("a2", "100")] = link_page("A2", "http://h/a/2/x");
  rig.service.link_pages[link_address("b1", "200")] = link_page("B1", "http://h/b/1/x");

  rig.view.address = "?uk=100";
  rig.harvest.extract_addresses();
  rig.service.requests.clear();
  rig.view.calls.clear();
  rig.view.address = "?uk=200";
  rig.harvest.extract_addresses();

  EXPECT_EQ(rig.service.requests, (Strings{
                                      "bytes http://share.test/share/home?uk=200",
                                      "text http://share.test/share/link?shareid=b1&uk=200",
                                  }));
  EXPECT_EQ(rig.state.share_ids.count(), 3);
  EXPECT_EQ(rig.view.names, (Strings{"A1", "A2", "B1"}));
  EXPECT_EQ(rig.view.links, (Strings{"http://h/a/1/x", "http://h/a/2/x", "http://h/b/1/x"}));
  // The analysis counts this run's one id.
  EXPECT_EQ(readable(rig.view.counter), "共有文件1个，已分析1个页面");
  EXPECT_EQ(rig.view.position, 1);
  EXPECT_EQ(rig.view.maximum, 1);
}

TEST(ExtractAddresses, TwoRunsOfTheSameAddressGiveEachFileTwoRows) {
  AnalysisRig rig;
  rig.service.home_pages[home_address("1")] = home_page({"a", "b", "c"});
  for (std::string id : {"a", "b", "c"}) {
    rig.service.link_pages[link_address(id, "1")] = link_page(id, "http://h/" + id + "/x/y");
  }
  rig.view.address = "?uk=1";
  rig.harvest.extract_addresses();
  rig.harvest.extract_addresses();
  EXPECT_EQ(rig.state.share_ids.count(), 6);
  EXPECT_EQ(rig.view.names, (Strings{"a", "b", "c", "a", "b", "c"}));
  EXPECT_EQ(rig.view.links.size(), 6u);
  EXPECT_EQ(rig.view.links[3], "http://h/a/x/y");
  EXPECT_EQ(rig.service.requests.size(), 8u);  // one home page and three link pages a run
}

TEST(ExtractAddresses, StopWhileListingAnalysesNothing) {
  AnalysisRig rig;
  rig.listed("1", {"old"});
  rig.service.link_pages[link_address("old", "1")] = link_page("old", "http://h/a/b/c");
  rig.view.address = "?uk=2";  // its home page fails
  try {
    rig.harvest.extract_addresses();
    ADD_FAILURE() << "no stop";
  } catch (const HarvestStop& stop) {
    EXPECT_EQ(stop.phase(), HarvestStop::Phase::listing);
  }
  EXPECT_EQ(rig.service.requests, (Strings{"bytes " + home_address("2")}));
  EXPECT_TRUE(rig.view.names.empty());
  EXPECT_TRUE(rig.view.status[2].empty());
}

TEST(ExtractAddresses, StopWhileAnalysingNamesTheShareOfThisRun) {
  AnalysisRig rig;
  rig.listed("1", {"x", "y"});  // an earlier run
  rig.service.home_pages[home_address("2")] = home_page({"p", "q"});
  rig.service.link_pages[link_address("p", "2")] = link_page("p", "http://h/a/b/c");
  rig.view.address = "?uk=2";
  try {
    rig.harvest.extract_addresses();
    ADD_FAILURE() << "no stop";
  } catch (const HarvestStop& stop) {
    EXPECT_EQ(stop.phase(), HarvestStop::Phase::analysis);
    EXPECT_EQ(stop.share_number(), 2);
    EXPECT_EQ(stop.share_id(), "q");
    EXPECT_EQ(readable(stop.user_message()),
              "分析下载地址时停止了：第2个分享（编号q）的页面为空，未能读取。"
              "此前已列出的结果保留不变。");
  }
  EXPECT_EQ(rig.view.names, (Strings{"p"}));
}

TEST(HarvestStopMessage, ShortensAnOverlongShareIdAtACharacterStart) {
  const std::string id = "1" + gbk("分享分享分享分享分享分享分享分享分享分享分享分享分享分享");
  const HarvestStop stop(HarvestStop::Phase::analysis, HarvestStop::Missing::link, 3, id,
                         "test detail");
  const std::string message = readable(stop.user_message());
  EXPECT_NE(message.find("（编号1分享分享分享分享分享分享分享分享分享分..."), std::string::npos)
      << message;
  EXPECT_NE(std::string(stop.what()).find("test detail"), std::string::npos);
}

}  // namespace
}  // namespace velmora::harvest

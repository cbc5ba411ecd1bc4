#include <gtest/gtest.h>

#include <optional>
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
using testing::readable;
using testing::RecordingView;
using Strings = std::vector<std::string>;

Strings ids_of(const HarvestState& state) {
  Strings ids;
  for (std::int32_t k = 1; k <= state.share_ids.count(); ++k) {
    ids.emplace_back(state.share_ids.member(k));
  }
  return ids;
}

struct ListingRig {
  HarvestState state;
  RecordingView view;
  FakeService service;
  Harvest harvest{state, view, service.fetchers(), std::string(kHost)};
};

TEST(ListShares, WorkedExampleOfThreeIdsMovesBarOneAheadAndSetsStatusLine2) {
  ListingRig rig;
  rig.view.address = "http://anything.example/share/home?uk=2084";
  rig.service.home_pages[home_address("2084")] = home_page({"11", "22", "33"});

  rig.harvest.list_shares();

  EXPECT_EQ(rig.state.user_key, "2084");
  EXPECT_EQ(ids_of(rig.state), (Strings{"11", "22", "33"}));
  EXPECT_EQ(rig.service.requests, (Strings{"bytes http://share.test/share/home?uk=2084"}));
  EXPECT_EQ(rig.view.calls, (Strings{
                                "status 1: 正在读取页面，请稍后...",
                                "maximum 3",
                                "counter: 共有文件3个",
                                "position 2",
                                "counter: 共有文件3个，已读取1个页面",
                                "position 3",
                                "counter: 共有文件3个，已读取2个页面",
                                "position 4",
                                "counter: 共有文件3个，已读取3个页面",
                                "status 2: 页面读取完成，正在分析下载地址，请稍后...",
                            }));
  EXPECT_EQ(rig.view.position, 4);  // stored, beyond the maximum of 3
}

TEST(ListShares, TakesOnlyTheKeyFromTheEnteredAddress) {
  struct Case {
    std::string address;
    std::string key;
  };
  const Case cases[] = {
      {"http://pan.example/share/home?uk=123", "123"},
      {"https://elsewhere.example/x?uk=5&view=list#top", "5&view=list#top"},
      {"uk=77", "77"},
      {"no scheme at all?uk=abc", "abc"},
      {"?uk=1uk=2", "1"},  // up to a second "uk="
      {"?uk=uk=2", ""},    // an empty piece between two markers is still a key
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    ListingRig rig;
    rig.view.address = c.address;
    rig.service.home_pages[home_address(c.key)] = home_page({"9"});
    rig.harvest.list_shares();
    EXPECT_EQ(rig.state.user_key, c.key);
    EXPECT_EQ(rig.service.requests, (Strings{"bytes " + home_address(c.key)}));
    EXPECT_EQ(ids_of(rig.state), (Strings{"9"}));
  }
}

TEST(ListShares, ShortPiecesYieldEmptyIdsThatAreAppendedAndCounted) {
  ListingRig rig;
  rig.view.address = "?uk=1";
  // Pieces: two bytes before the comma, a leading comma, no comma at all, and a normal id at the
  // very end of the page.
  rig.service.home_pages[home_address("1")] = R"(shareId\":,shareId\,abc,shareId\"7shareId\":42)";

  rig.harvest.list_shares();

  EXPECT_EQ(ids_of(rig.state), (Strings{"", "", "", "42"}));
  EXPECT_EQ(rig.view.maximum, 4);
  EXPECT_EQ(rig.view.counter, gbk("共有文件4个，已读取4个页面"));
  EXPECT_EQ(readable(rig.view.status[1]), "页面读取完成，正在分析下载地址，请稍后...");
}

TEST(ListShares, PageEndingWithTheMarkerGivesNoIdForIt) {
  ListingRig rig;
  rig.view.address = "?uk=1";
  rig.service.home_pages[home_address("1")] = R"(x shareId\":5,y shareId\)";
  rig.harvest.list_shares();
  EXPECT_EQ(ids_of(rig.state), (Strings{"5"}));
  EXPECT_EQ(rig.view.maximum, 1);
}

TEST(ListShares, ZeroByteEndsThePageText) {
  ListingRig rig;
  rig.view.address = "?uk=1";
  rig.service.home_pages[home_address("1")] =
      std::string(R"(shareId\":5,)") + '\0' + R"(shareId\":6,)";
  rig.harvest.list_shares();
  EXPECT_EQ(ids_of(rig.state), (Strings{"5"}));
}

// Each stop leaves exactly what the steps before it did.
TEST(ListShares, StopsLeaveWhatWasDoneBeforeThem) {
  struct Case {
    const char* what;
    std::string address;
    std::optional<std::string> page;  // none: the fetch fails
    HarvestStop::Missing missing;
    std::int32_t share_number;
    std::string key_after;
    Strings ids_after;
    Strings calls;
    std::string user_message;
  };
  const Strings reading = {"status 1: 正在读取页面，请稍后..."};
  const Case cases[] = {
      {"no uk=",
       "http://pan.example/share/home",
       home_page({"1"}),
       HarvestStop::Missing::user_key,
       0,
       "old",
       {},
       {},
       "读取分享主页时停止了：地址中没有“uk=”后面的用户编号，请粘贴TA分享主页的完整地址。"},
      {"nothing after uk=",
       "http://pan.example/share/home?uk=",
       home_page({"1"}),
       HarvestStop::Missing::user_key,
       0,
       "old",
       {},
       {},
       "读取分享主页时停止了：地址中没有“uk=”后面的用户编号，请粘贴TA分享主页的完整地址。"},
      {"failed fetch",
       "?uk=8",
       std::nullopt,
       HarvestStop::Missing::share_list,
       0,
       "8",
       {},
       reading,
       "读取分享主页时停止了：未能读取TA的分享主页（页面为空），请检查网络后重试。"},
      {"no marker",
       "?uk=8",
       "<html>user has no shares</html>",
       HarvestStop::Missing::share_list,
       0,
       "8",
       {},
       reading,
       "读取分享主页时停止了：TA的分享主页中没有找到任何分享。"},
      {"only marker at the end",
       "?uk=8",
       R"(<p>shareId\)",
       HarvestStop::Missing::share_list,
       0,
       "8",
       {},
       reading,
       "读取分享主页时停止了：TA的分享主页中没有找到任何分享。"},
      {"first piece empty",
       "?uk=8",
       R"(shareId\shareId\":2,)",
       HarvestStop::Missing::share_id,
       1,
       "8",
       {},
       reading,
       "读取分享主页时停止了：分享主页中的第1个分享没有编号。此前已列出的结果保留不变。"},
      {"empty piece mid-page",
       "?uk=8",
       R"(shareId\":1,shareId\shareId\":3,)",
       HarvestStop::Missing::share_id,
       2,
       "8",
       {"1"},
       {"status 1: 正在读取页面，请稍后...", "maximum 3", "counter: 共有文件3个", "position 2",
        "counter: 共有文件3个，已读取1个页面"},
       "读取分享主页时停止了：分享主页中的第2个分享没有编号。此前已列出的结果保留不变。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ListingRig rig;
    rig.state.user_key = "old";
    rig.view.address = c.address;
    if (c.page) rig.service.home_pages[home_address(c.key_after)] = *c.page;
    try {
      rig.harvest.list_shares();
      ADD_FAILURE() << "no stop";
    } catch (const HarvestStop& stop) {
      EXPECT_EQ(stop.phase(), HarvestStop::Phase::listing);
      EXPECT_EQ(stop.missing(), c.missing);
      EXPECT_EQ(stop.share_number(), c.share_number);
      EXPECT_EQ(readable(stop.user_message()), c.user_message);
    }
    EXPECT_EQ(rig.state.user_key, c.key_after);
    EXPECT_EQ(ids_of(rig.state), c.ids_after);
    EXPECT_EQ(rig.view.calls, c.calls);
  }
}

// The bar stores at most 32767: with N ids the last stored position is N + 1 limited to 32767,
// which equals P = N + 1 only while N is below 32767.
TEST(ListShares, StatusLine2OnlyWhileTheStoredPositionCanReachThePieceCount) {
  struct Case {
    std::int32_t ids;
    bool status_line_2;
    std::string last_counter;
  };
  const Case cases[] = {
      {32766, true, "共有文件32766个，已读取32766个页面"},
      {32767, false, "共有文件32767个，已读取32767个页面"},
      {40000, false, "共有文件32767个，已读取40000个页面"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ids);
    ListingRig rig;
    rig.view.address = "?uk=1";
    rig.view.status[1] = "earlier";
    std::string page;
    for (std::int32_t k = 0; k < c.ids; ++k) page += R"(shareId\":)" + std::to_string(k) + ",";
    rig.service.home_pages[home_address("1")] = page;

    rig.harvest.list_shares();

    EXPECT_EQ(rig.state.share_ids.count(), c.ids);
    EXPECT_EQ(rig.state.share_ids.member(c.ids), std::to_string(c.ids - 1));
    EXPECT_EQ(rig.view.maximum, std::min(c.ids, 32767));
    EXPECT_EQ(rig.view.position, std::min(c.ids + 1, 32767));
    EXPECT_EQ(readable(rig.view.counter), c.last_counter);
    EXPECT_EQ(rig.view.status[1] != "earlier", c.status_line_2);
  }
}

TEST(ListShares, SecondRunAppendsItsIdsAfterTheFirst) {
  ListingRig rig;
  rig.view.address = "?uk=1";
  rig.service.home_pages[home_address("1")] = home_page({"a", "b"});
  rig.harvest.list_shares();
  rig.harvest.list_shares();
  EXPECT_EQ(ids_of(rig.state), (Strings{"a", "b", "a", "b"}));
  EXPECT_EQ(rig.view.maximum, 2);  // this run's ids only
}

}  // namespace
}  // namespace velmora::harvest

// Each bad address or page through the extract command, on the real fetchers and a loopback
// service: a clear stop or a correct result, no row lost, and no byte on the wire that the
// address did not ask for in a form a request line can carry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fuzz/recording_view.h"
#include "tests/badinput/badinput_rows.h"

namespace velmora::badinput {
namespace {

::testing::AssertionResult nothing_injected(const std::vector<loopback::Request>& requests) {
  for (const auto& request : requests) {
    for (char c : request.target) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte <= 0x20 || byte >= 0x7F) {
        return ::testing::AssertionFailure() << "raw byte in " << request.target;
      }
    }
    for (const auto& header : request.headers) {
      if (header.name != "Host" && header.name != "User-Agent" && header.name != "Accept") {
        return ::testing::AssertionFailure() << "header " << header.name << " in " << request.raw;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

class BadInput : public ::testing::TestWithParam<BadInputRow> {};

TEST_P(BadInput, HarvestStopsClearlyOrIsRightAndSendsOnlyWhatTheAddressAsks) {
  const BadInputRow& row = GetParam();
  loopback::LoopbackServer server(service_for(row));
  harvest::HarvestState state;
  state.user_key = "before";
  fuzz::RecordingView view;
  view.status_lines = {"earlier 1", "earlier 2", "earlier 3"};
  view.address = row.address;
  harvest::Harvest harvest(state, view, harvest::PageFetchers::network(),
                           "127.0.0.1:" + std::to_string(server.port()));

  std::optional<harvest::HarvestStop> stop;
  try {
    harvest.extract_addresses();
  } catch (const harvest::HarvestStop& caught) {
    stop = caught;
  }

  ASSERT_EQ(stop.has_value(), row.stop.has_value()) << (stop ? stop->what() : "ran through");
  if (stop) {
    EXPECT_EQ(stop->missing(), *row.stop) << stop->what();
    EXPECT_FALSE(stop->user_message().empty());
  } else {
    EXPECT_EQ(view.status_lines[2].substr(0, 8), "\xCF\xC2\xD4\xD8\xB5\xD8\xD6\xB7");  // 下载地址
  }
  EXPECT_EQ(state.user_key, row.user_key);
  EXPECT_EQ(state.share_ids.count(), row.share_ids);

  std::vector<std::string> targets;
  for (const auto& request : server.requests()) targets.push_back(request.target);
  EXPECT_EQ(targets, row.targets);
  EXPECT_TRUE(nothing_injected(server.requests()));

  // Row for row: every name has its link, and a run-through has one row per share.
  EXPECT_EQ(view.file_names.size(), view.links.size());
  if (!stop) {
    EXPECT_EQ(view.file_names, std::vector<std::string>{"file-7"});
    EXPECT_EQ(view.links, std::vector<std::string>{"http://d/7/f"});
  }
  if (row.stop == Missing::user_key) {
    EXPECT_EQ(view.status_lines[0], "earlier 1") << "a stop at the address changes nothing";
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInput, ::testing::ValuesIn(bad_input_rows()),
                         [](const auto& info) { return std::string(info.param.name); });

// The listing of more ids than the bar can count: the bar and the counter stop at 32767, status
// line 2 keeps its text, and every id is still in the list.
TEST(BadInputListing, MoreSharesThanTheBarCountsKeepsEveryIdAndLeavesLineTwo) {
  BadInputRow row = bad_input_rows().back();
  loopback::LoopbackServer server(service_for(row));
  harvest::HarvestState state;
  fuzz::RecordingView view;
  view.status_lines[1] = "earlier 2";
  view.address = row.address;
  harvest::Harvest harvest(state, view, harvest::PageFetchers::network(),
                           "127.0.0.1:" + std::to_string(server.port()));
  harvest.list_shares();
  EXPECT_EQ(state.share_ids.count(), 40000);
  EXPECT_EQ(state.share_ids.member(40000), "40000");
  EXPECT_EQ(view.maximum, 32767);
  EXPECT_EQ(view.position, 32767);
  EXPECT_EQ(view.status_lines[1], "earlier 2");
  // 共有文件32767个，已读取40000个页面
  EXPECT_EQ(view.counter,
            "\xB9\xB2\xD3\xD0\xCE\xC4\xBC\xFE"
            "32767"
            "\xB8\xF6\xA3\xAC\xD2\xD1"
            "\xB6\xC1\xC8\xA1"
            "40000"
            "\xB8\xF6\xD2\xB3\xC3\xE6");
}

}  // namespace
}  // namespace velmora::badinput

// The harvest with the real fetchers against a service on 127.0.0.1.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "harvest/harvest.h"
#include "harvest_fakes.h"
#include "tools/loopback_server/loopback_server.h"

namespace velmora::harvest {
namespace {

using loopback::Headers;
using loopback::LoopbackServer;
using loopback::Request;
using testing::gbk;
using testing::home_page;
using testing::readable;
using testing::RecordingView;
using Strings = std::vector<std::string>;

struct Page {
  std::string body;
  std::string content_type;
};

// Answers each target from the table and 404 for any other.
loopback::Handler serve_pages(std::map<std::string, Page> pages) {
  return [pages = std::move(pages)](const Request& request, loopback::Connection& connection) {
    const auto page = pages.find(request.target);
    if (page == pages.end()) {
      connection.send(loopback::http_response(404, "not here"));
      return;
    }
    connection.send(loopback::http_response(200, page->second.body,
                                            Headers{{"Content-Type", page->second.content_type}}));
  };
}

// A link page as the service writes it, in UTF-8.
std::string utf8_link_page(const std::string& name, const std::string& escaped_link) {
  return "<html><body><div>文件名:" + name + "文件大小:3MB</div><script>var x={\\\"dlink\\\":\\\"" +
         escaped_link + "\\\"};</script></body></html>";
}

Strings targets_of(const LoopbackServer& server) {
  Strings targets;
  for (const auto& request : server.requests()) {
    targets.push_back(request.method + " " + request.target);
  }
  return targets;
}

struct LoopbackRig {
  explicit LoopbackRig(std::map<std::string, Page> pages)
      : server(serve_pages(std::move(pages))),
        harvest(state, view, PageFetchers::network(),
                "127.0.0.1:" + std::to_string(server.port())) {}

  HarvestState state;
  RecordingView view;
  LoopbackServer server;
  Harvest harvest;
};

TEST(HarvestOverLoopback, TwoUsersTwoRunsAskForExactlyTheirOwnPagesAndListTheirRows) {
  const std::string html_utf8 = "text/html; charset=utf-8";
  LoopbackRig rig({
      {"/share/home?uk=100", {home_page({"11", "12"}), "text/html"}},
      {"/share/home?uk=200", {home_page({"21"}), "text/html"}},
      {"/share/link?shareid=11&uk=100",
       {utf8_link_page("报告.pdf", R"(http:\\/\\/d.example\\/f\\/11\\/r.pdf?sign=1)"), html_utf8}},
      {"/share/link?shareid=12&uk=100",
       {utf8_link_page("b.zip", R"(http:\\/\\/d.example\\/f\\/12\\/b.zip)"), html_utf8}},
      {"/share/link?shareid=21&uk=200",
       {utf8_link_page("照片 01.jpg", R"(http:\\/\\/d.example\\/f\\/21\\/p.jpg)"), html_utf8}},
  });

  rig.view.address = "http://pan.example/share/home?uk=100";
  rig.harvest.extract_addresses();
  rig.view.address = "http://pan.example/share/home?uk=200";
  rig.harvest.extract_addresses();

  EXPECT_EQ(targets_of(rig.server), (Strings{
                                        "GET /share/home?uk=100",
                                        "GET /share/link?shareid=11&uk=100",
                                        "GET /share/link?shareid=12&uk=100",
                                        "GET /share/home?uk=200",
                                        "GET /share/link?shareid=21&uk=200",
                                    }));
  EXPECT_EQ(rig.view.names, (Strings{gbk("报告.pdf"), "b.zip", gbk("照片 01.jpg")}));
  EXPECT_EQ(rig.view.links,
            (Strings{"http://d.example/f/11/r.pdf?sign=1", "http://d.example/f/12/b.zip",
                     "http://d.example/f/21/p.jpg"}));
  EXPECT_EQ(readable(rig.view.status[2]), "下载地址分析完成。请使用下载工具批量下载！");
  EXPECT_EQ(readable(rig.view.counter), "共有文件1个，已分析1个页面");
}

// The name markers are GBK bytes: a page reaches them only as the scripted fetch converts it,
// whatever encoding it arrives in; a page whose label lies about its bytes shows no name.
TEST(HarvestOverLoopback, FindsTheNameMarkersOnlyAsGbkBytes) {
  const std::string link = R"(http:\\/\\/h\\/a\\/b\\/c)";
  struct Case {
    const char* what;
    Page page;
    bool found;
  };
  const Case cases[] = {
      {"UTF-8, labelled", {utf8_link_page("文件一.txt", link), "text/html; charset=utf-8"}, true},
      {"UTF-8 with a byte-order mark, unlabelled",
       {"\xEF\xBB\xBF" + utf8_link_page("文件一.txt", link), "text/html"},
       true},
      {"GBK, labelled", {gbk(utf8_link_page("文件一.txt", link)), "text/html; charset=gbk"}, true},
      {"GBK labelled as UTF-8",
       {gbk(utf8_link_page("文件一.txt", link)), "text/html; charset=utf-8"},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LoopbackRig rig({
        {"/share/home?uk=5", {home_page({"1"}), "text/html"}},
        {"/share/link?shareid=1&uk=5", c.page},
    });
    rig.view.address = "?uk=5";
    if (c.found) {
      rig.harvest.extract_addresses();
      EXPECT_EQ(rig.view.names, (Strings{gbk("文件一.txt")}));
      EXPECT_EQ(rig.view.links, (Strings{"http://h/a/b/c"}));
    } else {
      try {
        rig.harvest.extract_addresses();
        ADD_FAILURE() << "no stop";
      } catch (const HarvestStop& stop) {
        EXPECT_EQ(stop.missing(), HarvestStop::Missing::file_name);
      }
      EXPECT_TRUE(rig.view.names.empty());
    }
  }
}

TEST(HarvestOverLoopback, ErrorStatusPageStopsTheListingWithStatusLine1Only) {
  LoopbackRig rig({});  // every target answers 404 "not here"
  rig.view.address = "?uk=5";
  try {
    rig.harvest.extract_addresses();
    ADD_FAILURE() << "no stop";
  } catch (const HarvestStop& stop) {
    EXPECT_EQ(stop.missing(), HarvestStop::Missing::share_list);
    EXPECT_EQ(readable(stop.user_message()),
              "读取分享主页时停止了：TA的分享主页中没有找到任何分享。");
  }
  EXPECT_EQ(targets_of(rig.server), (Strings{"GET /share/home?uk=5"}));
  EXPECT_EQ(rig.view.calls, (Strings{"status 1: 正在读取页面，请稍后..."}));
}

}  // namespace
}  // namespace velmora::harvest

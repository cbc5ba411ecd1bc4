#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "harvest/texts.h"
#include "harvest_fakes.h"

namespace velmora::harvest {
namespace {

using testing::gbk;

TEST(ProgramTexts, FileNameMarkerIsItsGbkBytes) {
  EXPECT_EQ(texts::kFileNameMarker, "\xCE\xC4\xBC\xFE\xC3\xFB\x3A");
  EXPECT_EQ(texts::kShareIdMarker, std::string_view("shareId\x5C"));
  EXPECT_EQ(texts::kLinkMarker, std::string_view("dlink\x5C"));
  EXPECT_EQ(texts::kEscapedSlashPrefix, std::string_view("\x5C\x5C"));
}

// Every Chinese text against its readable form, converted by iconv rather than by hand.
TEST(ProgramTexts, EveryChineseTextIsTheGbkOfItsReadableForm) {
  struct Case {
    std::string_view bytes;
    const char* utf8;
  };
  const Case cases[] = {
      {texts::kFileNameMarker, "文件名:"},
      {texts::kFileSizeMarker, "文件大小:"},
      {texts::kStatusReading, "正在读取页面，请稍后..."},
      {texts::kStatusAnalysing, "页面读取完成，正在分析下载地址，请稍后..."},
      {texts::kStatusDone, "下载地址分析完成。请使用下载工具批量下载！"},
      {texts::kCounterTotal, "共有文件"},
      {texts::kCounterUnit, "个"},
      {texts::kCounterRead, "个，已读取"},
      {texts::kCounterAnalysed, "个，已分析"},
      {texts::kCounterPages, "个页面"},
      {texts::kStopWhileListing, "读取分享主页时停止了："},
      {texts::kStopWhileAnalysing, "分析下载地址时停止了："},
      {texts::kStopNoKey, "地址中没有“uk=”后面的用户编号，请粘贴TA分享主页的完整地址。"},
      {texts::kStopHomePageEmpty, "未能读取TA的分享主页（页面为空），请检查网络后重试。"},
      {texts::kStopNoShares, "TA的分享主页中没有找到任何分享。"},
      {texts::kStopShareOnHomePage, "分享主页中的"},
      {texts::kStopShareNumberBefore, "第"},
      {texts::kStopShareNumberAfter, "个分享"},
      {texts::kStopShareIdBefore, "（编号"},
      {texts::kStopShareIdAfter, "）"},
      {texts::kStopNoShareId, "没有编号。"},
      {texts::kStopLinkPageEmpty, "的页面为空，未能读取。"},
      {texts::kStopNoFileName, "的页面中没有文件名。"},
      {texts::kStopNoLinkMarker, "的页面中没有下载地址。"},
      {texts::kStopLinkNotQuoted, "的下载地址格式不对。"},
      {texts::kStopLinkTooShort, "的下载地址不完整。"},
      {texts::kStopKept, "此前已列出的结果保留不变。"},
      {texts::kStopGeneric, "页面中缺少需要的内容。"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.bytes, gbk(c.utf8)) << c.utf8;
  }
}

}  // namespace
}  // namespace velmora::harvest

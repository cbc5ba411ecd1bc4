// The program's own texts, as the GBK (code page 936) bytes it works with. Each line carries the
// readable text beside its bytes; the tests hold every one against an independent conversion.
#pragma once

#include <string_view>

namespace velmora::harvest::texts {

// Address parts: only the user key comes from the entered address.
inline constexpr std::string_view kUserKeyMarker = "uk=";
inline constexpr std::string_view kScheme = "http://";
inline constexpr std::string_view kShareHomePath = "/share/home?uk=";
inline constexpr std::string_view kShareLinkPath = "/share/link?shareid=";
inline constexpr std::string_view kShareLinkUserKey = "&uk=";

// The share-home page: each share id follows `shareId\` and ends before the next comma.
inline constexpr std::string_view kShareIdMarker = "shareId\\";
inline constexpr std::string_view kShareIdEnd = ",";

// The link page: the link is an escaped string after `dlink\`, between double quotes, with every
// slash written as two backslashes and a slash.
inline constexpr std::string_view kLinkMarker = "dlink\\";
inline constexpr std::string_view kQuote = "\"";
inline constexpr std::string_view kEscapedSlashPrefix = "\\\\";

// The link page's markers around the file name.
// 文件名:
inline constexpr std::string_view kFileNameMarker = "\xCE\xC4\xBC\xFE\xC3\xFB:";
// 文件大小:
inline constexpr std::string_view kFileSizeMarker = "\xCE\xC4\xBC\xFE\xB4\xF3\xD0\xA1:";

// Status lines 1, 2 and 3.
// 正在读取页面，请稍后...
inline constexpr std::string_view kStatusReading =
    "\xD5\xFD\xD4\xDA\xB6\xC1\xC8\xA1\xD2\xB3\xC3\xE6\xA3\xAC\xC7\xEB\xC9\xD4\xBA\xF3...";
// 页面读取完成，正在分析下载地址，请稍后...
inline constexpr std::string_view kStatusAnalysing =
    "\xD2\xB3\xC3\xE6\xB6\xC1\xC8\xA1\xCD\xEA\xB3\xC9\xA3\xAC\xD5\xFD\xD4\xDA\xB7\xD6\xCE\xF6\xCF"
    "\xC2\xD4\xD8\xB5\xD8\xD6\xB7\xA3\xAC\xC7\xEB\xC9\xD4\xBA\xF3...";
// 下载地址分析完成。请使用下载工具批量下载！
inline constexpr std::string_view kStatusDone =
    "\xCF\xC2\xD4\xD8\xB5\xD8\xD6\xB7\xB7\xD6\xCE\xF6\xCD\xEA\xB3\xC9\xA1\xA3\xC7\xEB\xCA\xB9\xD3"
    "\xC3\xCF\xC2\xD4\xD8\xB9\xA4\xBE\xDF\xC5\xFA\xC1\xBF\xCF\xC2\xD4\xD8\xA3\xA1";

// Pieces of the counter line, as in 共有文件3个，已读取1个页面.
// 共有文件
inline constexpr std::string_view kCounterTotal = "\xB9\xB2\xD3\xD0\xCE\xC4\xBC\xFE";
// 个
inline constexpr std::string_view kCounterUnit = "\xB8\xF6";
// 个，已读取
inline constexpr std::string_view kCounterRead = "\xB8\xF6\xA3\xAC\xD2\xD1\xB6\xC1\xC8\xA1";
// 个，已分析
inline constexpr std::string_view kCounterAnalysed = "\xB8\xF6\xA3\xAC\xD2\xD1\xB7\xD6\xCE\xF6";
// 个页面
inline constexpr std::string_view kCounterPages = "\xB8\xF6\xD2\xB3\xC3\xE6";

// What a stopped harvest tells the user.
// 读取分享主页时停止了：
inline constexpr std::string_view kStopWhileListing =
    "\xB6\xC1\xC8\xA1\xB7\xD6\xCF\xED\xD6\xF7\xD2\xB3\xCA\xB1\xCD\xA3\xD6\xB9\xC1\xCB\xA3\xBA";
// 分析下载地址时停止了：
inline constexpr std::string_view kStopWhileAnalysing =
    "\xB7\xD6\xCE\xF6\xCF\xC2\xD4\xD8\xB5\xD8\xD6\xB7\xCA\xB1\xCD\xA3\xD6\xB9\xC1\xCB\xA3\xBA";
// 地址中没有“uk=”后面的用户编号，请粘贴TA分享主页的完整地址。
inline constexpr std::string_view kStopNoKey =
    "\xB5\xD8\xD6\xB7\xD6\xD0\xC3\xBB\xD3\xD0\xA1\xB0uk=\xA1\xB1\xBA\xF3\xC3\xE6\xB5\xC4\xD3\xC3"
    "\xBB\xA7\xB1\xE0\xBA\xC5\xA3\xAC\xC7\xEB\xD5\xB3\xCC\xF9TA\xB7\xD6\xCF\xED\xD6\xF7\xD2\xB3"
    "\xB5\xC4\xCD\xEA\xD5\xFB\xB5\xD8\xD6\xB7\xA1\xA3";
// 未能读取TA的分享主页（页面为空），请检查网络后重试。
inline constexpr std::string_view kStopHomePageEmpty =
    "\xCE\xB4\xC4\xDC\xB6\xC1\xC8\xA1TA\xB5\xC4\xB7\xD6\xCF\xED\xD6\xF7\xD2\xB3\xA3\xA8\xD2\xB3"
    "\xC3\xE6\xCE\xAA\xBF\xD5\xA3\xA9\xA3\xAC\xC7\xEB\xBC\xEC\xB2\xE9\xCD\xF8\xC2\xE7\xBA\xF3\xD6"
    "\xD8\xCA\xD4\xA1\xA3";
// TA的分享主页中没有找到任何分享。
inline constexpr std::string_view kStopNoShares =
    "TA\xB5\xC4\xB7\xD6\xCF\xED\xD6\xF7\xD2\xB3\xD6\xD0\xC3\xBB\xD3\xD0\xD5\xD2\xB5\xBD\xC8\xCE"
    "\xBA\xCE\xB7\xD6\xCF\xED\xA1\xA3";
// 分享主页中的
inline constexpr std::string_view kStopShareOnHomePage =
    "\xB7\xD6\xCF\xED\xD6\xF7\xD2\xB3\xD6\xD0\xB5\xC4";
// 第
inline constexpr std::string_view kStopShareNumberBefore = "\xB5\xDA";
// 个分享
inline constexpr std::string_view kStopShareNumberAfter = "\xB8\xF6\xB7\xD6\xCF\xED";
// （编号
inline constexpr std::string_view kStopShareIdBefore = "\xA3\xA8\xB1\xE0\xBA\xC5";
// ）
inline constexpr std::string_view kStopShareIdAfter = "\xA3\xA9";
// 没有编号。
inline constexpr std::string_view kStopNoShareId = "\xC3\xBB\xD3\xD0\xB1\xE0\xBA\xC5\xA1\xA3";
// 的页面为空，未能读取。
inline constexpr std::string_view kStopLinkPageEmpty =
    "\xB5\xC4\xD2\xB3\xC3\xE6\xCE\xAA\xBF\xD5\xA3\xAC\xCE\xB4\xC4\xDC\xB6\xC1\xC8\xA1\xA1\xA3";
// 的页面中没有文件名。
inline constexpr std::string_view kStopNoFileName =
    "\xB5\xC4\xD2\xB3\xC3\xE6\xD6\xD0\xC3\xBB\xD3\xD0\xCE\xC4\xBC\xFE\xC3\xFB\xA1\xA3";
// 的页面中没有下载地址。
inline constexpr std::string_view kStopNoLinkMarker =
    "\xB5\xC4\xD2\xB3\xC3\xE6\xD6\xD0\xC3\xBB\xD3\xD0\xCF\xC2\xD4\xD8\xB5\xD8\xD6\xB7\xA1\xA3";
// 的下载地址格式不对。
inline constexpr std::string_view kStopLinkNotQuoted =
    "\xB5\xC4\xCF\xC2\xD4\xD8\xB5\xD8\xD6\xB7\xB8\xF1\xCA\xBD\xB2\xBB\xB6\xD4\xA1\xA3";
// 的下载地址不完整。
inline constexpr std::string_view kStopLinkTooShort =
    "\xB5\xC4\xCF\xC2\xD4\xD8\xB5\xD8\xD6\xB7\xB2\xBB\xCD\xEA\xD5\xFB\xA1\xA3";
// 此前已列出的结果保留不变。
inline constexpr std::string_view kStopKept =
    "\xB4\xCB\xC7\xB0\xD2\xD1\xC1\xD0\xB3\xF6\xB5\xC4\xBD\xE1\xB9\xFB\xB1\xA3\xC1\xF4\xB2\xBB\xB1"
    "\xE4\xA1\xA3";
// 页面中缺少需要的内容。
inline constexpr std::string_view kStopGeneric =
    "\xD2\xB3\xC3\xE6\xD6\xD0\xC8\xB1\xC9\xD9\xD0\xE8\xD2\xAA\xB5\xC4\xC4\xDA\xC8\xDD\xA1\xA3";

}  // namespace velmora::harvest::texts

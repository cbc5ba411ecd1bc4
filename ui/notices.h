// What the main window does once it has been created, before it is shown: the hover tip on the
// address box, the program's look, and the notices in the export box.
#pragma once

#include <array>
#include <string_view>

#include "ui/controls.h"
#include "ui/tip.h"

namespace velmora::ui {

// The four notices, in UTF-8 here; they reach the export box as code page 936 bytes, each
// followed by an empty line.
inline constexpr std::array<std::string_view, 4> startup_notices = {
    "分析过程中如果操作软件或移动位置，可能会假死，等分析完成后自动恢复，\r\n\r\n",
    "请勿关闭！另求高手指教解决此问题！\r\n\r\n",
    "分析速度和网络质量有很大的关系，并且本人新手不会多线程！见谅！\r\n\r\n",
    "分析完成后建议使用迅雷等下载工具批量下载，亲测可用。\r\n\r\n",
};

// The address box's tip, in UTF-8.
inline constexpr std::string_view address_tip_text = "请输入TA分享页面的地址，仅支持百度网盘。";

// The window's created event: the tip on the address box (no icon, the whole box), the flat look
// with colour scheme 3, then the four notices appended to the export box, one call each, leaving
// the caret at the end. Results of the tip and the look are not used.
void show_startup_notices(Q_tip& tip, EditBox& address_box, EditBox& export_box);

}  // namespace velmora::ui

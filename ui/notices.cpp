#include "ui/notices.h"

#include "text/codepage.h"
#include "ui/style.h"

namespace velmora::ui {

void show_startup_notices(Q_tip& tip, EditBox& address_box, EditBox& export_box) {
  attach_tip(tip, &address_box, text::utf8_to_ansi(address_tip_text), -1);
  apply_visual_style(3);
  for (std::string_view notice : startup_notices)
    export_box.append_to_box(text::utf8_to_ansi(notice));
}

}  // namespace velmora::ui

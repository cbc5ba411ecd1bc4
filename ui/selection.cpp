#include "ui/selection.h"

namespace velmora::ui {

void check_all_files(ChkListBox& files) {
  const std::int32_t rows = files.row_count();
  for (std::int32_t row = 0; row < rows; ++row) files.set_row_check(row);
}

void invert_file_checks(ChkListBox& files) {
  const std::int32_t rows = files.row_count();
  for (std::int32_t row = 0; row < rows; ++row) {
    files.set_row_check(row, !files.row_checked(row));
  }
}

void export_checked_links(const ChkListBox& files, const ChkListBox& links, EditBox& export_box) {
  export_box.set_text("");
  const std::int32_t rows = files.row_count();
  for (std::int32_t row = 0; row < rows; ++row) {
    if (!files.row_checked(row)) continue;
    const text::Text link = links.row_text(row);
    export_box.append_to_box(text::concat_text(link, "\r\n"));
  }
}

}  // namespace velmora::ui

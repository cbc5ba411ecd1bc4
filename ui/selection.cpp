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
  // The lines go into the box in one append: the same content and caret as one append per line,
  // as nothing runs between them, but the box lays its text out once instead of once a line.
  text::Text all;
  for (std::int32_t row = 0; row < rows; ++row) {
    if (!files.row_checked(row)) continue;
    all.append(links.row_text(row)).append("\r\n");
  }
  export_box.append_to_box(all);
}

}  // namespace velmora::ui

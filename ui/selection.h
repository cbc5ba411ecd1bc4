// Choosing files by their check marks and exporting the links of the chosen ones.
#pragma once

#include "ui/controls.h"

namespace velmora::ui {

// Marks every row of the file list.
void check_all_files(ChkListBox& files);
// Clears every mark of the file list and marks every row that was unmarked.
void invert_file_checks(ChkListBox& files);
// Empties the export box, then appends the link of every marked file row, in row order, each
// followed by CR LF. A marked row without a link row exports CR LF alone.
void export_checked_links(const ChkListBox& files, const ChkListBox& links, EditBox& export_box);

}  // namespace velmora::ui

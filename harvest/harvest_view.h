// What the harvest needs of the window; the window supplies it on its controls.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/text.h"

namespace velmora::harvest {

class HarvestView {
 public:
  virtual ~HarvestView() = default;

  // The address box's current content; the box is not changed.
  virtual text::Text read_address() = 0;
  // Line 1, 2 or 3; the label keeps the text until the next call for the same line.
  virtual void set_status_line(int line, std::string_view text) = 0;
  // The counter line over the progress bar.
  virtual void set_counter_text(std::string_view text) = 0;

  // The progress bar's stored values, each limited to 0..32767 when stored.
  virtual std::int32_t progress_minimum() = 0;
  virtual std::int32_t progress_maximum() = 0;
  virtual void set_progress_maximum(std::int32_t n) = 0;
  virtual std::int32_t progress_position() = 0;
  virtual void set_progress_position(std::int32_t n) = 0;

  // Rows appended at the end of the file list and of the hidden link list.
  virtual void add_file_name(std::string_view name) = 0;
  virtual void add_link(std::string_view link) = 0;
};

}  // namespace velmora::harvest

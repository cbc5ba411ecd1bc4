// A HarvestView that keeps everything the harvest shows, with the progress bar's clamping.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "harvest/harvest_view.h"

namespace velmora::fuzz {

class RecordingView : public harvest::HarvestView {
 public:
  std::string address;
  std::array<std::string, 3> status_lines;
  std::string counter;
  std::int32_t minimum = 0, maximum = 100, position = 0;
  std::vector<std::string> file_names, links;
  int bad_status_lines = 0;  // calls for a line other than 1..3

  text::Text read_address() override { return address; }
  void set_status_line(int line, std::string_view text) override {
    if (line < 1 || line > 3) {
      ++bad_status_lines;
      return;
    }
    status_lines[static_cast<std::size_t>(line - 1)] = std::string(text);
  }
  void set_counter_text(std::string_view text) override { counter = std::string(text); }
  std::int32_t progress_minimum() override { return minimum; }
  std::int32_t progress_maximum() override { return maximum; }
  void set_progress_maximum(std::int32_t n) override { maximum = std::clamp(n, 0, 32767); }
  std::int32_t progress_position() override { return position; }
  void set_progress_position(std::int32_t n) override { position = std::clamp(n, 0, 32767); }
  void add_file_name(std::string_view name) override { file_names.emplace_back(name); }
  void add_link(std::string_view link) override { links.emplace_back(link); }
};

}  // namespace velmora::fuzz

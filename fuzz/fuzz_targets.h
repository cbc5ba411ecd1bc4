// The fuzz targets, one per parser. Each takes one input and aborts on a broken invariant; the
// libFuzzer executables and the replay test both call them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmora::fuzz {

using Target = int (*)(const std::uint8_t* data, std::size_t size);

int text_operations(const std::uint8_t* data, std::size_t size);
int share_listing(const std::uint8_t* data, std::size_t size);
int link_analysis(const std::uint8_t* data, std::size_t size);
int address_cutting(const std::uint8_t* data, std::size_t size);
int charset_decoding(const std::uint8_t* data, std::size_t size);

// Stops the process with a message naming the broken invariant (also in builds without assert).
[[noreturn]] void fail(std::string_view what);
inline void require(bool holds, std::string_view what) {
  if (!holds) fail(what);
}

}  // namespace velmora::fuzz

// split_text against a byte-by-byte reading of its rules, plus the invariants any split must keep;
// text_mid, text_right and bytes_to_text against their clipping rules.
//
// Input: the low nibble of byte 0 is the delimiter length (0..8, larger counts as 8), then the
// delimiter, then one byte of maximum count (0xFF: no limit), then the text.
#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "fuzz/fuzz_targets.h"
#include "text/text.h"

namespace velmora::fuzz {

namespace {

using text::TextList;

// The rules as written: one scan position, stepping one character at a time.
std::vector<std::string> split_by_the_rules(std::string_view text, std::string_view delimiter,
                                            std::int64_t limit) {
  std::vector<std::string> pieces;
  if (text.empty() || limit <= 0) return pieces;
  if (delimiter.empty()) return {std::string(text)};
  std::size_t piece_start = 0, scan = 0;
  while (text.size() - scan >= delimiter.size()) {
    if (text.compare(scan, delimiter.size(), delimiter) == 0) {
      pieces.emplace_back(text.substr(piece_start, scan - piece_start));
      scan += delimiter.size();
      piece_start = scan;
      if (--limit == 0) return pieces;
    } else {
      const bool lead = static_cast<unsigned char>(text[scan]) >= 0x80;
      scan += (lead && scan + 1 < text.size()) ? 2 : 1;
    }
  }
  if (piece_start < text.size()) pieces.emplace_back(text.substr(piece_start));
  return pieces;
}

// Where a scan that restarts at `from` finds character starts, up to `to`.
bool starts_character(std::string_view text, std::size_t from, std::size_t at) {
  std::size_t p = from;
  while (p < at) p += (static_cast<unsigned char>(text[p]) >= 0x80 && p + 1 < text.size()) ? 2 : 1;
  return p == at;
}

void check_split(std::string_view text, std::string_view delimiter, std::int64_t limit,
                 const TextList& list) {
  const auto expected = split_by_the_rules(text, delimiter, limit);
  require(list.count() == static_cast<std::int32_t>(expected.size()), "split: member count");
  for (std::int32_t k = 1; k <= list.count(); ++k) {
    require(list.member(k) == expected[static_cast<std::size_t>(k - 1)], "split: member bytes");
  }
  if (delimiter.empty() || text.empty()) return;

  // Each member lies in the input where the previous delimiter ended, each delimiter follows its
  // member in the input and starts a character, and without a limit the members joined with the
  // delimiter give back the whole text but for a dropped empty tail.
  std::size_t at = 0;
  for (std::int32_t k = 1; k <= list.count(); ++k) {
    const std::string_view piece = list.member(k);
    require(text.substr(at, piece.size()) == piece, "split: member lies in the input");
    const std::size_t piece_start = at;
    at += piece.size();
    if (at == text.size()) {
      require(k == list.count(), "split: members after the end of the text");
      break;
    }
    require(text.compare(at, delimiter.size(), delimiter) == 0, "split: delimiter follows");
    require(starts_character(text, piece_start, at), "split: match at a second byte");
    at += delimiter.size();
  }
  if (limit == std::numeric_limits<std::int32_t>::max()) {
    require(at == text.size(), "split: joined members give back the text");
  }
  try {
    (void)list.member(list.count() + 1);
    fail("split: member past the count was read");
  } catch (const text::MissingMember& stop) {
    require(stop.count() == list.count(), "split: stop names the count");
  }
}

void check_cutting(std::string_view text, std::int32_t start, std::int32_t length) {
  const auto size = static_cast<std::int64_t>(text.size());
  const std::string mid = text::text_mid(text, start, length);
  if (start < 1 || start > size || length <= 0) {
    require(mid.empty(), "text_mid: empty outside the text");
  } else {
    const auto take = static_cast<std::size_t>(std::min<std::int64_t>(length, size - start + 1));
    require(mid == text.substr(static_cast<std::size_t>(start - 1), take), "text_mid: bytes");
  }
  const std::string right = text::text_right(text, length);
  const auto keep =
      length <= 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(length), text.size());
  require(right == text.substr(text.size() - keep), "text_right: bytes");

  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::string as_text = text::bytes_to_text({bytes, text.size()});
  require(as_text == text.substr(0, std::min(text.size(), text.find('\0'))),
          "bytes_to_text: up to the first zero");
  require(text::text_length(as_text) == static_cast<std::int32_t>(as_text.size()), "text_length");
}

}  // namespace

int text_operations(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t delimiter_size = std::min<std::size_t>(data[0] & 0x0F, 8);
  if (size < 2 + delimiter_size) return 0;
  const std::string_view delimiter = input.substr(1, delimiter_size);
  const std::uint8_t count_byte = data[1 + delimiter_size];
  const std::string_view text = input.substr(2 + delimiter_size);

  if (count_byte == 0xFF) {
    check_split(text, delimiter, std::numeric_limits<std::int32_t>::max(),
                text::split_text(text, delimiter));
  } else {
    // Small limits around the interesting ones, negative ones included.
    const std::int32_t max_count = static_cast<std::int8_t>(count_byte);
    check_split(text, delimiter, std::max<std::int32_t>(max_count, 0),
                text::split_text(text, delimiter, max_count));
  }
  // Start and length from the delimiter bytes, so the fuzzer steers them.
  std::int32_t start = 0, length = 0;
  if (delimiter_size >= 8) {
    std::memcpy(&start, delimiter.data(), 4);
    std::memcpy(&length, delimiter.data() + 4, 4);
  } else {
    start = static_cast<std::int8_t>(count_byte);
    length = static_cast<std::int32_t>(delimiter_size) * 3 - 4;
  }
  check_cutting(text, start, length);
  return 0;
}

}  // namespace velmora::fuzz

#include "text/text.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>

namespace velmora::text {

namespace {

std::string describe_missing(const std::string& label, std::int32_t requested, std::int32_t count) {
  std::string what = "member " + std::to_string(requested) + " of ";
  what += label.empty() ? std::string("a list") : label;
  what += " is missing: the list has " + std::to_string(count) + " member";
  if (count != 1) what += "s";
  return what;
}

bool is_lead_byte(unsigned char byte) {
  return byte >= 0x80;
}

}  // namespace

MissingMember::MissingMember(std::string list_label, std::int32_t requested, std::int32_t count)
    : std::out_of_range(describe_missing(list_label, requested, count)),
      list_label_(std::move(list_label)),
      requested_(requested),
      count_(count) {}

std::string_view TextList::member(std::int32_t k) const {
  if (k < 1 || k > count()) throw MissingMember(label_, k, count());
  const auto index = static_cast<std::size_t>(k - 1);
  const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
  return std::string_view(bytes_).substr(begin, ends_[index] - begin);
}

void TextList::append(std::string_view text) {
  bytes_.append(text);
  ends_.push_back(bytes_.size());
}

void TextList::reserve(std::size_t members, std::size_t bytes) {
  ends_.reserve(members);
  bytes_.reserve(bytes);
}

std::int32_t count(const TextList& list) noexcept {
  return list.count();
}
std::string_view member(const TextList& list, std::int32_t k) {
  return list.member(k);
}
void append(TextList& list, std::string_view text) {
  list.append(text);
}

TextList split_text(std::string_view text, std::string_view delimiter) {
  return split_text(text, delimiter, std::numeric_limits<std::int32_t>::max());
}

// Candidates come from std::string_view::find (memchr-fast); each is then checked against the
// two-byte rule. Every byte below 0x80 ends a character, whatever it is, so a position p is a
// character start exactly when the run of bytes >= 0x80 just before it, counted back to the last
// byte below 0x80 or to a known character start, has even length. The known start only moves
// forward, so every byte is looked at a bounded number of times.
TextList split_text(std::string_view text, std::string_view delimiter, std::int32_t max_count) {
  TextList pieces;
  std::int64_t limit = std::max<std::int32_t>(max_count, 0);
  if (text.empty() || limit == 0) return pieces;
  if (delimiter.empty()) {
    pieces.append(text);
    return pieces;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  pieces.reserve(0, text.size());

  std::size_t piece_start = 0;
  std::size_t known_start = 0;  // a position known to begin a character
  std::size_t search_from = 0;
  for (;;) {
    const std::size_t candidate = text.find(delimiter, search_from);
    if (candidate == std::string_view::npos) break;
    std::size_t run_begin = candidate;
    while (run_begin > known_start && is_lead_byte(bytes[run_begin - 1])) --run_begin;
    const bool at_character_start = (candidate - run_begin) % 2 == 0;
    if (!at_character_start) {
      // The candidate is the second byte of a character, so the next byte starts one.
      known_start = candidate + 1;
      search_from = candidate + 1;
      continue;
    }
    pieces.append(text.substr(piece_start, candidate - piece_start));
    piece_start = candidate + delimiter.size();
    known_start = piece_start;
    search_from = piece_start;
    if (--limit == 0) return pieces;
  }
  if (piece_start < text.size()) pieces.append(text.substr(piece_start));
  return pieces;
}

Text text_mid(std::string_view text, std::int32_t start, std::int32_t length) {
  const auto size = static_cast<std::int64_t>(text.size());
  if (start < 1 || start > size || length <= 0) return {};
  const std::int64_t take = std::min<std::int64_t>(length, size - start + 1);
  return Text(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(take)));
}

Text text_right(std::string_view text, std::int32_t n) {
  if (n <= 0) return {};
  if (static_cast<std::size_t>(n) >= text.size()) return Text(text);
  return Text(text.substr(text.size() - static_cast<std::size_t>(n)));
}

std::int32_t text_length(std::string_view text) noexcept {
  // Texts come from pages capped far below 2 GiB; saturate rather than wrap all the same.
  return static_cast<std::int32_t>(
      std::min<std::size_t>(text.size(), std::numeric_limits<std::int32_t>::max()));
}

Text number_to_text(std::int32_t value) {
  char digits[16];
  const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
  return Text(digits, result.ptr);
}

Text bytes_to_text(std::span<const unsigned char> bytes) {
  if (bytes.empty()) return {};
  const void* zero = std::memchr(bytes.data(), 0, bytes.size());
  const std::size_t size =
      zero ? static_cast<std::size_t>(static_cast<const unsigned char*>(zero) - bytes.data())
           : bytes.size();
  return Text(reinterpret_cast<const char*>(bytes.data()), size);
}

}  // namespace velmora::text

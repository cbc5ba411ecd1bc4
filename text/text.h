// Byte texts and the list of texts that a split returns.
//
// A text is a byte string in the ANSI code page (936 for the program's own Chinese texts) that
// never holds a zero byte. Lengths and positions count bytes; positions start at 1. An empty text
// and a missing one are the same thing. Numbers are signed 32-bit.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::text {

using Text = std::string;

// A length and that many bytes, zero bytes allowed: what a plain page fetch returns.
using ByteSet = std::vector<unsigned char>;

// Thrown when a member outside 1..count is read: the stop that ends the command in progress.
// It says which list was read, which member was asked for and how many there were.
class MissingMember : public std::out_of_range {
 public:
  MissingMember(std::string list_label, std::int32_t requested, std::int32_t count);
  const std::string& list_label() const noexcept { return list_label_; }
  std::int32_t requested() const noexcept { return requested_; }
  std::int32_t count() const noexcept { return count_; }

 private:
  std::string list_label_;
  std::int32_t requested_;
  std::int32_t count_;
};

// An ordered list of texts numbered 1..count. Members live in one buffer, so a list of many
// small pieces costs two allocations, not one per piece.
class TextList {
 public:
  explicit TextList(std::string label = {}) : label_(std::move(label)) {}

  std::int32_t count() const noexcept { return static_cast<std::int32_t>(ends_.size()); }
  // Member k, 1 <= k <= count, else MissingMember. The view stays valid until the list changes.
  std::string_view member(std::int32_t k) const;
  // Adds a copy of the text after the last member.
  void append(std::string_view text);

  // What the list holds, in words, for the message of a stop ("address pieces", ...).
  const std::string& label() const noexcept { return label_; }
  void set_label(std::string label) { label_ = std::move(label); }

  void reserve(std::size_t members, std::size_t bytes);

 private:
  std::string label_;
  std::string bytes_;
  std::vector<std::size_t> ends_;  // end offset of each member in bytes_
};

std::int32_t count(const TextList& list) noexcept;
std::string_view member(const TextList& list, std::int32_t k);
void append(TextList& list, std::string_view text);

// The text cut at every occurrence of the delimiter. A byte of 0x80 or above takes the next byte
// with it (unless it is the last byte), and a match never starts at such a second byte. Matches
// do not overlap; a delimiter at the very end gives no empty last member; an empty delimiter gives
// the whole text; with a maximum count of n at most n members are made (a negative n counts as 0).
// Linear in the length of the text.
TextList split_text(std::string_view text, std::string_view delimiter = ",");
TextList split_text(std::string_view text, std::string_view delimiter, std::int32_t max_count);

// Bytes from position start (from 1) on, at most length of them; empty when start < 1,
// start > length of text, or length <= 0.
Text text_mid(std::string_view text, std::int32_t start, std::int32_t length);
// The last n bytes; empty for n <= 0, the whole text for n >= its length.
Text text_right(std::string_view text, std::int32_t n);
std::int32_t text_length(std::string_view text) noexcept;
// Decimal, with a minus sign for negative values; the whole 32-bit range.
Text number_to_text(std::int32_t value);
// The bytes before the first zero byte.
Text bytes_to_text(std::span<const unsigned char> bytes);

// All parts joined in order; an empty part adds nothing.
template <class... Parts>
Text concat_text(const Parts&... parts) {
  const std::string_view views[] = {std::string_view(parts)...};
  std::size_t size = 0;
  for (auto v : views) size += v.size();
  Text joined;
  joined.reserve(size);
  for (auto v : views) joined.append(v);
  return joined;
}

}  // namespace velmora::text

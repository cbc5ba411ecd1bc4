// The scripted fetch's decoding of a response: a Content-Type line, then the body. The text it
// gives holds no zero byte, is stable under another trip through Unicode, and an ASCII body
// without a charset comes through unchanged.
#include <algorithm>
#include <string>

#include "fuzz/fuzz_targets.h"
#include "net/fetch_internal.h"
#include "text/codepage.h"

namespace velmora::fuzz {

int charset_decoding(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t line_end = std::min(input.find('\n'), input.size());
  const std::string_view content_type = input.substr(0, line_end);
  const std::string_view body_bytes = input.substr(std::min(line_end + 1, input.size()));
  const auto* body = reinterpret_cast<const unsigned char*>(body_bytes.data());

  // As the scripted fetch does it.
  const std::string charset = net::internal::charset_of(content_type);
  std::u16string unicode = text::decode_body({body, body_bytes.size()}, charset);
  unicode.resize(std::min(unicode.size(), unicode.find(u'\0')));
  const std::string page = text::unicode_to_ansi(unicode);

  require(page.find('\0') == std::string::npos, "decoding: a zero byte in the page text");
  require(text::unicode_to_ansi(text::ansi_to_unicode(page)) == page,
          "decoding: the page text changes on another trip through Unicode");
  const bool plain_ascii = std::all_of(body_bytes.begin(), body_bytes.end(), [](char c) {
    return c != 0 && static_cast<unsigned char>(c) < 0x80;
  });
  if (charset.empty() && plain_ascii) {
    require(page == body_bytes, "decoding: an ASCII body changed");
  }
  return 0;
}

}  // namespace velmora::fuzz

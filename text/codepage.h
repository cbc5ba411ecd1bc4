// The ANSI code page of the program's texts, 936 (GBK), and its conversions to and from Unicode.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "text/text.h"

namespace velmora::text {

// Unicode to code page 936. A character the code page lacks becomes its best-fit character where
// there is one, else "?". Never fails and never drops the rest of the text.
Text unicode_to_ansi(std::u16string_view unicode);
Text utf8_to_ansi(std::string_view utf8);

// Code page 936 to Unicode. An invalid byte sequence becomes U+FFFD; never fails.
std::u16string ansi_to_unicode(std::string_view ansi);
std::string ansi_to_utf8(std::string_view ansi);

// A response body decoded into Unicode: in the named charset when the converter knows it, else
// after a byte-order mark (which is dropped), else as UTF-8. Invalid sequences become U+FFFD.
std::u16string decode_body(std::span<const unsigned char> body, std::string_view charset);

}  // namespace velmora::text

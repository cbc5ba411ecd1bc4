// The ANSI code page of the program's texts, 936 (GBK), and its conversions to and from Unicode.
//
// The conversions behave as Windows' own for code page 936: characters the code page lacks fold
// to a best-fit character where Windows has one, else to "?". Converters are kept per thread, so
// every function may be called from any thread.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "text/text.h"

namespace velmora::text {

// Unicode to code page 936, up to the first U+0000 (a text holds no zero byte). A character the
// code page lacks, an unpaired surrogate included, becomes its best-fit character where there is
// one, else "?". Never fails and never drops the rest of the text. Invalid UTF-8 counts as
// U+FFFD, which becomes "?".
Text unicode_to_ansi(std::u16string_view unicode);
Text utf8_to_ansi(std::string_view utf8);

// Code page 936 to Unicode, the whole input (a zero byte gives U+0000). An invalid or cut-off
// byte sequence becomes U+FFFD; never fails.
std::u16string ansi_to_unicode(std::string_view ansi);
std::string ansi_to_utf8(std::string_view ansi);

// A response body decoded into Unicode. In the named charset when the converter knows it (the
// name compared without regard to case; a leading byte-order mark in that charset is dropped);
// else after a byte-order mark of UTF-8, UTF-16LE or UTF-16BE (the mark is dropped); else as
// UTF-8. Pages labelled GB2312 are read as code page 936, its superset, as Windows reads them.
// Invalid sequences become U+FFFD.
std::u16string decode_body(std::span<const unsigned char> body, std::string_view charset);

}  // namespace velmora::text

#include "text/codepage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace velmora::text {
namespace {

struct ConverterCloser {
  void operator()(UConverter* converter) const noexcept { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// Generated from Windows' own table; its best-fit entries are fallbacks, used once fallbacks are
// switched on.
constexpr const char* kCodePage936 = "windows-936-2000";
// ICU's strict GB2312 table. Pages that say "gb2312" are GBK in practice, and Windows reads them
// with 936; decoding them with this table would turn every GBK-only character into U+FFFD.
constexpr const char* kGb2312Table = "ibm-1383_P110-1999";

// Every undecodable sequence becomes U+FFFD. ICU's own substitute writes U+001A for a single bad
// byte in some tables.
void write_replacement_character(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                                 UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close, clone: nothing to write
  *error = U_ZERO_ERROR;
  static constexpr UChar kReplacement = 0xFFFD;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, error);
}

// Every unmappable character (after best fit) becomes "?", Windows' default character for 936.
void write_question_mark(const void*, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                         UChar32, UConverterCallbackReason reason, UErrorCode* error) {
  if (reason > UCNV_IRREGULAR) return;
  *error = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, "?", 1, 0, error);
}

Converter open_converter(const char* name) {
  UErrorCode error = U_ZERO_ERROR;
  Converter converter(ucnv_open(name, &error));
  if (U_FAILURE(error)) return nullptr;
  error = U_ZERO_ERROR;
  ucnv_setToUCallBack(converter.get(), write_replacement_character, nullptr, nullptr, nullptr,
                      &error);
  error = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter.get(), write_question_mark, nullptr, nullptr, nullptr, &error);
  return converter;
}

Converter open_required(const char* name) {
  Converter converter = open_converter(name);
  if (!converter) throw std::runtime_error(std::string("ICU has no converter ") + name);
  return converter;
}

// Names a server may send as a charset: letters, digits and a few separators. Anything else
// (a path, ICU's ",option" syntax) is not a charset name, and ICU would try to load a path as a
// converter file.
std::string normalised_charset_name(std::string_view charset) {
  auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!charset.empty() && is_space(charset.front())) charset.remove_prefix(1);
  while (!charset.empty() && is_space(charset.back())) charset.remove_suffix(1);
  if (charset.empty() || charset.size() > 64) return {};
  std::string name;
  name.reserve(charset.size());
  for (char c : charset) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':' ||
                         c == '+';
    if (!allowed) return {};
    name.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  }
  return name;
}

// The converters of one thread, opened on first use and closed when the thread ends.
class ThreadConverters {
 public:
  UConverter* gbk() {
    if (!gbk_) {
      gbk_ = open_required(kCodePage936);
      ucnv_setFallback(gbk_.get(), true);
    }
    return gbk_.get();
  }
  UConverter* utf8() { return fixed(utf8_, "UTF-8"); }
  UConverter* utf16le() { return fixed(utf16le_, "UTF-16LE"); }
  UConverter* utf16be() { return fixed(utf16be_, "UTF-16BE"); }

  struct Named {
    UConverter* converter = nullptr;  // null when ICU does not know the name
    bool reads_own_mark = false;      // UTF-16 and UTF-32 consume their byte-order mark
  };

  Named named(std::string_view charset) {
    const std::string name = normalised_charset_name(charset);
    if (name.empty()) return {};
    auto known = std::find_if(named_.begin(), named_.end(),
                              [&](const NamedSlot& slot) { return slot.name == name; });
    if (known == named_.end()) {
      Converter converter = open_converter(name.c_str());
      if (!converter) return {};  // not remembered: a server could send endless bad names
      UErrorCode error = U_ZERO_ERROR;
      const std::string canonical = ucnv_getName(converter.get(), &error);
      if (U_FAILURE(error)) return {};
      NamedSlot slot{name, nullptr, canonical == "UTF-16" || canonical == "UTF-32"};
      // 936 and GB2312 share the one 936 converter.
      if (canonical != kCodePage936 && canonical != kGb2312Table) {
        slot.converter = std::move(converter);
      }
      if (named_.size() >= kMaxNamed) named_.erase(named_.begin());
      named_.push_back(std::move(slot));
      known = named_.end() - 1;
    }
    return {known->converter ? known->converter.get() : gbk(), known->reads_own_mark};
  }

 private:
  static constexpr std::size_t kMaxNamed = 8;
  struct NamedSlot {
    std::string name;
    Converter converter;  // null: the 936 converter
    bool reads_own_mark;
  };

  static UConverter* fixed(Converter& slot, const char* name) {
    if (!slot) slot = open_required(name);
    return slot.get();
  }

  Converter gbk_, utf8_, utf16le_, utf16be_;
  std::vector<NamedSlot> named_;
};

ThreadConverters& converters() {
  thread_local ThreadConverters per_thread;
  return per_thread;
}

std::u16string to_unicode(UConverter* converter, std::string_view bytes) {
  ucnv_resetToUnicode(converter);
  // One unit per byte is enough for almost every table; the loop grows the buffer otherwise.
  std::u16string out(bytes.size() + 16, u'\0');
  const char* source = bytes.data();
  const char* const source_limit = bytes.data() + bytes.size();
  std::size_t used = 0;
  for (;;) {
    UChar* target = out.data() + used;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_toUnicode(converter, &target, out.data() + out.size(), &source, source_limit, nullptr,
                   true, &error);
    used = static_cast<std::size_t>(target - out.data());
    if (error != U_BUFFER_OVERFLOW_ERROR) break;
    out.resize(out.size() * 2);
  }
  out.resize(used);
  return out;
}

std::string from_unicode(UConverter* converter, std::u16string_view unicode) {
  ucnv_resetFromUnicode(converter);
  std::string out(unicode.size() * 2 + 16, '\0');
  const UChar* source = unicode.data();
  const UChar* const source_limit = unicode.data() + unicode.size();
  std::size_t used = 0;
  for (;;) {
    char* target = out.data() + used;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_fromUnicode(converter, &target, out.data() + out.size(), &source, source_limit, nullptr,
                     true, &error);
    used = static_cast<std::size_t>(target - out.data());
    if (error != U_BUFFER_OVERFLOW_ERROR) break;
    out.resize(out.size() * 2);
  }
  out.resize(used);
  return out;
}

// Half-width forms that ICU's table maps to control bytes where Windows gives its default "?".
bool windows_lacks(char16_t unit) {
  return unit == 0xFFE9 || unit == 0xFFEA || unit == 0xFFEB || unit == 0xFFEC || unit == 0xFFEE;
}

std::string_view as_chars(std::span<const unsigned char> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool starts_with_bytes(std::string_view bytes, std::string_view mark) {
  return bytes.substr(0, mark.size()) == mark;
}

}  // namespace

Text unicode_to_ansi(std::u16string_view unicode) {
  unicode = unicode.substr(0, unicode.find(u'\0'));
  const auto lacking = std::find_if(unicode.begin(), unicode.end(), windows_lacks);
  if (lacking == unicode.end()) return from_unicode(converters().gbk(), unicode);
  std::u16string patched(unicode);
  std::replace_if(patched.begin() + (lacking - unicode.begin()), patched.end(), windows_lacks,
                  u'?');
  return from_unicode(converters().gbk(), patched);
}

Text utf8_to_ansi(std::string_view utf8) {
  return unicode_to_ansi(to_unicode(converters().utf8(), utf8));
}

std::u16string ansi_to_unicode(std::string_view ansi) {
  return to_unicode(converters().gbk(), ansi);
}

std::string ansi_to_utf8(std::string_view ansi) {
  return from_unicode(converters().utf8(), ansi_to_unicode(ansi));
}

std::u16string decode_body(std::span<const unsigned char> body, std::string_view charset) {
  ThreadConverters& cache = converters();
  const std::string_view bytes = as_chars(body);
  if (const auto named = cache.named(charset); named.converter) {
    std::u16string decoded = to_unicode(named.converter, bytes);
    if (!named.reads_own_mark && !decoded.empty() && decoded.front() == u'\uFEFF') {
      decoded.erase(0, 1);
    }
    return decoded;
  }
  if (starts_with_bytes(bytes, "\xEF\xBB\xBF")) return to_unicode(cache.utf8(), bytes.substr(3));
  if (starts_with_bytes(bytes, "\xFF\xFE")) return to_unicode(cache.utf16le(), bytes.substr(2));
  if (starts_with_bytes(bytes, "\xFE\xFF")) return to_unicode(cache.utf16be(), bytes.substr(2));
  return to_unicode(cache.utf8(), bytes);
}

}  // namespace velmora::text

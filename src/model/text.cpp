#include "model/text.h"

#include <errno.h>
#include <iconv.h>

#include <limits>

namespace kel {

int32_t AtolRule(std::string_view text) {
  size_t i = 0;
  // The blanks atol skips: the C locale's white space.
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate the magnitude with room for one step beyond the limit, so saturation is exact.
  constexpr int64_t kMax = int64_t(std::numeric_limits<int32_t>::max());
  constexpr int64_t kMinMagnitude = kMax + 1;
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > kMinMagnitude) magnitude = kMinMagnitude + 1;
  }
  if (negative)
    return magnitude >= kMinMagnitude ? std::numeric_limits<int32_t>::min() : int32_t(-magnitude);
  return magnitude > kMax ? std::numeric_limits<int32_t>::max() : int32_t(magnitude);
}

namespace {

// One conversion direction. The descriptor is opened once per thread and reset before each use.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts the whole input. With lossy, an undecodable or incomplete byte becomes U+FFFD and
  // conversion goes on after it; otherwise the first such byte fails the conversion.
  std::optional<std::string> Run(std::string_view input, bool lossy) {
    if (!Ok()) return std::nullopt;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      size_t r = iconv(cd_, &in, &inLeft, &dst, &dstLeft);
      out.append(buffer, size_t(dst - buffer));
      if (r != size_t(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ: a byte that is no character; EINVAL: the text ends inside a character (a lone
      // lead byte). Either way the text is not valid in the source encoding.
      if (!lossy) return std::nullopt;
      out += "\xEF\xBF\xBD";
      ++in;
      --inLeft;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buffer;
    size_t dstLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, size_t(dst - buffer));
    return out;
  }

 private:
  iconv_t cd_;
};

// "CP932", not "SHIFT_JIS": the latter maps 0x5C to the yen sign and refuses the vendor
// characters (～, ①, 髙) that Japanese Windows text holds.
Converter& FromCp932() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}

Converter& ToCp932() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

}  // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
  return FromCp932().Run(cp932, false);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
  return ToCp932().Run(utf8, false);
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
  auto s = FromCp932().Run(cp932, true);
  return s ? *s : std::string();
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    uint8_t c = uint8_t(s[i]);
    size_t trail = 0;
    if (c < 0x80) {
      trail = 0;
    } else if (c >= 0xC2 && c <= 0xDF) {
      trail = 1;
    } else if ((c & 0xF0) == 0xE0) {
      trail = 2;
    } else if (c >= 0xF0 && c <= 0xF4) {
      trail = 3;
    } else {
      return false;
    }
    if (s.size() - i <= trail) return false;
    for (size_t k = 1; k <= trail; ++k) {
      if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
    }
    // The second byte narrows what a lead byte may start: no longer form of a shorter character
    // (E0 80-9F, F0 80-8F), no UTF-16 surrogate (ED A0-BF), nothing above U+10FFFF (F4 90-BF).
    if (trail >= 2) {
      const uint8_t next = uint8_t(s[i + 1]);
      if ((c == 0xE0 && next < 0xA0) || (c == 0xED && next > 0x9F) || (c == 0xF0 && next < 0x90) ||
          (c == 0xF4 && next > 0x8F))
        return false;
    }
    i += trail + 1;
  }
  return true;
}

bool IsCp932LeadByte(uint8_t c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::string NamePart(std::string_view path) {
  // In CP932 the second byte of a double-byte character may be 0x5C, the backslash: such text
  // is never valid UTF-8, so it is walked character by character; UTF-8 and ASCII text has
  // separators only where the bytes say so.
  const bool cp932 = !IsValidUtf8(path);
  size_t nameStart = 0;
  size_t lastDot = std::string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    uint8_t c = uint8_t(path[i]);
    if (cp932 && IsCp932LeadByte(c)) {
      ++i;  // the trail byte is part of the character
      continue;
    }
    const bool drive = c == ':' && i == 1;  // "C:" before the directory
    if (c == '/' || c == '\\' || drive) {
      nameStart = i + 1;
      lastDot = std::string_view::npos;
    } else if (c == '.') {
      lastDot = i;
    }
  }
  size_t end = lastDot == std::string_view::npos ? path.size() : lastDot;
  return std::string(path.substr(nameStart, end - nameStart));
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

}  // namespace kel

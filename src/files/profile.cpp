#include "files/profile.h"

#include "model/text.h"

namespace kel {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

char FoldAscii(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// The form under which a name is kept: equal for names that ProfileNameEqual takes as equal.
std::string Folded(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = FoldAscii(c);
  return out;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A value written in a matching pair of quotes stands for what is between them: that is how a
// value keeps blanks at its ends.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

// UTF-16 after its byte-order mark. A surrogate without its partner, or an odd last byte,
// becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  constexpr uint32_t kReplacement = 0xFFFD;
  auto unit = [&](size_t i) -> uint32_t {
    const uint8_t a = uint8_t(bytes[i]), b = uint8_t(bytes[i + 1]);
    return bigEndian ? (uint32_t(a) << 8 | b) : (uint32_t(b) << 8 | a);
  };
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
  }
  if (i < bytes.size()) AppendUtf8(out, kReplacement);
  return out;
}

// UTF-8 text as it stands, but each byte that starts no whole character becomes U+FFFD. A
// character is the shortest run of bytes from where the text stands that IsValidUtf8 takes, so
// both agree on what UTF-8 is.
std::string Utf8Lossy(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  size_t i = 0;
  while (i < bytes.size()) {
    size_t n = 1;
    while (n <= 4 && !IsValidUtf8(bytes.substr(i, n))) ++n;
    if (n <= 4) {
      out.append(bytes.substr(i, n));
      i += n;
    } else {
      AppendUtf8(out, 0xFFFD);
      ++i;
    }
  }
  return out;
}

}  // namespace

bool ProfileNameEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

int32_t ProfileNumber(std::string_view value) {
  return AtolRule(value);
}

std::string ProfileTextToUtf8(std::string_view bytes) {
  // The mark says UTF-8, so what follows is taken as UTF-8 even where it is damaged.
  if (bytes.substr(0, 3) == kUtf8Bom) return Utf8Lossy(bytes.substr(3));
  if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFF && uint8_t(bytes[1]) == 0xFE)
    return Utf16ToUtf8(bytes.substr(2), false);
  if (bytes.size() >= 2 && uint8_t(bytes[0]) == 0xFE && uint8_t(bytes[1]) == 0xFF)
    return Utf16ToUtf8(bytes.substr(2), true);
  // Japanese CP932 text is almost never valid UTF-8 (its lead bytes 0x81-0x9F cannot start a
  // UTF-8 character), while UTF-8 Japanese text often happens to decode as CP932: validity as
  // UTF-8 is the test that tells them apart.
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Cp932ToUtf8Lossy(bytes);
}

Profile::Profile(std::string_view text) {
  Section* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.rfind(']');
      if (close == std::string_view::npos) continue;  // no header, and no key either
      // A section written again adds nothing: lookups find the first one.
      const auto [it, added] = sections_.try_emplace(Folded(Trim(line.substr(1, close - 1))));
      current = added ? &it->second : nullptr;
      continue;
    }
    if (!current) continue;  // lines before the first section belong to none
    const size_t eq = line.find('=');
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value =
        eq == std::string_view::npos ? std::string_view() : Unquote(Trim(line.substr(eq + 1)));
    // The first line of a key is the one found.
    if (current->values.try_emplace(Folded(key), value).second) current->keys.emplace_back(key);
  }
}

const Profile::Section* Profile::FindSection(std::string_view section) const {
  const auto it = sections_.find(Folded(section));
  return it == sections_.end() ? nullptr : &it->second;
}

bool Profile::HasSection(std::string_view section) const {
  return FindSection(section) != nullptr;
}

std::optional<std::string> Profile::Find(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return std::nullopt;
  const auto it = s->values.find(Folded(key));
  if (it == s->values.end()) return std::nullopt;
  return it->second;
}

std::string Profile::GetString(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
  std::optional<std::string> value = Find(section, key);
  return value ? std::move(*value) : std::string(defaultValue);
}

int32_t Profile::GetInt(std::string_view section, std::string_view key,
                        int32_t defaultValue) const {
  const std::optional<std::string> value = Find(section, key);
  if (!value || value->empty()) return defaultValue;
  return ProfileNumber(*value);
}

std::vector<std::string> Profile::Keys(std::string_view section) const {
  const Section* s = FindSection(section);
  return s ? s->keys : std::vector<std::string>();
}

}  // namespace kel

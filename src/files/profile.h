// Profile (INI) files: "[section]" lines and "key=value" lines below them, read with the rules of
// the desktop's profile functions, so that a file written for them reads the same here.
//
//   - Section and key names match regardless of ASCII letter case ("numframes" finds
//     "NumFrames"); other characters must be equal.
//   - Names and values are trimmed of surrounding blanks (spaces and tabs); a value in a matching
//     pair of quotes ("..." or '...') has them removed, and what is inside them stays as written.
//   - A line whose first character other than a blank is ';' is a comment. A ';' later in a line
//     is part of the value.
//   - A section header runs from '[' to the last ']' of its line; a line with '[' and no ']' is
//     ignored, as are lines before the first section. A line without '=' is a key with an empty
//     value.
//   - When a section or a key occurs more than once, the first occurrence is the one found.
//   - A missing key gives the caller's default; so does an empty value read as a number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kel {

// Whether two section or key names match: ASCII letters regardless of case, every other byte
// exactly. Names are compared as UTF-8, whose multi-byte characters never hold ASCII bytes.
bool ProfileNameEqual(std::string_view a, std::string_view b);

// The number rule of the profile functions' integer reading: leading blanks, an optional sign,
// decimal digits; anything else ends the number; no digits gives 0. Saturates at the 32-bit
// limits. The value is taken as written: a negative number stays negative.
int32_t ProfileNumber(std::string_view value);

// The text of a profile file as UTF-8, whatever it was written in:
//   - a UTF-8 byte-order mark: UTF-8 (the mark dropped);
//   - a UTF-16 byte-order mark (little or big endian): UTF-16, as "Unicode" text editors save;
//   - no mark and every byte sequence valid UTF-8: UTF-8 (plain ASCII reads the same either way);
//   - otherwise CP932, the code page such files are written in on Japanese Windows.
// Bytes that are not valid in the encoding chosen become U+FFFD.
std::string ProfileTextToUtf8(std::string_view bytes);

// A profile file held in memory.
class Profile {
 public:
  // text: UTF-8 (see ProfileTextToUtf8). Lines end in "\n", "\r\n" or "\r".
  explicit Profile(std::string_view text);

  bool HasSection(std::string_view section) const;
  // The value of key in section (trimmed, quotes removed), nullopt when either is missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;
  // The value read with ProfileNumber; defaultValue when the key is missing or its value empty.
  int32_t GetInt(std::string_view section, std::string_view key, int32_t defaultValue) const;
  // The names of the section's keys in file order, as written (each name once).
  std::vector<std::string> Keys(std::string_view section) const;

 private:
  struct Section {
    std::vector<std::string> keys;                        // as written, in file order
    std::unordered_map<std::string, std::string> values;  // by folded key: the final value
  };
  const Section* FindSection(std::string_view section) const;

  // By folded name: a file of many lines is looked up without a walk through all of them.
  std::unordered_map<std::string, Section> sections_;
};

}  // namespace kel

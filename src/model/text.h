// Text rules shared by the whole program: the atol number rule, CP932 conversion and the name
// part of a path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kel {

// Leading blanks, optional sign, digits; anything else ends the number; no digits gives 0.
// Saturates at the 32-bit limits instead of overflowing.
int32_t AtolRule(std::string_view text);

// CP932 bytes <-> UTF-8. nullopt when the text cannot be converted.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);
std::optional<std::string> Utf8ToCp932(std::string_view utf8);
// For display of stored bytes that may be damaged: undecodable bytes become U+FFFD.
std::string Cp932ToUtf8Lossy(std::string_view cp932);

// Whether every byte sequence of s is a UTF-8 character (ASCII text included).
bool IsValidUtf8(std::string_view s);
// Appends the UTF-8 bytes of the code point cp (at most U+10FFFF) to out.
void AppendUtf8(std::string& out, uint32_t cp);

// The first byte of a CP932 double-byte character; the byte after it belongs to that character.
bool IsCp932LeadByte(uint8_t c);

// The file name without drive, directory and extension (accepts '/' and '\\').
std::string NamePart(std::string_view path);

}  // namespace kel

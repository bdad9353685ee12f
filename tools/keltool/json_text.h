// JSON text for the machine-readable summary: string quoting that always yields valid JSON.
#pragma once

#include <string>
#include <string_view>

namespace keltool {

// The JSON string literal of utf8, quotes included. Quotes, backslashes and control characters
// are escaped; byte sequences that are not well-formed UTF-8 become U+FFFD, so the result is
// valid JSON whatever bytes come in.
std::string JsonString(std::string_view utf8);

}  // namespace keltool

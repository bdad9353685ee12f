#include "export/file_name.h"

#include <cstring>

#include "model/text.h"

namespace kel {

std::string ExportFileStem(const std::string& cp932Name) {
  // Bytes that do not decode become U+FFFD: the name stays recognisable and valid UTF-8.
  std::string stem = Cp932ToUtf8Lossy(cp932Name);
  for (char& c : stem) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c)) c = '_';
  }
  while (!stem.empty() && (stem.back() == '.' || stem.back() == ' ')) stem.pop_back();
  return stem;
}

}  // namespace kel

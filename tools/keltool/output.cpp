// The files the commands write.
#include <cstdio>
#include <ostream>

#include "commands.h"
#include "model/save_file.h"

namespace keltool {

std::string Numbered(const char* format, size_t n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, n);
  return buf;
}

bool WriteOut(const std::string& path, const std::function<bool(std::ostream&)>& write,
              std::ostream& err) {
  kel::SaveOptions options;
  options.followLinks = false;
  const kel::SaveResult saved = kel::SaveFile(path, write, options);
  if (!saved.ok) err << "keltool: " << saved.message << "\n";
  return saved.ok;
}

}  // namespace keltool

#include "app/version_info.h"

#include <cstdio>

namespace kel {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// The parts of a path "\A\B\C", without empty ones (a leading or doubled backslash).
std::vector<std::string_view> PathParts(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

const VersionBlock& ProgramVersion() {
  static const VersionBlock block = {
      {0x04E40409u},
      {{"040904E4",
        {{"FileVersion", KEL_VERSION},
         {"LegalCopyright", "Copyright (C) 2026 keledit developers"},
         {"ProductName", "keledit"},
         {"ProductVersion", KEL_VERSION}}}},
  };
  return block;
}

bool VerQueryValue(VersionBlock& block, std::string_view subBlock, VersionValue& value) {
  const std::vector<std::string_view> parts = PathParts(subBlock);
  if (parts.size() == 2 && SameName(parts[0], "VarFileInfo") && SameName(parts[1], "Translation")) {
    if (block.Translation.empty()) return false;
    value.translation = block.Translation.data();
    return true;
  }
  if (parts.size() == 3 && SameName(parts[0], "StringFileInfo")) {
    for (const VersionBlock::StringTable& table : block.Strings) {
      if (!SameName(table.Key, parts[1])) continue;
      for (const auto& [name, text] : table.Values)
        if (SameName(name, parts[2])) {
          value.text = text.c_str();
          return true;
        }
    }
  }
  return false;
}

ProjectRCVersion::ProjectRCVersion(const VersionBlock* module) {
  if (!module) return;  // the module carries no version information
  VersionData = std::make_unique<VersionBlock>(*module);
  VersionValue value;
  if (!VerQueryValue(*VersionData, "\\VarFileInfo\\Translation", value)) {
    VersionData.reset();
    return;
  }
  Translation = value.translation;
  *Translation = (*Translation << 16) | (*Translation >> 16);
}

ProjectRCVersion::~ProjectRCVersion() = default;

bool ProjectRCVersion::GetValue(const char* name, const char*& value) {
  if (!VersionData) return false;
  char table[9];
  std::snprintf(table, sizeof table, "%08lx", static_cast<unsigned long>(*Translation));
  const std::string path = std::string("\\StringFileInfo\\") + table + "\\" + name;
  VersionValue found;
  if (!VerQueryValue(*VersionData, path, found)) return false;
  value = found.text;
  return true;
}

bool ProjectRCVersion::GetProductName(const char*& value) {
  return GetValue("ProductName", value);
}

bool ProjectRCVersion::GetProductVersion(const char*& value) {
  return GetValue("ProductVersion", value);
}

bool ProjectRCVersion::GetCopyright(const char*& value) {
  return GetValue("LegalCopyright", value);
}

bool ProjectRCVersion::GetDebug(const char*& value) {
  return GetValue("SpecialBuild", value);
}

}  // namespace kel

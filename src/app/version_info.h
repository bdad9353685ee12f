// The program's version block and ProjectRCVersion, which reads string values out of it. The block
// is compiled in from the build's project version; it is laid out as a version resource is: a
// translation table (language and code page of each string table) and string tables named by
// the hexadecimal language and code page, so that values are found by the usual sub-block paths
// "\VarFileInfo\Translation" and "\StringFileInfo\040904e4\ProductName".
// Standard library only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kel {

struct VersionBlock {
  // Each entry as a version resource stores it: the language in the low 16 bits, the code page
  // in the high 16 bits (0x04E40409 is language 0x0409 with code page 0x04E4).
  std::vector<uint32_t> Translation;
  struct StringTable {
    std::string Key;  // eight hexadecimal digits, language then code page ("040904E4")
    std::vector<std::pair<std::string, std::string>> Values;  // name, value (UTF-8)
  };
  std::vector<StringTable> Strings;
};

// The version block of this program: ProductName, ProductVersion and FileVersion (the project
// version of the build), LegalCopyright; no SpecialBuild.
const VersionBlock& ProgramVersion();

// What a sub-block path names: the translation table's first entry, or a string value.
struct VersionValue {
  uint32_t* translation = nullptr;  // for "\VarFileInfo\Translation"
  const char* text = nullptr;       // for "\StringFileInfo\<table>\<name>"
};
// Looks a sub-block path up in the block; names and table keys match regardless of letter case.
// false when the path names nothing the block holds (an empty translation table included).
bool VerQueryValue(VersionBlock& block, std::string_view subBlock, VersionValue& value);

class ProjectRCVersion {
 public:
  // Reads the version block a module carries: a copy of it becomes VersionData. A null module
  // (one without version information) or a block without a translation table leaves no version
  // data, and every getter answers false.
  explicit ProjectRCVersion(const VersionBlock* module = &ProgramVersion());
  virtual ~ProjectRCVersion();
  ProjectRCVersion(const ProjectRCVersion&) = delete;
  ProjectRCVersion& operator=(const ProjectRCVersion&) = delete;

  // Each sets value to the string inside VersionData (valid while this object lives) and answers
  // true when it was found; false, with value untouched, when it was not.
  bool GetProductName(const char*& value);
  bool GetProductVersion(const char*& value);
  bool GetCopyright(const char*& value);  // LegalCopyright
  bool GetDebug(const char*& value);      // SpecialBuild

  bool HasVersionData() const { return VersionData != nullptr; }

 private:
  bool GetValue(const char* name, const char*& value);

  std::unique_ptr<VersionBlock> VersionData;
  // The first translation entry inside VersionData, its halves swapped once by the constructor:
  // read as one number it has the language in the high half and the code page in the low half,
  // which is how the string tables are named.
  uint32_t* Translation = nullptr;
};

}  // namespace kel

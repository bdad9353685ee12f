// Object names are the objects' keys in the file: every name of the list must be unique. Names
// are compared as stored bytes, so names differing only in letter case are distinct.
#include <string_view>
#include <unordered_set>

#include "editor/dialog.h"

namespace kel {

int ObKELDialog::CheckName(const std::string& name) {
  if (SpriteList) {
    for (const auto& sprite : *SpriteList) {
      if (sprite->Name == name) {
        ShowError(QStringLiteral("重複するオブジェクト名があります"));
        return 0;
      }
    }
  }
  return 1;
}

int ObKELDialog::CheckRepeatedName() const {
  if (!SpriteList) return 1;
  std::unordered_set<std::string_view> seen;
  seen.reserve(SpriteList->size());
  for (const auto& sprite : *SpriteList)
    if (!seen.insert(sprite->Name).second) return 0;
  return 1;
}

}  // namespace kel

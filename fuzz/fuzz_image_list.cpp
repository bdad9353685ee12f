// Fuzz target: any bytes read as an image list file, and the profile text beneath it. Beyond "no
// crash, no overrun, no hang" it checks what the readers promise for every input:
//   - the profile text comes out as UTF-8, and UTF-8 read again stays as it is;
//   - every key a section lists is found under its name, once, and no name or value spans lines;
//   - a refused list says why; an accepted one lists at least one entry and a positive count;
//   - entries stand frame by frame, image before mask, each slot once, with frames from 1 to the
//     reader's bound (or the count, when smaller); the rest up to the count are "beyond";
//   - the bound only splits the list: a smaller one lists the same slots, more of them beyond;
//   - an entry's path is its written path resolved against the list's folder, with no backslash;
//   - reading the same bytes from a file, or a second time, gives the same list.
// A path may hold a zero byte (UTF-8 and UTF-16 text can carry one): the editor refuses such an
// entry itself, so the reader hands it on as written.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/image_list.h"
#include "files/profile.h"
#include "fuzz_support.h"
#include "model/text.h"

namespace {

using fuzz::Require;

// The folder relative entries are taken from. It need not exist: paths are only resolved.
const std::filesystem::path kListFolder = "/lists/walk";
constexpr int kMaxFrames = 128;  // what the editor's grid takes
constexpr int kSmallBound = 2;

bool SameEntry(const kel::ImageListEntry& a, const kel::ImageListEntry& b) {
  return a.frame == b.frame && a.mask == b.mask && a.key == b.key && a.path == b.path;
}

bool SameEntries(const std::vector<kel::ImageListEntry>& a,
                 const std::vector<kel::ImageListEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (!SameEntry(a[i], b[i])) return false;
  return true;
}

bool SameResult(const kel::ImageListResult& a, const kel::ImageListResult& b) {
  return a.ok == b.ok && a.message == b.message && a.list.numFrames == b.list.numFrames &&
         SameEntries(a.list.entries, b.list.entries) && SameEntries(a.list.beyond, b.list.beyond);
}

std::vector<kel::ImageListEntry> AllListed(const kel::ImageList& list) {
  std::vector<kel::ImageListEntry> all = list.entries;
  all.insert(all.end(), list.beyond.begin(), list.beyond.end());
  return all;
}

// Frame by frame, image before mask, each slot once: the order is strict.
bool InSlotOrder(const kel::ImageListEntry& a, const kel::ImageListEntry& b) {
  return a.frame != b.frame ? a.frame < b.frame : !a.mask && b.mask;
}

void CheckEntries(const std::vector<kel::ImageListEntry>& entries, int64_t first, int64_t last) {
  for (size_t i = 0; i < entries.size(); ++i) {
    const kel::ImageListEntry& e = entries[i];
    Require(e.frame >= first && e.frame <= last);
    if (i > 0) Require(InSlotOrder(entries[i - 1], e));
    Require(kel::ProfileNameEqual(e.key, (e.mask ? "M" : "I") + std::to_string(e.frame)));
    Require(!e.path.empty());
    Require(e.path.find('\\') == std::string::npos);
    Require(kel::IsValidUtf8(e.path));
  }
}

void CheckList(const kel::ImageListResult& r, int maxFrames) {
  if (!r.ok) {
    Require(!r.message.empty());
    return;
  }
  Require(r.list.numFrames > 0);
  Require(!r.list.entries.empty() || !r.list.beyond.empty());
  const int64_t last = std::min<int64_t>(r.list.numFrames, maxFrames);
  CheckEntries(r.list.entries, 1, last);
  CheckEntries(r.list.beyond, last + 1, r.list.numFrames);
}

void CheckProfile(const std::string& text) {
  const kel::Profile profile(text);
  const std::vector<std::string> keys = profile.Keys(kel::kImageListSection);
  Require(keys.empty() || profile.HasSection(kel::kImageListSection));
  for (size_t i = 0; i < keys.size(); ++i) {
    Require(keys[i].find_first_of("\r\n") == std::string::npos);
    const std::optional<std::string> value = profile.Find(kel::kImageListSection, keys[i]);
    Require(value.has_value());
    Require(value->find_first_of("\r\n") == std::string::npos);
    for (size_t j = 0; j < i; ++j) Require(!kel::ProfileNameEqual(keys[j], keys[i]));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const std::string text = kel::ProfileTextToUtf8(bytes);
  Require(kel::IsValidUtf8(text));
  // UTF-8 without a byte-order mark is taken as it is.
  if (text.substr(0, 3) != "\xEF\xBB\xBF") Require(kel::ProfileTextToUtf8(text) == text);
  CheckProfile(text);

  const kel::ImageListResult r = kel::ParseImageList(bytes, kListFolder, kMaxFrames);
  CheckList(r, kMaxFrames);
  Require(SameResult(r, kel::ParseImageList(bytes, kListFolder, kMaxFrames)));

  const kel::ImageListResult small = kel::ParseImageList(bytes, kListFolder, kSmallBound);
  CheckList(small, kSmallBound);
  Require(small.ok == r.ok && small.list.numFrames == r.list.numFrames);
  Require(SameEntries(AllListed(small.list), AllListed(r.list)));

  // Without a folder, an entry's path is as written (backslashes turned); resolving that against
  // the folder gives the path the list read with the folder holds.
  const kel::ImageListResult bare = kel::ParseImageList(bytes, {}, kMaxFrames);
  Require(bare.ok == r.ok && bare.list.entries.size() == r.list.entries.size() &&
          bare.list.beyond.size() == r.list.beyond.size());
  const std::vector<kel::ImageListEntry> written = AllListed(bare.list);
  const std::vector<kel::ImageListEntry> resolved = AllListed(r.list);
  for (size_t i = 0; i < written.size(); ++i) {
    Require(written[i].key == resolved[i].key);
    Require(kel::ResolveListedPath(written[i].path, kListFolder) == resolved[i].path);
  }

  // The file form reads the same bytes, taking relative paths from the file's folder.
  static const fuzz::ScratchFolder scratch("fuzz_image_list");
  const std::filesystem::path file = scratch.Path() / "list.lst";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    Require(bool(out));
  }
  Require(SameResult(kel::ReadImageListFile(file, kMaxFrames),
                     kel::ParseImageList(bytes, scratch.Path(), kMaxFrames)));
  return 0;
}

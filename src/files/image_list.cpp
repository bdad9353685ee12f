#include "files/image_list.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>

#include "files/profile.h"
#include "model/system_error.h"

namespace kel {

namespace {

constexpr char kNumFramesKey[] = "NumFrames";

// The frame number of an "I<k>" or "M<k>" key as the format writes it ("I%d": no sign, no
// leading zero), or nullopt for any other key.
std::optional<int64_t> ListedFrame(std::string_view key, bool* mask) {
  if (key.size() < 2 || key.size() > 11) return std::nullopt;
  const char kind = key.front();
  if (kind != 'I' && kind != 'i' && kind != 'M' && kind != 'm') return std::nullopt;
  if (key[1] == '0') return std::nullopt;
  int64_t k = 0;
  for (char c : key.substr(1)) {
    if (c < '0' || c > '9') return std::nullopt;
    k = k * 10 + (c - '0');
  }
  *mask = kind == 'M' || kind == 'm';
  return k;
}

}  // namespace

std::string ResolveListedPath(std::string_view written, const std::filesystem::path& listFolder) {
  std::string path(written);
  // The text is UTF-8 by now, so a 0x5C byte is a backslash and never the second byte of a
  // CP932 character.
  for (char& c : path)
    if (c == '\\') c = '/';
  const std::filesystem::path p(path);
  if (p.is_absolute() || listFolder.empty()) return MatchLetterCase(path);
  return MatchLetterCase((listFolder / p).string());
}

std::string MatchLetterCase(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const auto there = [&](const fs::path& p) {
    return fs::exists(fs::symlink_status(p.empty() ? fs::path(".") : p, ec));
  };
  if (path.empty() || there(path)) return path;
  const fs::path written(path);
  fs::path found = written.root_path();
  for (const fs::path& part : written.relative_path()) {
    const fs::path next = found / part;
    if (part.empty() || part == "." || part == ".." || there(next)) {
      found = next;
      continue;
    }
    const std::string name = part.string();
    std::optional<fs::path> match;
    int matches = 0;
    for (fs::directory_iterator it(found.empty() ? fs::path(".") : found, ec), end;
         !ec && it != end && matches < 2; it.increment(ec)) {
      const std::string other = it->path().filename().string();
      const bool same =
          other.size() == name.size() &&
          std::equal(other.begin(), other.end(), name.begin(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? a + 32 : a) == (b >= 'A' && b <= 'Z' ? b + 32 : b);
          });
      if (same) ++matches, match = it->path().filename();
    }
    // None, or two that differ only in case: the path stays as written, and fails as written.
    if (matches != 1) return path;
    found /= *match;
  }
  return found.string();
}

ImageListResult ParseImageList(std::string_view bytes, const std::filesystem::path& listFolder,
                               int maxFrames) {
  ImageListResult result;
  const Profile profile(ProfileTextToUtf8(bytes));
  if (!profile.HasSection(kImageListSection)) {
    result.message = "[Image List] セクションがありません";
    return result;
  }
  const std::optional<std::string> count = profile.Find(kImageListSection, kNumFramesKey);
  if (!count || count->empty()) {
    result.message = "NumFrames がありません";
    return result;
  }
  ImageList& list = result.list;
  list.numFrames = ProfileNumber(*count);
  if (list.numFrames <= 0) {
    result.message = "NumFrames が " + std::to_string(list.numFrames) + " です";
    return result;
  }

  // Every slot listed is found among the keys the file has, each name once (its first line, as
  // lookups find it): a count of two billion costs nothing, and each entry keeps its key as
  // written. The frames the reader can take are its entries, the others up to the count beyond.
  const int last = list.numFrames < maxFrames ? int(list.numFrames) : maxFrames;
  for (const std::string& key : profile.Keys(kImageListSection)) {
    bool mask = false;
    const std::optional<int64_t> k = ListedFrame(key, &mask);
    if (!k || *k > list.numFrames) continue;
    const std::string value = profile.GetString(kImageListSection, key, "");
    if (value.empty()) continue;
    (*k <= last ? list.entries : list.beyond)
        .push_back({int(*k), mask, key, ResolveListedPath(value, listFolder)});
  }
  // Frame by frame, image before mask.
  const auto slotOrder = [](const ImageListEntry& a, const ImageListEntry& b) {
    return a.frame != b.frame ? a.frame < b.frame : !a.mask && b.mask;
  };
  std::sort(list.entries.begin(), list.entries.end(), slotOrder);
  std::sort(list.beyond.begin(), list.beyond.end(), slotOrder);

  if (list.entries.empty() && list.beyond.empty()) {
    result.message = "フレーム 1 から " + std::to_string(list.numFrames) +
                     " までのイメージもマスクも書かれていません";
    return result;
  }
  result.ok = true;
  return result;
}

ImageListResult ReadImageListFile(const std::filesystem::path& path, int maxFrames) {
  ImageListResult result;
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    result.message = "ファイルを開けません (" + SystemErrorText(ec.value()) + ")";
    return result;
  }
  if (size > kMaxImageListFileSize) {
    result.message = "ファイルが大きすぎます (" + std::to_string(size) + " バイト)";
    return result;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    result.message = "ファイルを開けません (" + SystemErrorText(errno) + ")";
    return result;
  }
  std::string bytes(size_t(size), '\0');
  in.read(bytes.data(), std::streamsize(bytes.size()));
  if (in.gcount() != std::streamsize(bytes.size())) {
    result.message = "ファイルを最後まで読めません";
    return result;
  }
  return ParseImageList(bytes, path.parent_path(), maxFrames);
}

}  // namespace kel

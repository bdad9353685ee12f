// Image list files (.lst): the bitmap files of a whole animation, frame by frame, in a profile
// (INI) file:
//
//   [Image List]
//   NumFrames=3
//   I1=walk1.bmp        image of frame 1
//   M1=walk1m.bmp       mask of frame 1
//   I2=..\common\walk2.bmp
//
// "NumFrames" says how many frames are listed; "I<k>" and "M<k>" (k from 1, in decimal) name the
// image and the mask of frame k. Names match regardless of letter case (profile rules, see
// profile.h); other keys and sections are ignored. A missing or empty entry lists nothing for its
// slot.
//
// Lists are mostly written on Windows: the text is CP932 unless it is UTF-8 or UTF-16 (see
// ProfileTextToUtf8), a backslash in a path is a folder separator, and a relative path is taken
// from the folder of the list file itself (where the list and its bitmaps travel together).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kel {

inline constexpr char kImageListSection[] = "Image List";
// A list file larger than this is no list (even 128 frames with two long paths each take well
// under a megabyte); it is not read into memory.
inline constexpr uintmax_t kMaxImageListFileSize = 8u << 20;

struct ImageListEntry {
  int frame = 0;      // from 1
  bool mask = false;  // the "M" key, else "I"
  std::string key;    // as written in the file (UTF-8)
  std::string path;   // the file system's path (UTF-8), resolved against the list's folder
};

struct ImageList {
  int32_t numFrames = 0;  // "NumFrames" as written
  // The non-empty entries of frames 1 to min(numFrames, maxFrames), frame by frame, image
  // before mask.
  std::vector<ImageListEntry> entries;
  // Non-empty entries of frames after maxFrames up to numFrames, in frame order: listed, but
  // beyond what the reader was asked to take.
  std::vector<ImageListEntry> beyond;
};

struct ImageListResult {
  bool ok = false;
  std::string message;  // why the file is no usable list, when !ok (Japanese, UTF-8)
  ImageList list;
};

// Reads the list file at path (the file system's path). Refused: a file that cannot be read or
// is larger than kMaxImageListFileSize, one without the "Image List" section, with "NumFrames"
// missing, 0 or negative, or listing no entry at all.
ImageListResult ReadImageListFile(const std::filesystem::path& path, int maxFrames);

// The same from the file's bytes; listFolder is the folder relative entries are taken from.
ImageListResult ParseImageList(std::string_view bytes, const std::filesystem::path& listFolder,
                               int maxFrames);

// An entry's path as the file system takes it: backslashes become '/', a relative path is
// joined to listFolder, and a path that does not exist as written is matched by letter case
// (MatchLetterCase).
std::string ResolveListedPath(std::string_view written, const std::filesystem::path& listFolder);

// path itself when it exists as written; otherwise the path whose every part is the one existing
// name of its folder that differs from the written part only in ASCII letter case (a list written
// on a system that ignores case names "IMG/FR03.BMP" for "img/fr03.bmp"). When a part has no such
// name, or more than one, path is returned as written.
std::string MatchLetterCase(const std::string& path);

}  // namespace kel

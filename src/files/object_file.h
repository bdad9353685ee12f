// The object file: a 32-byte header with the magic "KE--1.00", an int16 object count, then the
// object records. Reading never changes the caller's list unless the whole file is valid.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "model/sprite.h"

namespace kel {

class MappedFile;

inline constexpr char kObjectFileMagic[] = "KE--1.00";
inline constexpr size_t kObjectFileHeaderSize = 32;

struct ObjectFileResult {
  bool ok = false;
  std::string message;  // what was wrong and where, when !ok
};

// Replaces list by the file's objects (only when the whole file reads).
ObjectFileResult ReadObjectFile(std::istream& in, SpriteList& list);
// The same from a mapped file, whose pages the pictures borrow instead of copying them: the
// quickest read, for tools that read, work and exit (see MappedFile about files that shrink).
ObjectFileResult ReadObjectFile(std::shared_ptr<MappedFile> file, SpriteList& list);
// Appends the file's objects. checkName(name) answers false for a name that may not be added
// (it is asked about each object in turn, with the objects accepted before it already in list);
// the objects before the refused one stay appended, as does nothing after it.
ObjectFileResult AddReadObjectFile(std::istream& in, SpriteList& list,
                                   const std::function<bool(const std::string& name)>& checkName);
// Writes the header, the count and every object. false when the stream fails.
bool WriteObjectFile(std::ostream& out, const SpriteList& list);

// The path forms, with the file opened as raw bytes. A file that cannot be opened gives a
// message naming it and the system's reason.
ObjectFileResult ReadObjectFile(const std::string& path, SpriteList& list);
ObjectFileResult AddReadObjectFile(const std::string& path, SpriteList& list,
                                   const std::function<bool(const std::string& name)>& checkName);

}  // namespace kel

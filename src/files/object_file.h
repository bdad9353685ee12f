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
  // The system's reason (errno) when the file could not be opened at all, for a caller that
  // words it in its own language; 0 when it opened or is no regular file (message says which).
  int openError = 0;
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
// The names part of AddReadObjectFile, for a caller that reads the whole file first with
// ReadObjectFile (on another thread, say) and asks about the names afterwards: appends objects
// (a file's objects, in file order) to list, asking checkName about each, up to the first
// refused one; the message names that object by its place in the file.
ObjectFileResult AppendObjects(SpriteList objects, SpriteList& list,
                               const std::function<bool(const std::string& name)>& checkName);
// Writes the header, the count and every object. false when the stream fails.
bool WriteObjectFile(std::ostream& out, const SpriteList& list);

// The path forms, for a program that keeps what it read (the editor): the file is read, not
// mapped, so another program changing it later changes nothing here. Only a regular file is read:
// a folder, a named pipe (never waited on), a device or a socket is refused with a message naming
// it. The reader goes by the file's size, so no size field makes it allocate more than the file
// holds; a file that reports size 0 (the kernel's files under /proc) is read to its end. A file
// that cannot be opened gives a message naming it and the system's reason (and openError).
ObjectFileResult ReadObjectFile(const std::string& path, SpriteList& list);
ObjectFileResult AddReadObjectFile(const std::string& path, SpriteList& list,
                                   const std::function<bool(const std::string& name)>& checkName);

}  // namespace kel

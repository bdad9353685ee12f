// Fuzz target: any bytes read as an object file. Beyond "no crash, no overrun, no runaway
// allocation" it checks the reader's promises: a refused file comes with a message and leaves the
// caller's list as it was; an accepted file writes back, and what is written reads again and
// writes the same bytes. The same bytes read from a mapped file give the same answer and, when
// accepted, the same objects as the stream reader.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "files/object_file.h"
#include "fuzz_support.h"
#include "model/mapped_file.h"

namespace {

using fuzz::Require;

std::string Written(const kel::SpriteList& list) {
  std::ostringstream out;
  Require(kel::WriteObjectFile(out, list));
  return out.str();
}

// The bytes written to a file and read through its mapping: the pictures then borrow their rows
// from the mapping instead of copying them, which must change nothing the reader answers.
void CheckMappedRead(const std::string& bytes, const kel::ObjectFileResult& streamed,
                     const kel::SpriteList& streamedList) {
  static const fuzz::ScratchFolder scratch("fuzz_object_file");
  const std::string path = (scratch.Path() / "object.kel").string();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    Require(bool(out));
  }
  int error = 0;
  std::shared_ptr<kel::MappedFile> file = kel::MappedFile::Open(path, error);
  Require(file != nullptr && file->Size() == bytes.size());
  kel::SpriteList mapped;
  const kel::ObjectFileResult m = kel::ReadObjectFile(std::move(file), mapped);
  Require(m.ok == streamed.ok && m.message == streamed.message);
  if (m.ok) {
    Require(mapped.size() == streamedList.size());
    Require(Written(mapped) == Written(streamedList));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  kel::SpriteList list;
  list.push_back(std::make_unique<kel::ObSpriteData>());
  std::string before = "before";
  list.back()->SwapName(before);
  std::istringstream in(bytes);
  const kel::ObjectFileResult r = kel::ReadObjectFile(in, list);
  if (!r.ok) {
    Require(!r.message.empty());
    Require(list.size() == 1 && list[0]->Name() == "before");
  } else {
    const std::string first = Written(list);
    std::istringstream again(first);
    kel::SpriteList reread;
    Require(kel::ReadObjectFile(again, reread).ok);
    Require(reread.size() == list.size());
    Require(Written(reread) == first);
  }
  CheckMappedRead(bytes, r, list);

  // Appending: refusing the second name keeps exactly the objects before it.
  kel::SpriteList appended;
  int asked = 0;
  std::istringstream in2(bytes);
  const kel::ObjectFileResult a =
      kel::AddReadObjectFile(in2, appended, [&](const std::string&) { return ++asked < 2; });
  if (a.ok) Require(r.ok && appended.size() == list.size() && asked == int(list.size()));
  if (!a.ok) Require(!a.message.empty() && appended.size() <= 1);
  return 0;
}

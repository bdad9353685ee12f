// The object file: header, count, object records. The file is read whole into a list of its
// own first; the caller's list changes only when every byte of the file was valid.
#include "files/object_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <vector>

#include "model/le.h"
#include "model/mapped_file.h"
#include "model/record_io.h"
#include "model/system_error.h"
#include "model/text.h"

namespace kel {

namespace {

constexpr size_t kMagicLength = sizeof kObjectFileMagic - 1;  // 8

ObjectFileResult Failure(std::string message) {
  return {false, std::move(message)};
}

// Reads the whole file into objects. On failure the message says what and where.
ObjectFileResult ReadAll(RecordReader& reader, SpriteList& objects) {
  if (!reader.Ok()) return Failure(reader.Error());
  uint8_t head[kObjectFileHeaderSize + 2];
  // The header's bytes as far as the file holds them: a short file that is not an object file
  // at all is told by its first bytes, not by its length.
  size_t got = 0;
  while (got < kObjectFileHeaderSize && !reader.AtEnd()) {
    if (!reader.ReadBytes(head + got, 1, "ファイルの見出し")) return Failure(reader.Error());
    ++got;
  }
  // The magic is a NUL-terminated string: "KE--1.00" followed by anything but 0 is another one.
  if (std::memcmp(head, kObjectFileMagic, std::min(got, kMagicLength + 1)) != 0) {
    reader.FailAt(0, "オブジェクトファイルの識別子 \"KE--1.00\" がありません");
    return Failure(reader.Error());
  }
  // What there is begins as an object file should, and then the file ends.
  if (got < kObjectFileHeaderSize) {
    reader.FailAt(0, "ファイルの見出しの途中でファイルが終わっています");
    return Failure(reader.Error());
  }
  if (!reader.ReadBytes(head + kObjectFileHeaderSize, 2, "オブジェクトの数")) {
    return Failure(reader.Error());
  }
  const int16_t count = le::I16(head + kObjectFileHeaderSize);
  if (count < 0) {
    reader.FailAt(kObjectFileHeaderSize,
                  "オブジェクトの数が負の値です (" + std::to_string(count) + ")");
    return Failure(reader.Error());
  }

  objects.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    if (reader.AtEnd()) {
      reader.Fail("オブジェクトの数は " + std::to_string(count) + " ですが、ファイルには " +
                  std::to_string(i) + " 個しかありません");
      return Failure(reader.Error());
    }
    reader.SetPlace("オブジェクト " + std::to_string(i + 1));
    auto object = std::make_unique<ObSpriteData>();
    if (!object->Read(reader)) return Failure(reader.Error());
    objects.push_back(std::move(object));
  }
  reader.SetPlace("");
  // A valid file ends with its last object; more bytes mean the count or a record is wrong.
  if (!reader.AtEnd()) {
    reader.Fail("最後のオブジェクトの後に余分なデータがあります");
    return Failure(reader.Error());
  }
  return {true, {}};
}

std::string CannotOpen(const std::string& path, int error) {
  return "ファイル \"" + path + "\" を開けません: " + SystemErrorText(error);
}

ObjectFileResult ReadInto(RecordReader&& reader, SpriteList& list) {
  SpriteList objects;
  ObjectFileResult result = ReadAll(reader, objects);
  if (result.ok) list = std::move(objects);
  return result;
}

}  // namespace

ObjectFileResult ReadObjectFile(std::istream& in, SpriteList& list) {
  return ReadInto(RecordReader(in), list);
}

ObjectFileResult ReadObjectFile(std::shared_ptr<MappedFile> file, SpriteList& list) {
  return ReadInto(RecordReader(std::move(file)), list);
}

ObjectFileResult AddReadObjectFile(std::istream& in, SpriteList& list,
                                   const std::function<bool(const std::string& name)>& checkName) {
  SpriteList objects;
  RecordReader reader(in);
  ObjectFileResult result = ReadAll(reader, objects);
  if (!result.ok) return result;
  for (size_t i = 0; i < objects.size(); ++i) {
    if (!checkName(objects[i]->Name)) {
      return Failure("オブジェクト " + std::to_string(i + 1) + " の名前 \"" +
                     Cp932ToUtf8Lossy(objects[i]->Name) + "\" は既にあります");
    }
    list.push_back(std::move(objects[i]));
  }
  return result;
}

bool WriteObjectFile(std::ostream& out, const SpriteList& list) {
  if (!out || list.size() > 0x7FFF) return false;
  uint8_t head[kObjectFileHeaderSize + 2] = {};
  std::memcpy(head, kObjectFileMagic, kMagicLength);
  le::Put16(head + kObjectFileHeaderSize, uint16_t(list.size()));
  out.write(reinterpret_cast<const char*>(head), sizeof head);
  for (const auto& object : list) {
    if (!object->Write(out)) return false;
  }
  out.flush();
  return bool(out);
}

ObjectFileResult ReadObjectFile(const std::string& path, SpriteList& list) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return Failure(CannotOpen(path, errno));
  return ReadObjectFile(in, list);
}

ObjectFileResult AddReadObjectFile(const std::string& path, SpriteList& list,
                                   const std::function<bool(const std::string& name)>& checkName) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return Failure(CannotOpen(path, errno));
  return AddReadObjectFile(in, list, checkName);
}

}  // namespace kel

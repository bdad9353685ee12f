// The image record of the object file: a complete bitmap-file image (14-byte file header, then
// the packed DIB). The reader accepts only what the record size formula describes, so that the
// size field, the colour table and the rows can never disagree about where the next field is.
#include <cstdio>
#include <cstring>
#include <istream>
#include <new>
#include <ostream>
#include <string>

#include "model/image.h"
#include "model/le.h"
#include "model/record_io.h"

namespace kel {

namespace {

constexpr uint32_t kRecordHeaderSize = kFileHeaderSize + kInfoHeaderSize;  // 54

// Offset of the size field inside the record, for messages that point at it.
constexpr uint64_t kAtSize = 2;

// The record size the format gives for this header: 54 + 4 x NumColors + Height x LineBytes.
// The writer takes the same size from StoredFileHeader; the reader needs it from the bare header,
// before any storage for the record exists.
uint64_t RecordSizeOf(const BitmapInfoHeader& h) {
  return kFileHeaderSize + StoredDibBytes(h);
}

// Reads one image record; null with the reader failed when the record is not valid. The pixel
// rows go from the stream straight into the block that becomes the image's storage, or stay
// where they are in a mapped file.
std::shared_ptr<PackedDib> ReadImageRecord(RecordReader& in) {
  const uint64_t start = in.Offset();
  uint8_t head[kRecordHeaderSize];
  if (!in.ReadBytes(head, kFileHeaderSize, "ビットマップファイルヘッダー")) return nullptr;
  const uint16_t type = le::U16(head);
  if (type != kBitmapFileType) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04X", unsigned(type));
    in.FailAt(start, std::string("ビットマップの種類が \"BM\" ではありません (") + hex + ")");
    return nullptr;
  }
  const uint32_t size = le::U32(head + 2);
  if (size < kRecordHeaderSize) {
    in.FailAt(start + kAtSize, "レコードの大きさ " + std::to_string(size) +
                                   " バイトがヘッダー (54 バイト) より小さいです");
    return nullptr;
  }
  // Checked before anything is allocated: a size field the file cannot hold costs nothing.
  if (size - kFileHeaderSize > in.Remaining()) {
    in.FailAt(start + kAtSize,
              "レコードの大きさ " + std::to_string(size) + " バイトがファイルの残り (" +
                  std::to_string(in.Remaining() + kFileHeaderSize) + " バイト) を超えています");
    return nullptr;
  }
  if (!in.ReadBytes(head + kFileHeaderSize, kInfoHeaderSize, "情報ヘッダー")) return nullptr;
  const BitmapInfoHeader h = BitmapInfoHeader::Parse(head + kFileHeaderSize);
  // Only the stored form: anything else would make the record size formula, or the rows the
  // image draws from, wrong.
  if (const DibHeaderProblem problem = StoredHeaderProblem(h)) {
    in.FailAt(start + kFileHeaderSize + problem.at, problem.message);
    return nullptr;
  }
  const uint64_t expected = RecordSizeOf(h);
  if (expected != size) {
    in.FailAt(start + kAtSize, "色数 (" + std::to_string(NumColorsOf(h)) + ") と行の大きさ (" +
                                   std::to_string(LineBytesOf(h.biWidth, h.biBitCount)) +
                                   " バイト × " + std::to_string(uint16_t(h.biHeight)) +
                                   " 行) がレコードの大きさ " + std::to_string(size) +
                                   " バイトと合いません (計算では " + std::to_string(expected) +
                                   " バイト)");
    return nullptr;
  }
  const size_t dibSize = size - kFileHeaderSize;
  // From a mapped file the image borrows its rows where they stand.
  if (std::shared_ptr<uint8_t[]> lent = in.Lend(start + kFileHeaderSize, dibSize)) {
    if (!in.Skip(size - kRecordHeaderSize, "ピクセルデータ")) return nullptr;
    return PackedDib::Borrow(std::move(lent), dibSize);
  }
  std::shared_ptr<PackedDib> dib;
  const bool read = in.ReadBlock(size - kRecordHeaderSize, "ピクセルデータ", [&](size_t) {
    dib = PackedDib::AllocateForOverwrite(dibSize);
    std::memcpy(dib->Data(), head + kFileHeaderSize, kInfoHeaderSize);
    return dib->Data() + kInfoHeaderSize;
  });
  if (!read) return nullptr;
  return dib;
}

}  // namespace

bool ObBmpImage::Read(RecordReader& in) {
  if (!in.Ok()) return false;
  std::shared_ptr<PackedDib> dib = ReadImageRecord(in);
  // The picture is replaced whatever the outcome, as a file load replaces it: a DIB this image
  // loaded goes from the shared record, and the new one gets a record of its own.
  if (OwnedDib && Data->Info == OwnedDib) Data->Info.reset();
  OwnedDib.reset();
  if (Data->Info || Data->Palette || Data->Bitmap || Data->RefCount > 1) TakeFreshRecord();
  if (!dib) return false;
  SetDib(std::move(dib));
  return true;
}

bool ObBmpImage::Read(std::istream& in) {
  return ReadRecord(in, [this](RecordReader& reader) { return Read(reader); });
}

bool ObBmpImage::Write(std::ostream& out) {
  if (!HasDib() || !out) return false;
  // Only what the reader takes back: never a record that would make the file unreadable.
  if (!IsStoredDib(*Dib())) return false;
  return WriteDIB(out) && bool(out);
}

}  // namespace kel

#include "platform/picture_import.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <array>
#include <cstring>

#include "model/bmp_file.h"
#include "model/dib.h"
#include "model/le.h"
#include "model/mask.h"
#include "model/system_error.h"

namespace kel {

namespace {

// A pixel is part of the sprite from this alpha up, background below it.
constexpr int kOpaqueAlpha = 128;
// Frames read past the ones kept, only to count them, when the reader cannot say how many.
constexpr int kMaxCountedFrames = 100000;

const char kTooLarge[] = "画像が大きすぎます（最大 2000 × 2000）";

// One colour table entry as a bitmap stores it: blue, green, red, a reserved zero.
void PutColor(uint8_t* at, QRgb c) {
  at[0] = uint8_t(qBlue(c));
  at[1] = uint8_t(qGreen(c));
  at[2] = uint8_t(qRed(c));
  at[3] = 0;
}

// What a pixel of colour c shows: its colour when opaque, black (the background) otherwise.
QRgb OverBlack(QRgb c) {
  return qAlpha(c) >= kOpaqueAlpha ? (c | 0xFF000000u) : qRgb(0, 0, 0);
}

// The colours of a picture in the order they are met, as long as there are at most 256 of them.
class ColorCount {
 public:
  ColorCount() { slots_.fill(-1); }
  // c's index in colors, added when new; -1 once a 257th colour is met.
  int IndexOf(QRgb c) {
    if (last_ >= 0 && c == lastColor_) return last_;
    uint32_t at = (c * 2654435761u) >> (32 - kBits);
    while (slots_[at] >= 0 && keys_[at] != c) at = (at + 1) & (kSlots - 1);
    if (slots_[at] < 0) {
      if (colors.size() == 256) return -1;
      slots_[at] = int16_t(colors.size());
      keys_[at] = c;
      colors.append(c);
    }
    lastColor_ = c;
    last_ = slots_[at];
    return last_;
  }
  QList<QRgb> colors;

 private:
  static constexpr int kBits = 10;
  static constexpr uint32_t kSlots = 1u << kBits;  // at most a quarter full
  std::array<int16_t, kSlots> slots_;
  std::array<QRgb, kSlots> keys_{};
  QRgb lastColor_ = 0;
  int last_ = -1;
};

// A picture planned for the stored form: its depth, its colour table and its pixels (indices for
// 8 bits, Qt's 1-bit rows, or colours over black for 24 bits), with its mask.
struct Planned {
  int bits = 24;
  QList<QRgb> table;
  std::vector<uint8_t> indices;  // 8 bits, top-down, width per row
  QImage image;                  // 1 bit: Format_Mono; 24 bits: Format_ARGB32 over black
  std::shared_ptr<PackedDib> mask;
};

Planned Plan(const QImage& source, bool withMask) {
  Planned p;
  const int w = source.width(), h = source.height();
  const bool transparent = withMask && source.hasAlphaChannel();
  if (transparent) p.mask = NewMaskDib(w, h);

  // An indexed picture keeps its table (a table longer than 8 bits can index, which Qt allows,
  // cannot be kept); its transparent entries become black.
  if (source.format() == QImage::Format_Indexed8 && !source.colorTable().isEmpty() &&
      source.colorTable().size() <= 256) {
    p.bits = 8;
    const QList<QRgb> table = source.colorTable();
    for (QRgb c : table) p.table.append(OverBlack(c));
    p.indices.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
      const uchar* line = source.constScanLine(y);
      std::memcpy(p.indices.data() + size_t(y) * size_t(w), line, size_t(w));
      if (!p.mask) continue;
      for (int x = 0; x < w; ++x)
        if (line[x] < table.size() && qAlpha(table[line[x]]) < kOpaqueAlpha)
          SetMaskBackground(*p.mask, x, y);
    }
    return p;
  }
  if ((source.format() == QImage::Format_Mono || source.format() == QImage::Format_MonoLSB) &&
      !transparent) {
    p.bits = 1;
    p.image = source.convertToFormat(QImage::Format_Mono);
    p.table = p.image.colorTable();
    // Index 0 black and 1 white unless the picture says otherwise.
    if (p.table.isEmpty()) p.table.append(qRgb(0, 0, 0));
    if (p.table.size() < 2) p.table.append(qRgb(255, 255, 255));
    p.table.resize(2);
    return p;
  }

  // Any other picture: its colours over black, kept as indices while there are at most 256.
  p.image = source.convertToFormat(QImage::Format_ARGB32);
  ColorCount count;
  bool indexed = true;
  p.indices.resize(size_t(w) * size_t(h));
  for (int y = 0; y < h; ++y) {
    auto* px = reinterpret_cast<QRgb*>(p.image.scanLine(y));
    uint8_t* index = p.indices.data() + size_t(y) * size_t(w);
    for (int x = 0; x < w; ++x) {
      if (p.mask && qAlpha(px[x]) < kOpaqueAlpha) SetMaskBackground(*p.mask, x, y);
      px[x] = OverBlack(px[x]);
      if (!indexed) continue;
      const int i = count.IndexOf(px[x]);
      if (i < 0)
        indexed = false;
      else
        index[x] = uint8_t(i);
    }
  }
  if (indexed) {
    p.bits = 8;
    p.table = std::move(count.colors);
    p.image = QImage();
  } else {
    p.indices.clear();
    p.indices.shrink_to_fit();
  }
  return p;
}

std::string FileOf(const Planned& p, int w, int height, std::string* error) {
  BitmapInfoHeader h;
  h.biWidth = w;
  h.biHeight = height;
  h.biBitCount = uint16_t(p.bits);
  h.biClrUsed = uint32_t(p.table.size());
  if (const DibHeaderProblem problem = StoredHeaderProblem(h)) {
    if (error) *error = problem.message;
    return {};
  }
  const uint32_t row = LineBytesOf(h.biWidth, h.biBitCount);
  h.biSizeImage = row * uint32_t(h.biHeight);

  const size_t tableBytes = 4 * size_t(p.table.size());
  const size_t offset = kFileHeaderSize + kInfoHeaderSize + tableBytes;
  std::string file(offset + size_t(h.biSizeImage), '\0');
  auto* out = reinterpret_cast<uint8_t*>(file.data());
  le::Put16(out, kBitmapFileType);
  le::Put32(out + 2, uint32_t(file.size()));
  le::Put32(out + 10, uint32_t(offset));
  h.Store(out + kFileHeaderSize);
  for (qsizetype i = 0; i < p.table.size(); ++i)
    PutColor(out + kFileHeaderSize + kInfoHeaderSize + 4 * size_t(i), p.table[i]);

  uint8_t* rows = out + offset;
  for (int y = 0; y < height; ++y) {
    // The bitmap's rows go bottom-up.
    const int top = height - 1 - y;
    uint8_t* d = rows + size_t(row) * size_t(y);
    if (p.bits == 8) {
      std::memcpy(d, p.indices.data() + size_t(top) * size_t(w), size_t(w));
    } else if (p.bits == 1) {
      std::memcpy(d, p.image.constScanLine(top), size_t(w + 7) / 8);
      // The bits after the last pixel are padding: zero, whatever Qt left there.
      if (w % 8) d[w / 8] &= uint8_t(0xFF << (8 - w % 8));
    } else {
      const auto* px = reinterpret_cast<const QRgb*>(p.image.constScanLine(top));
      for (int x = 0; x < w; ++x) {
        d[3 * x + 0] = uint8_t(qBlue(px[x]));
        d[3 * x + 1] = uint8_t(qGreen(px[x]));
        d[3 * x + 2] = uint8_t(qRed(px[x]));
      }
    }
  }
  return file;
}

// Whether the stored form's 16-bit sizes can hold a picture of this size at the least depth,
// asked before anything is converted; the reason otherwise.
std::optional<std::string> SizeProblem(const QImage& image) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0)
    return std::string("画像に大きさがありません");
  BitmapInfoHeader h;
  h.biWidth = image.width();
  h.biHeight = image.height();
  h.biBitCount = 1;
  if (const DibHeaderProblem problem = StoredHeaderProblem(h)) return problem.message;
  return std::nullopt;
}

bool TooLarge(QSize size) {
  return size.width() > kMaxPictureSide || size.height() > kMaxPictureSide;
}

// Why the reader gives no picture, in the user's words.
std::string ReaderProblem(const QImageReader& reader) {
  switch (reader.error()) {
    case QImageReader::FileNotFoundError:
      return "ファイルが見つかりません";
    case QImageReader::DeviceError:
      return "ファイルを読めません";
    case QImageReader::UnsupportedFormatError:
      return "画像ファイルではないか、対応していない形式です";
    case QImageReader::InvalidDataError:
      return "画像が壊れています";
    default:
      return "画像を読み込めません";
  }
}

// Limits for the reader, and why it must not read, before anything is decoded.
std::optional<std::string> CheckReader(QImageReader& reader) {
  reader.setAllocationLimit(kPictureAllocationMB);
  if (!reader.canRead()) return ReaderProblem(reader);
  if (TooLarge(reader.size())) return std::string(kTooLarge);
  return std::nullopt;
}

PictureFile Failed(std::string why) {
  PictureFile out;
  out.error = std::move(why);
  return out;
}

PictureFile FromBitmap(DibLoad load) {
  if (!load.dib) return Failed(std::move(load.error));
  PictureFile out;
  out.frames.push_back({std::move(load.dib), nullptr, {}});
  return out;
}

bool IsBitmapName(const QString& path) {
  return QFileInfo(path).suffix().compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0;
}

}  // namespace

std::string BitmapFileOfImage(const QImage& image, std::string* error) {
  if (const std::optional<std::string> problem = SizeProblem(image)) {
    if (error) *error = *problem;
    return {};
  }
  return FileOf(Plan(image, false), image.width(), image.height(), error);
}

PictureDibs DibsOfImage(const QImage& image) {
  PictureDibs out;
  if (const std::optional<std::string> problem = SizeProblem(image)) {
    out.error = *problem;
    return out;
  }
  Planned plan = Plan(image, true);
  const std::string file = FileOf(plan, image.width(), image.height(), &out.error);
  if (file.empty()) return out;
  // What was converted passes the same checks as a bitmap file.
  DibLoad load = LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  out.image = std::move(load.dib);
  out.error = std::move(load.error);
  if (out.image) out.mask = std::move(plan.mask);
  return out;
}

PictureFile ReadPictures(QImageReader& reader, int maxFrames) {
  if (const std::optional<std::string> problem = CheckReader(reader)) return Failed(*problem);
  // Bitmaps go through the checked loader, whatever their name: Qt's reader takes damaged ones.
  if (reader.format() == "bmp" && reader.device()) {
    QIODevice* device = reader.device();
    device->seek(0);
    const QByteArray bytes = device->readAll();
    return FromBitmap(LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                          size_t(bytes.size())));
  }
  PictureFile out;
  const int count = reader.imageCount();  // 0 when the reader cannot tell
  for (;;) {
    if (int(out.frames.size()) >= maxFrames) {
      if (count > 0) {
        out.dropped = count - int(out.frames.size());
      } else {
        QImage rest;
        while (out.dropped < kMaxCountedFrames && reader.canRead() && reader.read(&rest))
          ++out.dropped;
      }
      break;
    }
    QImage image;
    if (!reader.read(&image)) return Failed(ReaderProblem(reader));
    // A picture whose header did not tell its size is held to the same limit once read.
    if (TooLarge(image.size())) return Failed(kTooLarge);
    PictureDibs dibs = DibsOfImage(image);
    if (!dibs.image) return Failed(std::move(dibs.error));
    out.frames.push_back(std::move(dibs));
    if (count > 0 ? int(out.frames.size()) >= count
                  : !reader.supportsAnimation() || !reader.canRead())
      break;
  }
  return out;
}

PictureFile ReadPictureFile(const QString& path, int maxFrames) {
  const std::string native = QFile::encodeName(path).toStdString();
  if (IsBitmapName(path)) return FromBitmap(LoadBitmapFile(native));
  if (const std::optional<std::string> problem = RegularFileProblem(native))
    return Failed(*problem);
  // A bitmap under another name is still checked by our loader.
  if (QImageReader::imageFormat(path) == "bmp") return FromBitmap(LoadBitmapFile(native));
  QImageReader reader(path);
  return ReadPictures(reader, maxFrames);
}

std::optional<QImage> ReadPictureImage(const QString& path, std::string* error) {
  auto fail = [&](std::string why) -> std::optional<QImage> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  const std::string native = QFile::encodeName(path).toStdString();
  if (!IsBitmapName(path)) {
    if (const std::optional<std::string> problem = RegularFileProblem(native))
      return fail(*problem);
    QImageReader reader(path);
    if (const std::optional<std::string> problem = CheckReader(reader)) return fail(*problem);
    if (reader.format() != "bmp") {
      QImage image;
      if (!reader.read(&image)) return fail(ReaderProblem(reader));
      if (TooLarge(image.size())) return fail(kTooLarge);
      return image;
    }
  }
  // A bitmap is checked by our loader; Qt decodes only what passed.
  DibLoad load = LoadBitmapFile(native);
  if (!load.dib) return fail(std::move(load.error));
  const std::string file = BitmapFileBytes(*load.dib);
  QImage image =
      QImage::fromData(QByteArray::fromRawData(file.data(), qsizetype(file.size())), "BMP");
  if (image.isNull()) return fail("画像を読み込めません");
  return image;
}

QString PictureFileFilter() {
  QStringList patterns;
  for (const QByteArray& format : QImageReader::supportedImageFormats())
    patterns << QStringLiteral("*.") + QString::fromLatin1(format).toLower();
  patterns.removeDuplicates();
  return QStringLiteral("画像ファイル (%1)|%2|すべてのファイル (*)|*|")
      .arg(patterns.join(QLatin1Char(' ')), patterns.join(QLatin1Char(';')));
}

bool IsPictureFileName(const QString& path) {
  const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
  return !suffix.isEmpty() && QImageReader::supportedImageFormats().contains(suffix);
}

}  // namespace kel

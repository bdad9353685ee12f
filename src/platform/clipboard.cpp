#include "platform/clipboard.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QSvgRenderer>
#include <cstring>

#include "model/bmp_file.h"
#include "model/dib.h"
#include "model/le.h"

namespace kel {

namespace {

QByteArray Bytes(const std::string& s) {
  return QByteArray(s.data(), qsizetype(s.size()));
}

// One colour table entry as a bitmap stores it: blue, green, red, a reserved zero.
void PutColor(uint8_t* at, QRgb c) {
  at[0] = uint8_t(qBlue(c));
  at[1] = uint8_t(qGreen(c));
  at[2] = uint8_t(qRed(c));
  at[3] = 0;
}

// A picture of another program as the stored form: bitmap bytes that the checked loader turns
// into a DIB, so that what another program puts passes the same checks as a file.
ClipboardPicture FromImage(const QImage& image, ClipboardPicture::Source source) {
  ClipboardPicture picture;
  picture.source = source;
  const std::string file = BitmapFileOfImage(image, &picture.error);
  if (file.empty()) return picture;
  DibLoad load = LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  picture.dib = std::move(load.dib);
  picture.error = std::move(load.error);
  return picture;
}

}  // namespace

std::string BitmapFileOfImage(const QImage& source, std::string* error) {
  auto fail = [&](std::string why) {
    if (error) *error = std::move(why);
    return std::string();
  };
  if (source.isNull() || source.width() <= 0 || source.height() <= 0)
    return fail("画像に大きさがありません");

  // The depth kept: indexed pictures keep their colours as indices into their own table.
  int bits = 24;
  QList<QRgb> table;
  QImage image;
  // A table longer than 8 bits can index (Qt allows one) cannot be stored: such a picture becomes
  // 24 bits like any other.
  if (source.format() == QImage::Format_Indexed8 && !source.colorTable().isEmpty() &&
      source.colorTable().size() <= 256) {
    bits = 8;
    image = source;
    table = source.colorTable();
  } else if (source.format() == QImage::Format_Mono || source.format() == QImage::Format_MonoLSB) {
    bits = 1;
    image = source.convertToFormat(QImage::Format_Mono);
    table = image.colorTable();
    // Index 0 black and 1 white unless the picture says otherwise.
    if (table.isEmpty()) table.append(qRgb(0, 0, 0));
    if (table.size() < 2) table.append(qRgb(255, 255, 255));
    table.resize(2);
  }

  BitmapInfoHeader h;
  h.biWidth = source.width();
  h.biHeight = source.height();
  h.biBitCount = uint16_t(bits);
  h.biClrUsed = uint32_t(table.size());
  // Checked before any conversion: a picture the 16-bit sizes cannot hold costs nothing.
  if (const DibHeaderProblem problem = StoredHeaderProblem(h)) return fail(problem.message);
  const uint32_t row = LineBytesOf(h.biWidth, h.biBitCount);
  h.biSizeImage = row * uint32_t(h.biHeight);
  // Premultiplied colours are the picture drawn over black: transparent parts become black,
  // the colour masks take as background.
  if (bits == 24) image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);

  const size_t tableBytes = 4 * size_t(table.size());
  const size_t offset = kFileHeaderSize + kInfoHeaderSize + tableBytes;
  std::string file(offset + size_t(h.biSizeImage), '\0');
  auto* out = reinterpret_cast<uint8_t*>(file.data());
  le::Put16(out, kBitmapFileType);
  le::Put32(out + 2, uint32_t(file.size()));
  le::Put32(out + 10, uint32_t(offset));
  h.Store(out + kFileHeaderSize);
  for (qsizetype i = 0; i < table.size(); ++i)
    PutColor(out + kFileHeaderSize + kInfoHeaderSize + 4 * size_t(i), table[i]);

  uint8_t* rows = out + offset;
  const int w = h.biWidth, height = h.biHeight;
  for (int y = 0; y < height; ++y) {
    // The bitmap's rows go bottom-up.
    const uchar* line = image.constScanLine(height - 1 - y);
    uint8_t* d = rows + size_t(row) * size_t(y);
    if (bits == 8) {
      std::memcpy(d, line, size_t(w));
    } else if (bits == 1) {
      std::memcpy(d, line, size_t(w + 7) / 8);
      // The bits after the last pixel are padding: zero, whatever Qt left there.
      if (w % 8) d[w / 8] &= uint8_t(0xFF << (8 - w % 8));
    } else {
      const auto* px = reinterpret_cast<const QRgb*>(line);
      for (int x = 0; x < w; ++x) {
        d[3 * x + 0] = uint8_t(qBlue(px[x]));
        d[3 * x + 1] = uint8_t(qGreen(px[x]));
        d[3 * x + 2] = uint8_t(qRed(px[x]));
      }
    }
  }
  return file;
}

Clipboard::Clipboard() : clipboard_(QGuiApplication::clipboard()) {}

void Clipboard::Empty() {
  clipboard_->clear();
}

bool Clipboard::PutPicture(const PackedDib& dib) {
  const std::string file = BitmapFileBytes(dib);
  if (file.empty()) return false;
  const QByteArray bytes = Bytes(file);
  auto* data = new QMimeData;
  data->setData(QString::fromLatin1(kBitmapMime), bytes);
  // Other programs get an ordinary image; Qt's reader decodes a DIB already checked to be in
  // the stored form.
  const QImage forOthers = QImage::fromData(bytes, "BMP");
  if (!forOthers.isNull()) data->setImageData(forOthers);
  clipboard_->setMimeData(data);
  // The clipboard may be refused (another program keeps the selection): only what is there now
  // counts as put.
  const QMimeData* now = clipboard_->mimeData();
  return now && now->data(QString::fromLatin1(kBitmapMime)) == bytes;
}

bool Clipboard::PutText(const QString& text) {
  auto* data = new QMimeData;
  data->setText(text);
  clipboard_->setMimeData(data);
  const QMimeData* now = clipboard_->mimeData();
  return now && now->hasText() && now->text() == text;
}

ClipboardPicture Clipboard::Picture(QSize drawingSize) const {
  const QMimeData* data = clipboard_->mimeData();
  if (!data) return {};
  const QString bitmapMime = QString::fromLatin1(kBitmapMime);
  const QString drawingMime = QString::fromLatin1(kDrawingMime);

  std::string bitmapError;
  if (data->hasFormat(bitmapMime)) {
    const QByteArray bytes = data->data(bitmapMime);
    DibLoad load = LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                       size_t(bytes.size()));
    if (load.dib) return {ClipboardPicture::Source::Ours, std::move(load.dib), {}};
    // A bitmap this program does not take may come with an image it can.
    bitmapError = std::move(load.error);
  }
  if (data->hasImage()) {
    const QImage image = qvariant_cast<QImage>(data->imageData());
    if (!image.isNull()) return FromImage(image, ClipboardPicture::Source::Image);
  }
  if (data->hasFormat(drawingMime)) {
    QSvgRenderer renderer(data->data(drawingMime));
    if (!renderer.isValid() || drawingSize.isEmpty()) {
      ClipboardPicture picture;
      picture.source = ClipboardPicture::Source::Drawing;
      picture.error = renderer.isValid() ? "描画する大きさがありません" : "図形を読み込めません";
      return picture;
    }
    // Drawn over the whole picture, as a drawing is played into a bitmap of that size.
    QImage image(drawingSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(drawingSize)));
    }
    return FromImage(image, ClipboardPicture::Source::Drawing);
  }
  if (!bitmapError.empty()) {
    ClipboardPicture picture;
    picture.source = ClipboardPicture::Source::Ours;
    picture.error = std::move(bitmapError);
    return picture;
  }
  return {};
}

std::optional<QString> Clipboard::Text() const {
  const QMimeData* data = clipboard_->mimeData();
  if (!data || !data->hasText()) return std::nullopt;
  return data->text();
}

}  // namespace kel

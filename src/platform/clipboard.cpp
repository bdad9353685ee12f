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
#include "platform/picture_import.h"

namespace kel {

namespace {

QByteArray Bytes(const std::string& s) {
  return QByteArray(s.data(), qsizetype(s.size()));
}

// A picture of another program as the stored form, converted as a picture file is, so that what
// another program puts passes the same checks as a file and keeps its transparency as a mask.
ClipboardPicture FromImage(const QImage& image, ClipboardPicture::Source source) {
  ClipboardPicture picture;
  picture.source = source;
  PictureDibs dibs = DibsOfImage(image);
  picture.dib = std::move(dibs.image);
  picture.mask = std::move(dibs.mask);
  picture.error = std::move(dibs.error);
  return picture;
}

}  // namespace

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
    if (load.dib) return {ClipboardPicture::Source::Ours, std::move(load.dib), nullptr, {}};
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

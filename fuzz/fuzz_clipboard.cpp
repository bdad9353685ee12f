// Fuzz target: any bytes as a picture on the clipboard, pasted through the editor's clipboard
// under offscreen Qt. The first byte chooses how the rest arrives: as "image/bmp" (this
// program's own form, and what other programs put under that name), as an image of another
// program in any format Qt reads, or as a drawing ("image/svg+xml"). A paste gives a picture in
// the stored form, or says why it cannot, and never a picture beyond what the stored form keeps.
#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "model/dib.h"
#include "platform/clipboard.h"

namespace {

using fuzz::Require;

constexpr QSize kDrawingSize(40, 30);

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
  auto* mime = new QMimeData;
  kel::ClipboardPicture::Source expected = kel::ClipboardPicture::Source::Ours;
  switch (data[0] % 3) {
    case 0:
      mime->setData(QString::fromLatin1(kel::Clipboard::kBitmapMime), bytes);
      break;
    case 1: {
      const QImage image = QImage::fromData(bytes);
      if (image.isNull()) {
        delete mime;
        return 0;
      }
      mime->setImageData(image);
      expected = kel::ClipboardPicture::Source::Image;
      break;
    }
    default:
      mime->setData(QString::fromLatin1(kel::Clipboard::kDrawingMime), bytes);
      expected = kel::ClipboardPicture::Source::Drawing;
      break;
  }
  QGuiApplication::clipboard()->setMimeData(mime);

  const kel::ClipboardPicture picture = kel::Clipboard().Picture(kDrawingSize);
  Require(picture.source == expected);
  if (!picture.dib) {
    Require(!picture.error.empty());
    return 0;
  }
  Require(kel::IsStoredDib(*picture.dib));
  const kel::BitmapInfoHeader h = picture.dib->Header();
  Require(h.biWidth > 0 && h.biHeight > 0 && h.biWidth <= 65535 && h.biHeight <= 65535);
  if (expected == kel::ClipboardPicture::Source::Drawing)
    Require(h.biWidth == kDrawingSize.width() && h.biHeight == kDrawingSize.height());
  return 0;
}

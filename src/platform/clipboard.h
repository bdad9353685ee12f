// The system clipboard as the editor uses it: pictures as bitmap files, numbers as text.
//
// A picture the editor puts goes up twice: its exact bitmap-file bytes under "image/bmp", which
// this program reads back byte for byte (colour table and depth as they were), and an ordinary
// image for other programs. What other programs put is read as the nearest stored form: their
// images (PNG and the like) and, failing those, a drawing ("image/svg+xml") rendered at a size
// the caller gives.
#pragma once

#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "platform/picture_import.h"

class QClipboard;
class QImage;

namespace kel {

class PackedDib;

// What a paste found as a picture.
struct ClipboardPicture {
  enum class Source {
    None,     // no picture of any kind
    Ours,     // bitmap-file bytes ("image/bmp"), as this program puts them
    Image,    // another program's image
    Drawing,  // a drawing, rendered
  };
  Source source = Source::None;
  std::shared_ptr<PackedDib> dib;   // the picture in the stored form; null when it cannot be
  std::shared_ptr<PackedDib> mask;  // its mask, for another program's picture that can be
                                    // transparent
  std::string error;                // why the picture that is there cannot be taken
};

class Clipboard {
 public:
  // The application's clipboard (a QGuiApplication must exist).
  Clipboard();

  // Takes everything off the clipboard.
  void Empty();
  // Puts a stored-form DIB: its bitmap file as "image/bmp" plus an image for other programs.
  // false when the DIB does not hold the bytes its header promises, or the clipboard did not
  // take the picture.
  bool PutPicture(const PackedDib& dib);
  // Puts plain text; false when the clipboard did not take it.
  bool PutText(const QString& text);

  // The picture on the clipboard in the stored form, through the checked bitmap loader: our own
  // bitmap bytes first (a bitmap file of another program under the same name alike), then
  // another program's image, then a drawing rendered over the whole of drawingSize.
  ClipboardPicture Picture(QSize drawingSize) const;
  // The plain text on the clipboard; nullopt when there is none.
  std::optional<QString> Text() const;

  static constexpr const char* kBitmapMime = "image/bmp";
  static constexpr const char* kDrawingMime = "image/svg+xml";

 private:
  QClipboard* clipboard_;
};

}  // namespace kel

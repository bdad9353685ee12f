// Pictures of every format Qt reads, taken into the stored form.
//
// One conversion serves the image-read command, image lists, sprite sheets, drops and the
// clipboard: a picture's colours over black become the image, and a picture that can be
// transparent (an alpha channel, or a colour table with transparent entries) brings the matching
// mask (white, bit 1, where it is transparent; opaque from alpha 128 up). Up to 256 colours the
// image is 8 bits with those colours as its table, a 1-bit picture stays 1 bit, anything else is
// 24 bits. Bitmap files (.bmp) are not converted: the checked bitmap loader takes their DIB as it
// is stored.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QImageReader;

namespace kel {

class PackedDib;

// The largest picture read from a file: the size fields' range, and Qt's allocation limit (MB)
// for a picture whose size its header does not tell.
inline constexpr int kMaxPictureSide = 2000;
inline constexpr int kPictureAllocationMB = 64;

// A picture in the stored form: its image, and its mask when it can be transparent.
struct PictureDibs {
  std::shared_ptr<PackedDib> image;  // null when the picture cannot be stored (why in error)
  std::shared_ptr<PackedDib> mask;   // null for an opaque picture
  std::string error;
};

// The conversion. A picture the 16-bit sizes cannot hold is refused before anything is converted.
PictureDibs DibsOfImage(const QImage& image);

// The image part of the conversion as a bitmap file; empty, with the reason in *error, when the
// picture cannot be stored.
std::string BitmapFileOfImage(const QImage& image, std::string* error);

// The frames of a picture file: one for a still picture, one per frame of an animation.
struct PictureFile {
  std::vector<PictureDibs> frames;
  int dropped = 0;    // animation frames past the number asked for, not read
  std::string error;  // why the file cannot be read (nothing in frames then)
};

// Reads the file at path (the file system's path): a .bmp through the checked bitmap loader, any
// other through Qt's readers, at most maxFrames frames. Refused before decoding: no regular file,
// a picture over kMaxPictureSide a side or over kPictureAllocationMB of pixels. A frame that does
// not decode refuses the whole file.
PictureFile ReadPictureFile(const QString& path, int maxFrames);
// The same from a reader already given its device (the fuzz target reads bytes).
PictureFile ReadPictures(QImageReader& reader, int maxFrames);

// The first picture of the file as a Qt image, under the same checks; nullopt with *error.
std::optional<QImage> ReadPictureImage(const QString& path, std::string* error);

// The open dialog's filter: "画像ファイル" with every format read here, then all files.
QString PictureFileFilter();
// Whether a file name ends in an extension of a format read here.
bool IsPictureFileName(const QString& path);

}  // namespace kel

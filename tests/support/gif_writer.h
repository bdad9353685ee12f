// A small GIF89a writer for tests and benchmarks (Qt reads GIF files but does not write them):
// frames of 8-bit indices over one global colour table, each frame the whole screen, looping.
// The LZW data uses literal codes only, with a clear code often enough that the code size stays
// 9 bits, which every decoder must read.
#pragma once

#include <QRgb>
#include <cstdint>
#include <string>
#include <vector>

namespace kel::test {

class GifBits {
 public:
  explicit GifBits(std::string& out) : out_(out) {}
  void Put(uint32_t code) {
    acc_ |= code << count_;
    count_ += 9;
    while (count_ >= 8) {
      Byte(uint8_t(acc_));
      acc_ >>= 8;
      count_ -= 8;
    }
  }
  void Finish() {
    if (count_) Byte(uint8_t(acc_));
    if (!block_.empty()) Flush();
    out_ += '\0';
  }

 private:
  void Byte(uint8_t b) {
    block_ += char(b);
    if (block_.size() == 255) Flush();
  }
  void Flush() {
    out_ += char(block_.size());
    out_ += block_;
    block_.clear();
  }
  std::string& out_;
  std::string block_;
  uint32_t acc_ = 0;
  int count_ = 0;
};

// width x height frames, each width * height indices (top-down) into palette (at most 256
// entries); transparent: the index shown as transparent, or -1; delay in hundredths of a second.
inline std::string GifFile(int width, int height, const std::vector<QRgb>& palette,
                           const std::vector<std::vector<uint8_t>>& frames, int transparent = -1,
                           int delay = 10) {
  std::string out = "GIF89a";
  auto u16 = [&](int v) {
    out += char(v & 0xFF);
    out += char((v >> 8) & 0xFF);
  };
  u16(width);
  u16(height);
  out += char(0xF7);  // a global table of 256 entries, 8 bits of colour
  out += '\0';
  out += '\0';
  for (int i = 0; i < 256; ++i) {
    const QRgb c = i < int(palette.size()) ? palette[size_t(i)] : 0;
    out += char(qRed(c));
    out += char(qGreen(c));
    out += char(qBlue(c));
  }
  if (frames.size() > 1) out += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  constexpr uint32_t kClear = 256, kEnd = 257;
  for (const std::vector<uint8_t>& frame : frames) {
    out += std::string("\x21\xF9\x04", 3);
    out += char((1 << 2) | (transparent >= 0 ? 1 : 0));  // keep the frame; transparency
    u16(delay);
    out += char(transparent >= 0 ? transparent : 0);
    out += '\0';
    out += '\x2C';
    u16(0);
    u16(0);
    u16(width);
    u16(height);
    out += '\0';
    out += '\x08';  // LZW minimum code size
    GifBits bits(out);
    for (size_t i = 0; i < frame.size(); ++i) {
      // A decoder adds a table entry per code after the first: clearing every 250 codes keeps
      // the table below 512 entries, so codes stay 9 bits.
      if (i % 250 == 0) bits.Put(kClear);
      bits.Put(frame[i]);
    }
    bits.Put(kEnd);
    bits.Finish();
  }
  out += '\x3B';
  return out;
}

}  // namespace kel::test

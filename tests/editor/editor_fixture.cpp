#include "editor/editor_fixture.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <cstdlib>

#include "grid/spread.h"
#include "model/dib.h"
#include "model/text.h"
#include "platform/ui_setup.h"

namespace kel::test {

QApplication& App() {
  static int argc = 1;
  static char name[] = "test_editor";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    auto* a = new QApplication(argc, argv);
    SetupApplicationUi(*a);
    return a;
  }();
  return *app;
}

std::shared_ptr<PackedDib> SolidDib(int w, int h, int bits, std::vector<uint32_t> colors,
                                    bool pattern) {
  const uint32_t numColors = bits <= 8 ? (1u << bits) : 0u;
  const size_t rowBytes = size_t((w * bits + 31) / 32 * 4);
  const size_t offBits = kInfoHeaderSize + 4 * size_t(numColors);
  auto dib = PackedDib::Allocate(offBits + rowBytes * size_t(h));
  BitmapInfoHeader hdr;
  hdr.biWidth = w;
  hdr.biHeight = h;
  hdr.biBitCount = uint16_t(bits);
  hdr.biSizeImage = uint32_t(rowBytes * size_t(h));
  hdr.Store(dib->Data());
  for (size_t i = 0; i < numColors && i < colors.size(); ++i) {
    uint8_t* e = dib->Data() + kInfoHeaderSize + 4 * i;
    e[0] = uint8_t(colors[i]);
    e[1] = uint8_t(colors[i] >> 8);
    e[2] = uint8_t(colors[i] >> 16);
  }
  uint8_t* rows = dib->Data() + offBits;
  for (int y = 0; y < h; ++y) {
    uint8_t* row = rows + size_t(h - 1 - y) * rowBytes;
    for (int x = 0; x < w; ++x) {
      const uint32_t index = pattern ? uint32_t(x + y) % uint32_t(colors.size()) : 0;
      switch (bits) {
        case 1:
          row[x / 8] |= uint8_t((index & 1) << (7 - x % 8));
          break;
        case 4:
          row[x / 2] |= uint8_t((index & 15) << (x % 2 ? 0 : 4));
          break;
        case 8:
          row[x] = uint8_t(index);
          break;
        case 24: {
          const uint32_t c = colors[index];
          row[3 * x] = uint8_t(c);
          row[3 * x + 1] = uint8_t(c >> 8);
          row[3 * x + 2] = uint8_t(c >> 16);
          break;
        }
        default:
          break;
      }
    }
  }
  return dib;
}

std::unique_ptr<ObBmpImage> SolidImage(int w, int h, int bits, std::vector<uint32_t> colors,
                                       bool pattern) {
  return std::make_unique<ObBmpImage>(SolidDib(w, h, bits, std::move(colors), pattern));
}

std::unique_ptr<ObSpriteData> NewSprite(const std::string& name) {
  auto sprite = std::make_unique<ObSpriteData>();
  sprite->Name = Utf8ToCp932(name).value_or(name);
  return sprite;
}

std::unique_ptr<ObSound> NewSound(const std::string& cp932Path, int16_t frame) {
  auto sound = std::make_unique<ObSound>();
  sound->SetFileName(cp932Path.c_str());
  sound->Frame = frame;
  return sound;
}

DialogTest::DialogTest() {
  App();
  dialog = std::make_unique<ObKELDialog>(&list, prompt);
}

DialogTest::~DialogTest() {
  dialog.reset();
  list.clear();
}

ObSpriteData* DialogTest::Add(std::unique_ptr<ObSpriteData> sprite) {
  list.push_back(std::move(sprite));
  return list.back().get();
}

void DialogTest::Show(int index) {
  dialog->MakeSpriteDataDDB();
  dialog->GetSpriteData(index);
  dialog->DispSpriteData(dialog->CurrentSprite);
}

void DialogTest::Activate() {
  dialog->show();
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
}

QString DialogTest::Cell(int col, int row) const {
  return dialog->Spread->SSGetData(col, row);
}

COLORREF DialogTest::Background(int col, int row) const {
  COLORREF back = 0, fore = 0;
  dialog->Spread->SSGetColor(col, row, &back, &fore);
  return back;
}

QImage DialogTest::DrawnCell(int col, int row) {
  TSpread* grid = dialog->Spread;
  const QRect rect = grid->visualRect(grid->model()->index(row - 1, col - 1));
  return grid->viewport()->grab(rect).toImage();
}

uint32_t DialogTest::DrawnCellPixel(int col, int row) {
  const QImage cell = DrawnCell(col, row);
  return cell.pixel(cell.width() / 2, cell.height() / 2) & 0xFFFFFFu;
}

}  // namespace kel::test

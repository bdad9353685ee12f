#include "editor/editor_fixture.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <cstdlib>
#include <sstream>

#include "files/object_file.h"
#include "grid/spread.h"
#include "model/dib.h"
#include "model/text.h"
#include "platform/ui_setup.h"
#include "support/dib_builder.h"
#include "support/sprite_setup.h"

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
  auto index = [&](int x, int y) {
    return pattern ? uint32_t(x + y) % uint32_t(colors.size()) : 0u;
  };
  return MakeDib({.width = w, .height = h, .bits = bits, .colors = colors},
                 [&](int x, int y) { return bits == 24 ? colors[index(x, y)] : index(x, y); });
}

std::unique_ptr<ObBmpImage> SolidImage(int w, int h, int bits, std::vector<uint32_t> colors,
                                       bool pattern) {
  return std::make_unique<ObBmpImage>(SolidDib(w, h, bits, std::move(colors), pattern));
}

std::unique_ptr<ObSpriteData> NewSprite(const std::string& name) {
  auto sprite = std::make_unique<ObSpriteData>();
  SetName(*sprite, Utf8ToCp932(name).value_or(name));
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
  dialog = std::make_unique<ObKELDialog>(doc, prompt);
  commands = std::make_unique<EditCommands>(doc, *dialog, prompt);
}

DialogTest::~DialogTest() {
  commands.reset();
  dialog.reset();
}

ObSpriteData* DialogTest::Add(std::unique_ptr<ObSpriteData> sprite) {
  ObSpriteData* added = sprite.get();
  doc.InsertObject(doc.Count(), std::move(sprite));
  return added;
}

void DialogTest::Show(int index) {
  dialog->MakeSpriteDataDDB();
  if (doc.CurrentIndex() == index)
    dialog->DispSpriteData(doc.Current());
  else
    doc.SetCurrent(index);
  doc.History().clear();
  doc.MarkSaved();
}

std::string DialogTest::FileBytes() const {
  std::ostringstream out;
  WriteObjectFile(out, doc.Objects());
  return out.str();
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

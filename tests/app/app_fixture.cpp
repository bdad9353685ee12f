#include "app/app_fixture.h"

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <fstream>

#include "app/frame_window.h"
#include "files/object_file.h"
#include "model/dib.h"
#include "platform/ui_setup.h"
#include "support/sprite_setup.h"

namespace kel::test {

QApplication& App() {
  static int argc = 1;
  static char name[] = "test_app";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    auto* a = new QApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("keledit"));
    // The window's place and the recent files go to a folder of this run, never the user's.
    static QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    SetupApplicationUi(*a);
    return a;
  }();
  return *app;
}

namespace {

std::unique_ptr<ObBmpImage> Image8(int w, int h, uint8_t seed) {
  const size_t rowBytes = size_t((w * 8 + 31) / 32 * 4);
  const size_t offBits = kInfoHeaderSize + 4 * 256;
  auto dib = PackedDib::Allocate(offBits + rowBytes * size_t(h));
  BitmapInfoHeader hdr;
  hdr.biWidth = w;
  hdr.biHeight = h;
  hdr.biBitCount = 8;
  hdr.biSizeImage = uint32_t(rowBytes * size_t(h));
  hdr.Store(dib->Data());
  for (int i = 0; i < 256; ++i) {
    uint8_t* e = dib->Data() + kInfoHeaderSize + 4 * size_t(i);
    e[0] = uint8_t(i), e[1] = uint8_t(255 - i), e[2] = uint8_t(i * 7);
  }
  uint8_t* rows = dib->Data() + offBits;
  for (size_t i = 0; i < rowBytes * size_t(h); ++i) rows[i] = uint8_t(i * 13 + seed);
  return std::make_unique<ObBmpImage>(std::move(dib));
}

}  // namespace

std::unique_ptr<ObSpriteData> MakeSprite(const std::string& name, int frames, int w, int h) {
  auto sprite = std::make_unique<ObSpriteData>();
  SetName(*sprite, name);
  EditParams(*sprite, [&](ObSpriteParams& p) {
    p.ImageSizeX = int16_t(w);
    p.ImageSizeY = int16_t(h);
  });
  for (int i = 0; i < frames; ++i) {
    sprite->AddImage(FrameSlot(Image8(w, h, uint8_t(i))), int16_t(i), 0);
    sprite->AddImage(FrameSlot(Image8(w, h, uint8_t(i + 100))), int16_t(i), 1);
  }
  return sprite;
}

std::filesystem::path WriteKel(const std::filesystem::path& path,
                               const std::vector<std::string>& names) {
  SpriteList list;
  for (const std::string& n : names) list.push_back(MakeSprite(n));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  EXPECT_TRUE(WriteObjectFile(out, list)) << path;
  return path;
}

std::vector<std::string> NamesInFile(const std::filesystem::path& path) {
  SpriteList list;
  if (!ReadObjectFile(path.string(), list).ok) return {};
  return Names(list);
}

std::vector<std::string> Names(const SpriteList& list) {
  std::vector<std::string> out;
  for (const auto& s : list) out.push_back(s->Name());
  return out;
}

QString Q(const std::filesystem::path& p) {
  return QString::fromStdString(p.string());
}

QString SaveChangesText(const QString& fileName) {
  return fileName +
         QStringLiteral("\nこのオブジェクトファイルは変更されています\n\n変更結果を保存しますか？");
}

AppTest::AppTest() {
  App();
  // Save of an untitled document writes into the current folder: make that the test's own.
  oldCwd_ = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  app = std::make_unique<kelApp>(prompt);
  app->InitMainWindow();
  app->MainWindow()->SetupWindow();
}

AppTest::~AppTest() {
  app.reset();
  std::filesystem::current_path(oldCwd_);
}

QString AppTest::Caption() const {
  return app->MainWindow()->windowTitle();
}

void AppTest::OpenForTest(const std::filesystem::path& path) {
  prompt.Answer(Q(path));
  ASSERT_TRUE(app->CmFileOpen()) << prompt.MessageTexts().join(QLatin1Char('|')).toStdString();
  prompt.ClearHistory();
}

void AppTest::Load(const std::vector<std::string>& names, int modified) {
  app->Doc().MarkSaved();  // no question before the file is read
  OpenForTest(WriteKel(dir / "loaded.kel", names));
  if (modified) app->Doc().History().push(new QUndoCommand(QStringLiteral("test")));
}

}  // namespace kel::test

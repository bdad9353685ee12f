// Files dropped on the main window, as simulated drag events of real files: pictures fill frames
// from the cell under the pointer in name order, a wave goes to the sound row, a list to the
// grid, an object file opens or (with Ctrl) is added; a drop that cannot be read changes nothing.
#include <QDropEvent>
#include <QImageWriter>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "app/app_fixture.h"
#include "app/frame_window.h"
#include "grid/spread.h"

namespace kel::test {
namespace {

std::string WaveFile() {
  auto le = [](uint32_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += char((v >> (8 * i)) & 0xFF);
    return s;
  };
  const std::string data(64, '\x80');
  return "RIFF" + le(36 + 64, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(8000, 4) +
         le(8000, 4) + le(1, 2) + le(8, 2) + "data" + le(64, 4) + data;
}

class DropTest : public AppTest {
 protected:
  DropTest() {
    app->MainWindow()->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(app->MainWindow()));
  }
  // A picture file w pixels wide, one pixel high.
  QString Png(const std::string& name, int w) {
    QImage image(w, 1, QImage::Format_RGB32);
    image.fill(Qt::red);
    EXPECT_TRUE(QImageWriter(Q(dir / name), "png").write(image));
    return Q(dir / name);
  }
  QString Bytes(const std::string& name, const std::string& bytes) {
    WriteFileBytes(dir / name, bytes);
    return Q(dir / name);
  }
  // The centre of a grid cell in the main window's coordinates, scrolled into view.
  QPoint Cell(int col, int row) {
    TSpread* grid = Dialog().Spread;
    const QModelIndex cell = grid->model()->index(row - 1, col - 1);
    grid->scrollTo(cell);
    const QRect r = grid->visualRect(cell);
    return grid->viewport()->mapTo(app->MainWindow(), r.center());
  }
  static QMimeData* Files(const QStringList& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data->setUrls(urls);
    return data;
  }
  // A drag enters the window: the moves and the drop after it go where it was taken.
  void Enter(const QMimeData* data, QPoint pos) {
    QDragEnterEvent enter(pos, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->MainWindow(), &enter);
  }
  // Whether the window takes the drag at pos.
  bool Takes(const QStringList& paths, QPoint pos) {
    std::unique_ptr<QMimeData> data(Files(paths));
    Enter(data.get(), pos);
    QDragMoveEvent move(pos, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app->MainWindow(), &move);
    return move.isAccepted();
  }
  // Drops the files at pos and lets the drop's work run.
  void Drop(const QStringList& paths, QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    std::unique_ptr<QMimeData> data(Files(paths));
    Enter(data.get(), pos);
    QDropEvent drop(QPointF(pos), Qt::CopyAction, data.get(), Qt::LeftButton, mods);
    QApplication::sendEvent(app->MainWindow(), &drop);
    QCoreApplication::processEvents();
  }
  std::vector<int> Widths() {
    std::vector<int> w;
    const ObSpriteData* s = app->Doc().Current();
    for (int i = 0; i < s->FrameCount(); ++i) {
      const ObBmpImage* p = s->GetImage(int16_t(i)).Image();
      w.push_back(p ? p->Width() : 0);
    }
    return w;
  }
};

TEST_F(DropTest, WhatIsTakenWhereDependsOnTheFileAndTheCell) {
  Load({"a"}, 0);
  const QString png = Png("p.png", 3), wav = Bytes("s.wav", WaveFile());
  const QString lst = Bytes("l.lst", "[Image List]\nNumFrames=1\nI1=p.png\n");
  const QString kel = Q(WriteKel(dir / "k.kel", {"k"}));
  const QString txt = Bytes("t.txt", "words");
  const struct {
    const char* name;
    QStringList paths;
    int col, row;  // col 0: off the grid
    bool taken;
  } cases[] = {
      {"picture on an image cell", {png}, 2, 1, true},
      {"picture on a mask cell", {png}, 2, 2, true},
      {"picture on the sound row", {png}, 2, 3, false},
      {"picture off the grid", {png}, 0, 0, false},
      {"wave on the sound row", {wav}, 1, 3, true},
      {"wave on an image cell", {wav}, 1, 1, false},
      {"list on a location cell", {lst}, 3, 5, true},
      {"list off the grid", {lst}, 0, 0, false},
      {"object file off the grid", {kel}, 0, 0, true},
      {"two object files", {kel, kel}, 0, 0, false},
      {"a picture with a text file", {png, txt}, 2, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // Each cell is scrolled into view only when its case comes.
    const QPoint at = c.col ? Cell(c.col, c.row) : Dialog().mapTo(app->MainWindow(), QPoint(2, 2));
    EXPECT_EQ(Takes(c.paths, at), c.taken);
  }
}

TEST_F(DropTest, PicturesFillFramesFromTheCellInNameOrderAsOneStep) {
  Load({"a"}, 0);
  const QStringList files = {Png("walk10.png", 10), Png("walk2.png", 2), Png("Walk1.png", 1)};
  Drop(files, Cell(2, 1));
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(Widths(), (std::vector<int>{4, 1, 2, 10}));
  app->CmEditUndo();
  EXPECT_EQ(Widths(), (std::vector<int>{4}));
}

TEST_F(DropTest, ADropWithAFileThatCannotBeReadNamesItAndChangesNothing) {
  Load({"a"}, 0);
  const QString bad = Bytes("broken.png", "\x89PNG\r\n\x1a\n not really");
  Drop({Png("good.png", 5), bad}, Cell(1, 1));
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_TRUE(
      prompt.Messages()[0].text.startsWith(QStringLiteral("このファイルは読み込めません: ") + bad));
  EXPECT_EQ(Widths(), (std::vector<int>{4}));
  EXPECT_EQ(app->Doc().Modified(), 0);
}

TEST_F(DropTest, AWaveOnTheSoundRowAndAListOnTheGridAreRead) {
  Load({"a"}, 0);
  Drop({Bytes("s.wav", WaveFile())}, Cell(1, 3));
  ASSERT_NE(app->Doc().Current()->Sound(), nullptr);
  EXPECT_EQ(app->Doc().Current()->Sound()->Frame, 1);

  Png("p.png", 7);
  Drop({Bytes("l.lst", "[Image List]\nNumFrames=2\nI2=p.png\n")}, Cell(5, 4));
  EXPECT_EQ(Widths(), (std::vector<int>{4, 7}));
}

TEST_F(DropTest, AnObjectFileOpensAfterTheQuestionAndWithCtrlIsAdded) {
  Load({"a"}, 1);
  const QString other = Q(WriteKel(dir / "other.kel", {"b", "c"}));
  prompt.Answer(IDNO);
  Drop({other}, Cell(1, 1));
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_EQ(prompt.Messages()[0].text, SaveChangesText(Q(dir / "loaded.kel")));
  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"b", "c"}));
  EXPECT_EQ(app->Doc().FileName(), other);

  Drop({Q(WriteKel(dir / "more.kel", {"d"}))}, Cell(1, 1), Qt::ControlModifier);
  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"b", "c", "d"}));
  EXPECT_EQ(app->Doc().FileName(), other);
}

TEST_F(DropTest, AFileDroppedOnAFieldIsTheWindowsNotTextForTheField) {
  Load({"a"}, 0);
  const QString text = Dialog().SizeXEdit->text();
  std::unique_ptr<QMimeData> data(Files({Q(WriteKel(dir / "other.kel", {"b"}))}));
  data->setText(QStringLiteral("/some/path"));
  QLineEdit* field = Dialog().SizeXEdit;
  for (QDropEvent* e :
       {static_cast<QDropEvent*>(
            new QDragEnterEvent(QPoint(2, 2), Qt::CopyAction, data.get(), Qt::LeftButton, {})),
        new QDropEvent(QPointF(2, 2), Qt::CopyAction, data.get(), Qt::LeftButton, {})}) {
    QApplication::sendEvent(field, e);
    delete e;
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(field->text(), text);
  EXPECT_EQ(Names(app->Doc().Objects()), (std::vector<std::string>{"b"}));
}

}  // namespace
}  // namespace kel::test

// Cut, copy and paste of the active cell through the real clipboard (offscreen it holds what
// this process put): pictures byte for byte, other programs' pictures in the stored form,
// numbers of the location rows as text, and the refusals with their messages.
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QTest>

#include "app/dialog_routes.h"
#include "editor/cell_fixture.h"
#include "editor/clipboard.h"
#include "model/bmp_file.h"
#include "platform/clipboard.h"
#include "support/dib_builder.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

const QString kNoObject = QStringLiteral("オブジェクトがありません。");
const QString kContinue = QStringLiteral("連続アイコンはコピーできません");
const QString kNoDib = QStringLiteral("DIBが取得できません");
const QString kSoundCopy = QStringLiteral("サウンドのコピーできません．ロードし直して下さい．");
const QString kSoundPaste = QStringLiteral("サウンドの貼付けはできません．ロードし直して下さい．");
const QString kDibFailed = QStringLiteral("クリップボードからのDIBの生成に失敗しました．");
const QString kBeyond = QStringLiteral("フレーム数を超えています．");

std::string BytesOf(const PackedDib& dib) {
  return std::string(reinterpret_cast<const char*>(dib.Data()), dib.Size());
}

// The same picture: size, depth, colour table and pixel rows byte for byte. (A pasted DIB goes
// through the bitmap loader, which fills in a colour count and image size left 0.)
void ExpectSamePicture(const PackedDib& got, const PackedDib& want) {
  const BitmapInfoHeader g = got.Header(), w = want.Header();
  EXPECT_EQ(g.biWidth, w.biWidth);
  EXPECT_EQ(g.biHeight, w.biHeight);
  EXPECT_EQ(g.biBitCount, w.biBitCount);
  ASSERT_EQ(got.NumColors(), want.NumColors());
  ASSERT_EQ(got.Size(), want.Size());
  const size_t from = kInfoHeaderSize;
  EXPECT_EQ(BytesOf(got).substr(from), BytesOf(want).substr(from));
}

class ClipboardTest : public CellTest {
 protected:
  ClipboardTest() {
    QGuiApplication::clipboard()->clear();
    routes = DialogResponseTable(*commands);
    commands->SendCommand = [this](int id) {
      const auto it = routes.find(id);
      return it != routes.end() && it->second();
    };
  }

  static QClipboard& Board() { return *QGuiApplication::clipboard(); }
  // What the clipboard holds; emptied, it may hold no data at all.
  static QStringList Formats() {
    const QMimeData* data = Board().mimeData();
    return data ? data->formats() : QStringList();
  }
  static void PutText(const QString& text) { Board().setText(text); }
  static void PutImage(const QImage& image) {
    auto* data = new QMimeData;
    data->setImageData(image);
    Board().setMimeData(data);
  }

  // A fixed-position object of the given frames whose frame i is at (10 i, 20 i).
  ObSpriteData* ShowFixed(int frames) {
    auto s = NewSprite("位置");
    EditParams(*s, [&](ObSpriteParams& p) {
      p.Behave = ObSpriteData::kFixedPosition;
      p.ImageSizeX = 16;
      p.ImageSizeY = 16;
    });
    for (int i = 0; i < frames; ++i) {
      s->AddImage(FrameSlot(SolidImage(10 + i, 8, 8, {0x102030})), int16_t(i), 0);
      s->AddLocation(TPoint{10 * i, 20 * i});
    }
    ObSpriteData* sprite = Add(std::move(s));
    Show(int(list.size()) - 1);
    doc.MarkSaved();
    return sprite;
  }

  // The one message shown, as one of the dialog's errors.
  void ExpectOneError(const QString& text) {
    ASSERT_EQ(prompt.Messages().size(), 1u) << prompt.MessageTexts().join("|").toStdString();
    EXPECT_EQ(prompt.Messages()[0].text, text);
    EXPECT_EQ(prompt.Messages()[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
  }

  void Press(int key) {
    QTest::keyClick(dialog->Spread, Qt::Key(key), Qt::ControlModifier);
    QCoreApplication::processEvents();
  }

  std::map<int, std::function<bool()>> routes;
};

TEST_F(ClipboardTest, CopyPutsTheExactDibAndPastingItIntoAnotherMaskGivesTheSamePicture) {
  ObSpriteData* s = ShowFrames(3);
  // A full colour table that the header does not count (biClrUsed 0): the bytes copied follow
  // the colour-count rule, not the header's field.
  auto dib = MakeDib({.width = 6, .height = 4, .bits = 8, .colors = {0x112233, 0x445566, 0xAB00CD}},
                     [](int x, int y) { return uint32_t(x * y) % 3; });
  ASSERT_EQ(dib->Header().biClrUsed, 0u);
  s->AddImage(FrameSlot(std::make_unique<ObBmpImage>(dib)), 0, 0);
  SetActive(1, 1);
  commands->CmEditCopy();

  const QByteArray put = Board().mimeData()->data(Clipboard::kBitmapMime);
  EXPECT_EQ(put.size(), qsizetype(kFileHeaderSize + 40 + 4 * 256 + 8 * 4));
  EXPECT_EQ(put.mid(kFileHeaderSize).toStdString(), BytesOf(*dib));
  EXPECT_TRUE(Board().mimeData()->hasImage());
  EXPECT_EQ(doc.Modified(), 0);  // a copy changes nothing

  SetActive(3, 2);
  commands->CmEditPaste();
  const ObBmpImage* mask = s->GetMask(2).Image();
  ASSERT_NE(mask, nullptr);
  ASSERT_TRUE(mask->HasDib());
  ExpectSamePicture(*mask->Dib(), *dib);           // same pixels, same colour table
  EXPECT_NE(mask->Bitmap(), nullptr);              // ready to draw
  EXPECT_EQ(s->GetImage(2).Image()->Width(), 12);  // the frame's image stays
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_TRUE(prompt.Messages().empty());
}

TEST(CopyDibToGlobalTest, CopiesTheBytesTheRulesCountAndRefusesADibThatIsNotWhole) {
  struct Case {
    const char* name;
    DibSpec spec;
    size_t expected;  // 0: refused
  };
  const Case cases[] = {
      {"8 bits, table counted by the header",
       {.width = 3, .height = 2, .bits = 8, .clrUsed = 5},
       40 + 4 * 5 + 4 * 2},
      {"4 bits, full table", {.width = 9, .height = 3, .bits = 4}, 40 + 4 * 16 + 8 * 3},
      {"24 bits, no table", {.width = 5, .height = 2, .bits = 24}, 40 + 16 * 2},
      {"1 bit", {.width = 33, .height = 1, .bits = 1}, 40 + 8 + 8},
      {"cut short", {.width = 4, .height = 4, .bits = 8, .dropBytes = 1}, 0},
      {"compressed", {.width = 4, .height = 4, .bits = 8, .compression = 1}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto dib = MakeDib(c.spec, [](int x, int y) { return uint32_t(x + y); });
    const auto copy = CopyDibToGlobal(*dib);
    if (c.expected == 0) {
      EXPECT_EQ(copy, nullptr);
      continue;
    }
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Size(), c.expected);
    EXPECT_EQ(BytesOf(*copy), BytesOf(*dib).substr(0, c.expected));
  }
}

TEST_F(ClipboardTest, PastedPicturesWidenTheSizeFieldsOnly) {
  ShowFrames(2);
  dialog->SizeXEdit->setText("100");
  dialog->SizeYEdit->setText("300");
  ASSERT_TRUE(Clipboard().PutPicture(*SolidDib(320, 200, 24, {0x808080})));
  SetActive(1, 1);
  commands->CmEditPaste();
  EXPECT_EQ(dialog->SizeXEdit->text(), "320");
  EXPECT_EQ(dialog->SizeYEdit->text(), "300");
}

TEST_F(ClipboardTest, APictureBeyondTheLastFrameGrowsTheFrameListToItsColumn) {
  ObSpriteData* s = ShowFrames(10);
  ASSERT_TRUE(Clipboard().PutPicture(*SolidDib(7, 5, 1, {0, 0xFFFFFF})));
  SetActive(12, 1);
  commands->CmEditPaste();
  ASSERT_EQ(s->FrameCount(), 12);
  EXPECT_TRUE(s->GetImage(10).IsEmpty());
  EXPECT_TRUE(s->GetMask(10).IsEmpty());
  ASSERT_TRUE(s->GetImage(11).IsImage());
  EXPECT_EQ(s->GetImage(11).Image()->Width(), 7);
  EXPECT_EQ(dialog->FramesEdit->text(), "12");
  EXPECT_EQ(Background(12, 1), RGB(0, 128, 0));  // shown as a frame
}

TEST_F(ClipboardTest, ADrawingIsPastedAsLargeAsTheDialogsClientArea) {
  ObSpriteData* s = ShowFrames(1);
  auto* data = new QMimeData;
  data->setData(Clipboard::kDrawingMime,
                "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'>"
                "<rect width='4' height='4' fill='#ff0000'/></svg>");
  Board().setMimeData(data);
  SetActive(1, 2);
  commands->CmEditPaste();
  const ObBmpImage* mask = s->GetMask(0).Image();
  ASSERT_NE(mask, nullptr);
  const QSize client = dialog->rect().size();
  EXPECT_EQ(mask->Width(), client.width());
  EXPECT_EQ(mask->Height(), client.height());
  EXPECT_EQ(dialog->SizeXEdit->text(), QString::number(client.width()));
  // Red, stretched over the whole picture: one colour.
  ASSERT_EQ(mask->NumColors(), 1u);
  EXPECT_EQ(mask->GetColors()[2], 0xFF);
}

TEST_F(ClipboardTest, AnotherProgramsIndexedImageKeepsItsColours) {
  ObSpriteData* s = ShowFrames(1);
  QImage image(3, 2, QImage::Format_Indexed8);
  image.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
  image.fill(1);
  image.setPixel(0, 0, 0);
  PutImage(image);
  SetActive(1, 1);
  commands->CmEditPaste();
  const ObBmpImage* pasted = s->GetImage(0).Image();
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->BitCount(), 8);
  ASSERT_EQ(pasted->NumColors(), 2u);
  const uint8_t* colors = pasted->GetColors();
  EXPECT_EQ(colors[2], 0xFF);  // entry 0 red (blue, green, red)
  EXPECT_EQ(colors[4], 0xFF);  // entry 1 blue
  // The top-left pixel is the first byte of the top row, which is stored last.
  EXPECT_EQ(pasted->GetBits()[pasted->LineBytes() * 1 + 0], 0);
  EXPECT_EQ(pasted->GetBits()[0], 1);
}

TEST_F(ClipboardTest, AnIndexedImageWithATransparentEntryBringsItsMaskInTheSameStep) {
  ObSpriteData* s = ShowFrames(1);
  QImage image(2, 1, QImage::Format_Indexed8);
  image.setColorTable({qRgba(255, 255, 255, 0), qRgb(0, 0, 255)});
  image.setPixel(0, 0, 0);
  image.setPixel(1, 0, 1);
  PutImage(image);
  SetActive(1, 1);
  commands->CmEditPaste();
  const ObBmpImage* pasted = s->GetImage(0).Image();
  const ObBmpImage* mask = s->GetMask(0).Image();
  ASSERT_NE(pasted, nullptr);
  ASSERT_NE(mask, nullptr);
  // The transparent entry is black in the picture and the background (bit 1) of the mask.
  EXPECT_EQ(pasted->NumColors(), 2u);
  EXPECT_EQ(pasted->GetColors()[0] | pasted->GetColors()[1] | pasted->GetColors()[2], 0);
  EXPECT_EQ(mask->Width(), 2);
  EXPECT_EQ(mask->GetBits()[0], 0x80);
  doc.History().undo();
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10}));
  EXPECT_EQ(MaskWidths(*s), (std::vector<int>{50}));
}

TEST_F(ClipboardTest, APictureTheStoredFormCannotHoldIsRefusedAndChangesNothing) {
  ObSpriteData* s = ShowFrames(2);
  QImage wide(70000, 1, QImage::Format_Indexed8);
  wide.setColorTable({qRgb(0, 0, 0)});
  wide.fill(0);
  PutImage(wide);
  SetActive(2, 1);
  commands->CmEditPaste();
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_TRUE(prompt.Messages()[0].text.startsWith(kDibFailed));
  EXPECT_TRUE(prompt.Messages()[0].text.contains("65535"));
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10, 11}));
  EXPECT_EQ(dialog->SizeXEdit->text(), "16");
  EXPECT_EQ(doc.Modified(), 0);
}

TEST_F(ClipboardTest, APasteWithoutAPictureSaysSoAndChangesNothing) {
  ObSpriteData* s = ShowFrames(2);
  PutText("25");
  SetActive(1, 1);
  commands->CmEditPaste();
  ExpectOneError(kDibFailed);
  EXPECT_EQ(SlotKinds(*s), "II II");
  EXPECT_EQ(doc.Modified(), 0);
}

struct TextCase {
  const char* name;
  std::optional<QString> text;  // nullopt: no text on the clipboard
  TPoint expected;              // frame index 2's location afterwards
  QString cell;                 // row 5 of column 3 afterwards
  int modified;
};

TEST_F(ClipboardTest, ANumberPastedIntoALocationCellMovesThatFrame) {
  const TextCase cases[] = {
      {"25", QStringLiteral("25"), {20, 25}, "25", 1},
      {"blanks, sign, trailing text", QStringLiteral("  -7px"), {20, -7}, "-7", 1},
      {"no digits", QStringLiteral("abc"), {20, 0}, "0", 1},
      {"empty text", QStringLiteral(""), {20, 40}, "40", 0},
      {"blank text", QStringLiteral("  "), {20, 40}, "40", 0},
      {"no text", std::nullopt, {20, 40}, "40", 0},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.name);
    doc.Reset({}, QString());
    prompt.ClearHistory();
    ObSpriteData* s = ShowFixed(4);
    Board().clear();
    if (c.text) PutText(*c.text);
    SetActive(3, 5);
    commands->CmEditPaste();
    EXPECT_EQ(s->Locations()[2], c.expected);
    EXPECT_EQ(Cell(3, 5), c.cell);
    EXPECT_EQ(doc.Modified(), c.modified);
    EXPECT_TRUE(prompt.Messages().empty());
    // Saving reads the locations back from the grid: the pasted number stays.
    ASSERT_TRUE(dialog->SaveSpriteData());
    EXPECT_EQ(s->Locations()[2], c.expected);
  }
}

TEST_F(ClipboardTest, ALocationPasteIntoARowXCellChangesOnlyX) {
  ObSpriteData* s = ShowFixed(2);
  PutText("-300");
  SetActive(2, 4);
  commands->CmEditPaste();
  EXPECT_EQ(s->Locations()[1], (TPoint{-300, 20}));
  EXPECT_EQ(Cell(2, 4), "-300");
}

TEST_F(ClipboardTest, ALocationPasteBeyondTheFramesIsRefused) {
  ObSpriteData* s = ShowFixed(10);
  PutText("25");
  SetActive(11, 5);
  commands->CmEditPaste();
  ExpectOneError(kBeyond);
  EXPECT_EQ(s->FrameCount(), 10);
  EXPECT_EQ(s->Locations().size(), 10u);
  EXPECT_EQ(doc.Modified(), 0);
}

TEST_F(ClipboardTest, ALocationPasteIntoAnObjectWithoutLocationsChangesNothing) {
  ObSpriteData* s = ShowFrames(3);  // flowing: no locations
  PutText("25");
  SetActive(2, 5);
  commands->CmEditPaste();
  EXPECT_TRUE(s->Locations().empty());
  EXPECT_EQ(Cell(2, 5), "");
  EXPECT_EQ(doc.Modified(), 0);
  // It says why.
  ExpectOneError(
      QStringLiteral("位置は動作タイプが「指定位置」のオブジェクトにだけ設定できます。"));
  prompt.ClearHistory();

  // Chosen fixed position in the drop-down (not stored yet): the rows are the object's now,
  // and every frame gets a location.
  dialog->BehaveTypeCombo->setCurrentIndex(ObSpriteData::kFixedPosition);
  doc.MarkSaved();
  commands->CmEditPaste();
  ASSERT_EQ(s->Locations().size(), 3u);
  EXPECT_EQ(s->Locations()[1], (TPoint{0, 25}));
  EXPECT_EQ(Cell(2, 5), "25");
  EXPECT_EQ(doc.Modified(), 1);
}

TEST_F(ClipboardTest, CopyOfALocationCellPutsItsText) {
  ShowFixed(3);
  SetActive(3, 4);
  commands->CmEditCopy();
  EXPECT_EQ(Board().text(), "20");
  EXPECT_EQ(doc.Modified(), 0);
}

TEST_F(ClipboardTest, TheSoundRowIsRefusedByCopyAndPasteAndLeftAloneByCut) {
  ObSpriteData* s = ShowFrames(2);
  SetSound(*s, NewSound("a.wav", 1));
  PutText("keep");
  SetActive(1, 3);
  commands->CmEditCut();
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(Board().text(), "keep");
  EXPECT_NE(s->Sound(), nullptr);
  EXPECT_EQ(SlotKinds(*s), "II II");

  SetActive(1, 3);
  commands->CmEditCopy();
  ExpectOneError(kSoundCopy);
  EXPECT_TRUE(Formats().isEmpty());

  prompt.ClearHistory();
  SetActive(1, 3);
  commands->CmEditPaste();
  ExpectOneError(kSoundPaste);
  EXPECT_NE(s->Sound(), nullptr);
}

struct FailedCopyCase {
  const char* name;
  std::function<FrameSlot()> slot;  // what frame index 1's image slot holds
  QString message;                  // empty: none
  std::string kindsAfter;           // the frames' slot kinds after a cut
};

TEST_F(ClipboardTest, ACopyThatFailsLeavesTheClipboardEmptyAndACutKeepsTheCell) {
  const FailedCopyCase cases[] = {
      {"empty cell", [] { return FrameSlot(); }, "", "II -I"},
      {"continue frame", [] { return FrameSlot(ContinueMark); }, kContinue, "II CC"},
      {"picture without DIB", [] { return FrameSlot(std::make_unique<ObBmpImage>()); }, kNoDib,
       "II II"},
      {"DIB cut short",
       [] {
         return FrameSlot(std::make_unique<ObBmpImage>(MakeDib(
             {.width = 4, .height = 4, .bits = 8, .dropBytes = 2}, [](int, int) { return 0u; })));
       },
       kNoDib, "II II"},
  };
  for (const FailedCopyCase& c : cases) {
    for (bool cut : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (cut ? ", cut" : ", copy"));
      doc.Reset({}, QString());
      ObSpriteData* s = ShowFrames(2);
      s->AddImage(c.slot(), 1, 0);
      if (c.slot().IsContinue()) s->AddImage(FrameSlot(ContinueMark), 1, 1);
      dialog->SetBitmapToSpread();
      PutText("before");
      prompt.ClearHistory();
      SetActive(2, 1);
      cut ? commands->CmEditCut() : commands->CmEditCopy();
      EXPECT_TRUE(Formats().isEmpty()) << Formats().join(",").toStdString();
      if (c.message.isEmpty())
        EXPECT_TRUE(prompt.Messages().empty());
      else
        ExpectOneError(c.message);
      EXPECT_EQ(SlotKinds(*s), c.kindsAfter);
      EXPECT_EQ(doc.Modified(), 0);
    }
  }
}

TEST_F(ClipboardTest, ACutPutsThePictureOnTheClipboardAndEmptiesTheCell) {
  ObSpriteData* s = ShowFrames(3);
  const std::shared_ptr<const PackedDib> before = s->GetMask(1).Image()->GetImageData()->Info;
  ASSERT_NE(before, nullptr);
  SetActive(2, 2);
  commands->CmEditCut();
  EXPECT_EQ(SlotKinds(*s), "II I- II");
  EXPECT_EQ(s->FrameCount(), 3);  // the frame stays
  EXPECT_EQ(doc.Modified(), 1);
  EXPECT_EQ(Board().mimeData()->data(Clipboard::kBitmapMime).mid(kFileHeaderSize).toStdString(),
            BytesOf(*before));

  // And back into the cell it came from.
  SetActive(2, 2);
  commands->CmEditPaste();
  EXPECT_EQ(SlotKinds(*s), "II II II");
  ExpectSamePicture(*s->GetMask(1).Image()->Dib(), *before);
}

TEST_F(ClipboardTest, ACutAfterAFrameCountTypedIntoItsFieldCutsTheChosenCell) {
  ObSpriteData* s = ShowFrames(3);
  dialog->FramesEdit->setText("4");  // typed, not yet stored: storing it redraws the grid
  SetActive(2, 1);
  commands->CmEditCut();
  EXPECT_EQ(SlotKinds(*s), "II -I II --");
}

TEST_F(ClipboardTest, ACutStoresWhatWasTypedFirstAndChangesOnlyItsCell) {
  // A depth the fields refuse stops the fields there (the speed typed after it stays typed): the
  // cut goes on after the refusal, and no typed text is put back from the object.
  for (bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "fields refused" : "fields stored");
    doc.Reset({}, QString());
    ObSpriteData* s = ShowFixed(3);
    prompt.ClearHistory();
    dialog->SpeedXEdit->setText("7");
    dialog->DepthEdit->setText(refused ? "999" : "3");
    dialog->CommitLocation(3, ObKELDialog::kRowY, "45");  // a location typed into the grid
    SetActive(2, 1);
    commands->CmEditCut();

    EXPECT_EQ(SlotKinds(*s), "I- -- I-");
    EXPECT_EQ(prompt.Messages().size(), refused ? 1u : 0u);
    EXPECT_EQ(dialog->SpeedXEdit->text(), "7");
    EXPECT_EQ(s->Params().SpeedX, refused ? 0 : 7);
    EXPECT_EQ(dialog->DepthEdit->text(), refused ? "999" : "3");
    EXPECT_EQ(Cell(3, ObKELDialog::kRowY), "45");
    EXPECT_EQ(ActiveCell(), std::make_pair(2, 1));
    EXPECT_EQ(doc.Modified(), 1);
  }
}

TEST_F(ClipboardTest, CutAndCopyOfAColumnBeyondTheFramesDoNothing) {
  ObSpriteData* s = ShowFrames(2);
  PutText("keep");
  for (auto command : {&EditCommands::CmEditCut, &EditCommands::CmEditCopy}) {
    SetActive(5, 1);
    (commands.get()->*command)();
  }
  EXPECT_EQ(Board().text(), "keep");
  EXPECT_EQ(s->FrameCount(), 2);
  EXPECT_TRUE(prompt.Messages().empty());
  EXPECT_EQ(doc.Modified(), 0);
}

TEST_F(ClipboardTest, EveryCommandWithoutAnObjectSaysThereIsNone) {
  for (auto command :
       {&EditCommands::CmEditCut, &EditCommands::CmEditCopy, &EditCommands::CmEditPaste}) {
    prompt.ClearHistory();
    (commands.get()->*command)();
    ExpectOneError(kNoObject);
  }
  EXPECT_EQ(doc.Modified(), 0);
}

TEST_F(ClipboardTest, TheGridsKeysCopyCutAndPaste) {
  ObSpriteData* s = ShowFrames(3);
  dialog->Spread->setFocus();
  SetActive(1, 1);
  Press(Qt::Key_C);
  EXPECT_TRUE(Formats().contains(Clipboard::kBitmapMime));
  SetActive(3, 2);
  Press(Qt::Key_V);
  EXPECT_EQ(s->GetMask(2).Image()->Width(), 10);  // frame 1's image
  SetActive(2, 1);
  Press(Qt::Key_X);
  EXPECT_EQ(SlotKinds(*s), "II -I II");
  EXPECT_EQ(doc.Modified(), 1);
}

}  // namespace
}  // namespace kel::test

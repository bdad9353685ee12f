// The main window: menu bar, accelerators, hints in the status bar, the speed bar and tool box,
// its fixed size and place, closing through the save-changes prompt, and the command route.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "app/app_fixture.h"
#include "app/commands.h"
#include "app/dialog_routes.h"
#include "app/frame_window.h"
#include "app/settings.h"
#include "editor/problems_window.h"
#include "grid/spread.h"

namespace kel::test {
namespace {

// A picture as one premultiplied pixel form, to compare what a button shows with its glyph.
QImage Pixels(const QPixmap& p) {
  return p.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

const QString kNotYet = QStringLiteral("この機能はまだ使用できません。");

struct Item {
  const char* text;  // "-" for a separator
  int id;
  const char* keys;  // the shortcut text the menu shows
};

// The menu bar as the user sees it: popup titles, item texts with their mnemonics, the shortcut
// texts and the command each item issues.
TEST_F(AppTest, MenuBarHoldsEveryItemInItsExactText) {
  const struct {
    const char* title;
    std::vector<Item> items;
  } expected[] = {
      {"ファイル(&F)",
       {{"新規作成(&N)", 24331, "Ctrl+N"},
        {"オープン(&O)...", 24332, "Ctrl+O"},
        {"追加読込み(&B)...", 24335, ""},
        {"-", 0, ""},
        {"上書き保存(&S)", 24333, "Ctrl+S"},
        {"名前を付けて保存(&A)...", 24334, "Ctrl+Shift+S"},
        {"エクスポート(&E)...", 24340, ""},
        {"-", 0, ""},
        {"最近使ったファイル(&F)", 0, "submenu"},
        {"-", 0, ""},
        {"終了(&X)", 24310, "Alt+F4"}}},
      {"編集(&E)",
       {{"元に戻す(&U)", 24321, "Ctrl+Z"},
        {"やり直し(&R)", 24328, "Ctrl+Y"},
        {"履歴(&H)...", 25301, ""},
        {"-", 0, ""},
        {"切り取り(&T)", 24322, "Ctrl+X"},
        {"コピー(&C)", 24323, "Ctrl+C"},
        {"貼り付け(&P)", 24324, "Ctrl+V"},
        {"-", 0, ""},
        {"フレーム削除(&D)", 25206, "Del"}}},
      {"オブジェクト(&O)",
       {{"新規作成(&N)...", 25101, ""},
        {"名前の変更(&R)...", 25105, ""},
        {"削除(&D)", 25102, ""},
        {"クリア(&C)", 25103, "Ctrl+Del"},
        {"-", 0, ""},
        {"検査(&K)...", 25106, ""},
        {"ステージ(&S)...", 25107, ""}}},
      {"セル(&S)",
       {{"イメージ読み込み(&I)...", 25201, ""},
        {"イメージリスト読み込み(&L)...", 25207, ""},
        {"スプライトシートの読み込み(&P)...", 25208, ""},
        {"サウンド読み込み(&S)...", 25202, ""},
        {"マスク生成(&M)", 25203, ""},
        {"連続アイコン指定(&C)", 25204, ""},
        {"テスト表示(&T)", 25205, ""},
        {"フレーム削除(&D)", 25206, "Del"}}},
      {"ヘルプ(&H)",
       {{"目次(&C)...", 2020, "F1"},
        {"-", 0, ""},
        {"オブジェクトエディタ について(&A)...", 2009, ""}}},
  };
  const QList<QAction*> popups = app->MainWindow()->menuBar()->actions();
  ASSERT_EQ(popups.size(), qsizetype(std::size(expected)));
  for (size_t p = 0; p < std::size(expected); ++p) {
    SCOPED_TRACE(expected[p].title);
    EXPECT_EQ(popups[p]->text(), QString::fromUtf8(expected[p].title));
    ASSERT_NE(popups[p]->menu(), nullptr);
    const QList<QAction*> items = popups[p]->menu()->actions();
    ASSERT_EQ(items.size(), qsizetype(expected[p].items.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
      const Item& want = expected[p].items[size_t(i)];
      SCOPED_TRACE(want.text);
      if (std::string(want.text) == "-") {
        EXPECT_TRUE(items[i]->isSeparator());
        continue;
      }
      EXPECT_EQ(items[i]->text(), QString::fromUtf8(want.text));
      if (std::string(want.keys) == "submenu") {
        EXPECT_NE(items[i]->menu(), nullptr);
        continue;
      }
      EXPECT_EQ(items[i]->data().toInt(), want.id);
      EXPECT_EQ(items[i]->shortcut().toString(QKeySequence::PortableText),
                QString::fromUtf8(want.keys));
      // Undo and redo are greyed while the history has nothing to take back or redo.
      EXPECT_EQ(items[i]->isEnabled(), want.id != 24321 && want.id != 24328);
    }
  }
}

// The accelerator table: each key issues its command, wherever the focus is in the window.
TEST_F(AppTest, AcceleratorsIssueTheirCommands) {
  const struct {
    QKeySequence key;
    int id;
  } cases[] = {
      {QKeySequence(Qt::ALT | Qt::Key_4), CM_EXIT},
      {QKeySequence(Qt::ALT | Qt::Key_F4), CM_EXIT},
      {QKeySequence(Qt::CTRL | Qt::Key_X), CM_EDITCUT},
      {QKeySequence(Qt::CTRL | Qt::Key_C), CM_EDITCOPY},
      {QKeySequence(Qt::CTRL | Qt::Key_V), CM_EDITPASTE},
      {QKeySequence(Qt::Key_Delete), CM_DELFRAME},
      {QKeySequence(Qt::CTRL | Qt::Key_Delete), CM_CLEAROBJECT},
      {QKeySequence(Qt::CTRL | Qt::Key_Z), CM_EDITUNDO},
      {QKeySequence(Qt::CTRL | Qt::Key_Y), CM_EDITREDO},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), CM_EDITREDO},
      {QKeySequence(Qt::CTRL | Qt::Key_N), CM_FILENEW},
      {QKeySequence(Qt::CTRL | Qt::Key_O), CM_FILEOPEN},
      {QKeySequence(Qt::CTRL | Qt::Key_S), CM_FILESAVE},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), CM_FILESAVEAS},
      {QKeySequence(Qt::Key_F1), CM_HELPCONTENTS},
  };
  std::map<QKeySequence, int> issued;
  for (const auto& [id, action] : app->MainWindow()->Actions())
    for (const QKeySequence& k : action->shortcuts()) {
      EXPECT_EQ(issued.count(k), 0u) << k.toString().toStdString() << " issues two commands";
      issued[k] = id;
    }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key.toString().toStdString());
    ASSERT_EQ(issued.count(c.key), 1u);
    EXPECT_EQ(issued[c.key], c.id);
  }
  EXPECT_EQ(issued.size(), std::size(cases));
}

TEST_F(AppTest, EveryCommandCarriesItsHintAsStatusTip) {
  const std::map<int, const char*> hints = {
      {24310, "ファイルを保存することを促し、終了"},
      {24321, "直前の操作を元に戻す"},
      {24328, "元に戻した操作をやり直す"},
      {25301, "操作の履歴を表示する"},
      {24322, "セル画像をクリップボードへ切り取る"},
      {24323, "セル画像をクリップボードへコピーする"},
      {24324, "クリップボードの内容を指定セルの位置に挿入"},
      {24331, "新しくオブジェクトファイルを作成する"},
      {24332, "ファイルを読込む"},
      {24333, "上書き保存"},
      {24334, "名前を付けて保存"},
      {24335, "ファイル追加モードで読込む"},
      {24340, "表示中オブジェクトのアニメーションを GIF、WebP、PNG に書き出す"},
      {24339, "閉じる"},
      {25101, "新しいオブジェクトを作成する"},
      {25102, "表示中オブジェクトを削除する"},
      {25103, "表示中オブジェクトをクリアする"},
      {25105, "オブジェクトの名前を変更する"},
      {25106, "プレーヤーで正しく表示されない箇所を検査する"},
      {25201, "イメージをロードする"},
      {25202, "サウンドをロードする"},
      {25203, "マスクを生成する"},
      {25204, "コンティニューアイコンを貼りつける"},
      {25205, "アニメーション動作テストを行う"},
      {25206, "現在アクティブなフレームを削除する"},
      {25207, "イメージリストをオープンする"},
      {25208, "1 枚の画像を切り分けてフレームに読み込む"},
      {2009, "オブジェクトエディタについて"},
      {2020, "ヘルプを表示する"},
      {25107, "オブジェクトをステージの上で動かして見る"},
  };
  ObFrameWindow& frame = *app->MainWindow();
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  EXPECT_EQ(frame.Actions().size(), hints.size());
  for (const auto& [id, hint] : hints) {
    SCOPED_TRACE(id);
    QAction* action = frame.Action(id);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->statusTip(), QString::fromUtf8(hint));
    // Highlighting the item shows the hint in the status bar.
    action->showStatusText(&frame);
    EXPECT_EQ(frame.statusBar()->currentMessage(), QString::fromUtf8(hint));
  }
}

TEST_F(AppTest, SpeedBarHoldsFileClipboardAndHistoryButtons) {
  QToolBar* bar = app->MainWindow()->SpeedBar;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(app->MainWindow()->toolBarArea(bar), Qt::TopToolBarArea);
  EXPECT_EQ(bar->iconSize(), QSize(20, 20));
  const std::vector<int> expected = {24331, 24332, 24333, 0, 24322, 24323, 24324, 0, 24321, 24328};
  const QList<QAction*> actions = bar->actions();
  ASSERT_EQ(actions.size(), qsizetype(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    if (expected[i] == 0) {
      EXPECT_TRUE(actions[i]->isSeparator());
      continue;
    }
    EXPECT_EQ(actions[i]->data().toInt(), expected[i]);
    EXPECT_EQ(actions[i]->icon().pixmap(20, 20).toImage().size(), QSize(20, 20));
    const QImage glyph(QStringLiteral(":/speedbar/%1.png").arg(expected[i]));
    EXPECT_EQ(Pixels(actions[i]->icon().pixmap(20, 20)), Pixels(QPixmap::fromImage(glyph)));
  }
}

TEST_F(AppTest, ToolBoxHasItsButtonsInTwoColumns) {
  QToolBar* box = app->MainWindow()->ToolBox;
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(app->MainWindow()->toolBarArea(box), Qt::LeftToolBarArea);
  auto* panel = box->findChild<QWidget*>(QStringLiteral("ToolBoxButtons"));
  ASSERT_NE(panel, nullptr);
  auto* grid = qobject_cast<QGridLayout*>(panel->layout());
  ASSERT_NE(grid, nullptr);
  const int expected[][2] = {{25101, 25101}, {25102, 25102}, {25103, 25103}, {25104, 2020},
                             {25201, 25201}, {25202, 25202}, {25203, 25203}, {25204, 25204},
                             {25205, 25205}, {25206, 25206}, {25106, 25106}, {25107, 25107}};
  const int count = int(std::size(expected));
  for (int i = 0; i < count; ++i) {
    SCOPED_TRACE(i);
    QLayoutItem* item = grid->itemAtPosition(i / 2, i % 2);
    ASSERT_NE(item, nullptr);
    auto* button = qobject_cast<QToolButton*>(item->widget());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->defaultAction()->data().toInt(), expected[i][1]);
    EXPECT_EQ(button->iconSize(), QSize(32, 32));
    const QImage glyph(QStringLiteral(":/toolbox/%1.png").arg(expected[i][0]));
    EXPECT_EQ(glyph.size(), QSize(32, 32));
    EXPECT_EQ(Pixels(button->icon().pixmap(32, 32)), Pixels(QPixmap::fromImage(glyph)));
    EXPECT_EQ(button->statusTip(), HintText(expected[i][1]));
  }
  EXPECT_EQ(grid->count(), count);
}

// Every button's tooltip is its command's hint: no mnemonic, and the two New buttons differ.
TEST_F(AppTest, ButtonTooltipsAreTheCommandsHints) {
  ObFrameWindow& frame = *app->MainWindow();
  std::map<int, QString> tips;
  for (QAction* a : frame.SpeedBar->actions()) {
    if (a->isSeparator()) continue;
    auto* button = qobject_cast<QToolButton*>(frame.SpeedBar->widgetForAction(a));
    ASSERT_NE(button, nullptr);
    tips[a->data().toInt()] = button->toolTip();
  }
  EXPECT_EQ(tips.size(), 8u);
  for (const ToolBoxButton& b : ToolBoxButtons()) {
    auto* button = frame.ToolBox->findChild<QToolButton*>(QStringLiteral("ToolBox%1").arg(b.glyph));
    ASSERT_NE(button, nullptr) << b.glyph;
    tips[b.id] = button->toolTip();
  }
  EXPECT_EQ(tips.size(), 8u + ToolBoxButtons().size());
  for (const auto& [id, tip] : tips) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(tip.isEmpty());
    EXPECT_EQ(tip, HintText(id));
    EXPECT_FALSE(tip.contains(QRegularExpression(QStringLiteral("\\(.\\)"))));
  }
  EXPECT_EQ(tips[CM_FILENEW], QStringLiteral("新しくオブジェクトファイルを作成する"));
  EXPECT_EQ(tips[CM_NEWOBJECT], QStringLiteral("新しいオブジェクトを作成する"));
  EXPECT_EQ(tips[CM_FILEOPEN], QStringLiteral("ファイルを読込む"));
}

TEST_F(AppTest, StatusBarShowsTheKeyboardIndicators) {
  ObFrameWindow& frame = *app->MainWindow();
  const char* labels[] = {"CAPS", "NUM", "上書"};
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(frame.Indicator(i), nullptr);
    EXPECT_EQ(frame.Indicator(i)->text(), QString::fromUtf8(labels[i]));
    EXPECT_TRUE(frame.statusBar()->isAncestorOf(frame.Indicator(i)));
  }
  // Overtype is off at start; the Insert key switches it on and off again.
  frame.show();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  Dialog().DepthEdit->setFocus();
  EXPECT_FALSE(frame.Indicator(2)->isEnabled());
  QTest::keyClick(Dialog().DepthEdit, Qt::Key_Insert);
  EXPECT_TRUE(frame.Overtype());
  EXPECT_TRUE(frame.Indicator(2)->isEnabled());
  QTest::keyClick(Dialog().DepthEdit, Qt::Key_Insert);
  EXPECT_FALSE(frame.Indicator(2)->isEnabled());
}

TEST_F(AppTest, FrameStartsAtItsTemplateSizeCentredAndGivesMoreRoomToTheGrid) {
  ObFrameWindow& frame = *app->MainWindow();
  EXPECT_EQ(frame.centralWidget(), app->Dialog());
  EXPECT_EQ(ObFrameWindow::GetClassName(), QStringLiteral("KelClass"));
  EXPECT_FALSE(frame.windowIcon().isNull());
  const QRect area = frame.screen()->availableGeometry();
  EXPECT_EQ(frame.FrameX, area.x() + (area.width() - frame.FrameWidth) / 2);
  EXPECT_EQ(frame.FrameY, area.y() + (area.height() - frame.FrameHeight) / 2);
  EXPECT_EQ(frame.pos(), QPoint(frame.FrameX, frame.FrameY));
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  const QSize start = frame.size();
  EXPECT_EQ(frame.minimumSize(), start);
  EXPECT_GT(frame.maximumWidth(), start.width());

  // Every row of the grid and every status indicator is whole on the rendered window, at the
  // start size and larger; the grid takes the extra room.
  TSpread& grid = *Dialog().Spread;
  const auto checkWhole = [&](const char* when) {
    SCOPED_TRACE(when);
    QCoreApplication::processEvents();
    const QRect view = grid.viewport()->rect();
    for (int row = 1; row <= ObKELDialog::kGridRows; ++row) {
      const QRect cell = grid.visualRect(grid.model()->index(row - 1, 0));
      EXPECT_TRUE(view.contains(cell)) << "row " << row;
    }
    EXPECT_GE(grid.rowHeight(ObKELDialog::kRowImage - 1), ObKELDialog::kMinPictureRowPx);
    for (int i = 0; i < 3; ++i) {
      const QLabel* label = frame.Indicator(i);
      const QRect at(label->mapTo(&frame, QPoint(0, 0)), label->size());
      EXPECT_TRUE(frame.rect().adjusted(0, 0, -2, 0).contains(at)) << "indicator " << i;
      EXPECT_GE(label->contentsRect().width(),
                label->fontMetrics().horizontalAdvance(label->text()));
    }
  };
  checkWhole("start size");
  const int columns = grid.columnAt(grid.viewport()->width() - 1);
  const int pictureRow = grid.rowHeight(ObKELDialog::kRowImage - 1);
  frame.resize(start + QSize(300, 200));
  checkWhole("larger");
  EXPECT_GT(grid.columnAt(grid.viewport()->width() - 1), columns);
  EXPECT_GT(grid.rowHeight(ObKELDialog::kRowImage - 1), pictureRow);
  frame.resize(start - QSize(50, 50));
  EXPECT_EQ(frame.size(), start);
}

TEST_F(AppTest, WindowPlaceAndRecentFilesOutliveTheProgram) {
  const auto file = [&](const char* name) { return WriteKel(dir.Path() / name, {"a"}); };
  const std::filesystem::path a = file("a.kel"), b = file("b.kel");
  SaveRecentFiles({});
  OpenForTest(a);
  OpenForTest(b);
  OpenForTest(a);
  EXPECT_EQ(SavedRecentFiles(), (QStringList{Q(a), Q(b)}));
  QMenu& menu = *app->RecentFilesMenu();
  ASSERT_EQ(menu.actions().size(), 2);
  EXPECT_TRUE(menu.actions()[1]->text().startsWith(QStringLiteral("&2 ")));
  // An entry opens its file; a file that has gone says so and leaves the list.
  menu.actions()[1]->trigger();
  EXPECT_EQ(app->CurrentFileName(), Q(b));
  std::filesystem::remove(a);
  EXPECT_FALSE(app->OpenRecentFile(Q(a)));
  EXPECT_THAT(prompt.Messages().back().text.toStdString(), testing::HasSubstr("見つかりません"));
  EXPECT_EQ(SavedRecentFiles(), QStringList{Q(b)});
  EXPECT_EQ(app->CurrentFileName(), Q(b));

  // The size the window had when it closed is the next start's.
  ObFrameWindow* frame = app->MainWindow();
  frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
  frame->setGeometry(QRect(frame->geometry().topLeft(), frame->size() + QSize(120, 80)));
  const QSize closedAt = frame->size();
  ASSERT_TRUE(frame->close());
  app = std::make_unique<kelApp>(prompt);
  app->InitInstance();
  EXPECT_EQ(app->MainWindow()->size(), closedAt);
  EXPECT_EQ(app->RecentFilesMenu()->actions().size(), 1);
}

TEST_F(AppTest, CheckCommandShowsTheDocumentsProblems) {
  Load({"a", "a"}, 0);  // a duplicate name
  ASSERT_TRUE(app->Command(CM_OBJECTCHECK));
  ProblemsWindow* window = app->ProblemsView();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->Problems().size(), 1u);
}

TEST(RecentFiles, LatestFirstOnceAtMostEight) {
  const QStringList eight = {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"};
  const struct {
    QStringList list;
    QString path;
    QStringList expected;
  } cases[] = {
      {{}, "/a.kel", {"/a.kel"}},
      {{"/a.kel", "/b.kel"}, "/b.kel", {"/b.kel", "/a.kel"}},
      {{"/a.kel", "/b.kel"}, "/x/../b.kel", {"/b.kel", "/a.kel"}},
      {eight, "/9", {"/9", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}},
      {eight, "/8", {"/8", "/1", "/2", "/3", "/4", "/5", "/6", "/7"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WithRecentFile(c.list, c.path), c.expected) << c.path.toStdString();
}

// ---- closing

TEST_F(AppTest, ClosingAsksTheSaveQuestion) {
  const struct {
    int modified;
    int answer;  // 0: no question expected
    bool closes;
  } cases[] = {{0, 0, true}, {1, IDCANCEL, false}, {1, IDNO, true}, {1, IDYES, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    Load({"a"}, c.modified);
    ObFrameWindow& frame = *app->MainWindow();
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    if (c.answer) prompt.Answer(c.answer);
    // Exit goes through the command route, as the menu item, Alt+4 and Alt+F4 do.
    EXPECT_EQ(app->Command(CM_EXIT), c.closes);
    EXPECT_EQ(frame.isVisible(), !c.closes);
    EXPECT_EQ(prompt.Messages().size(), c.answer ? 1u : 0u);
    if (c.answer == IDYES) {
      EXPECT_EQ(app->Doc().Modified(), 0);
    }
    prompt.ClearHistory();
  }
}

TEST_F(AppTest, AltFourClosesTheWindow) {
  ObFrameWindow& frame = *app->MainWindow();
  frame.show();
  frame.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
  QTest::keyClick(&frame, Qt::Key_4, Qt::AltModifier);
  EXPECT_FALSE(frame.isVisible());
}

// Del, Ctrl+Del and cut, copy, paste typed in a field (or an open cell editor) edit its text and
// issue no command; with the focus elsewhere they are the commands' accelerators.
class FieldKeysTest : public AppTest {
 protected:
  void SetUp() override {
    Load({"a", "b"}, 0);
    ObFrameWindow& frame = *app->MainWindow();
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    for (const auto& [id, action] : frame.Actions())
      QObject::connect(action, &QAction::triggered, action,
                       [this, id = id] { issued.push_back(id); });
  }
  // Gives the widget the focus and types the key into whatever has the focus then.
  void Type(QWidget* w, QKeyCombination key) {
    w->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), w);
    QTest::keyClick(w, key.key(), key.keyboardModifiers());
  }
  std::vector<int> issued;  // the commands the keys issued, in order
};

TEST_F(FieldKeysTest, KeysTypedInAFieldEditItsText) {
  const int frames = Dialog().CurrentSprite()->FrameCount();
  ASSERT_GT(frames, 0);
  QLineEdit* field = Dialog().PosXEdit;
  // Each key on "12 34" with the cursor at the start (or the whole text selected).
  const struct {
    const char* what;
    QKeyCombination key;
    bool selectAll;
    QString text;  // what the field holds afterwards
  } cases[] = {
      {"Ctrl+Del deletes to the end of the word", Qt::CTRL | Qt::Key_Delete, false, "34"},
      {"Del deletes one character", QKeyCombination(Qt::Key_Delete), false, "2 34"},
      {"keypad Del deletes one character", Qt::KeypadModifier | Qt::Key_Delete, false, "2 34"},
      {"Ctrl+X cuts the selection", Qt::CTRL | Qt::Key_X, true, ""},
      {"Ctrl+C copies the selection", Qt::CTRL | Qt::Key_C, true, "12 34"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    issued.clear();
    field->setText(QStringLiteral("12 34"));
    field->setCursorPosition(0);
    if (c.selectAll) field->selectAll();
    QApplication::clipboard()->clear();
    Type(field, c.key);
    EXPECT_THAT(issued, ::testing::IsEmpty());
    EXPECT_EQ(field->text(), c.text);
    EXPECT_EQ(Dialog().CurrentSprite()->FrameCount(), frames);
    if (c.selectAll) {
      EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("12 34"));
    }
  }
  // Paste puts the clipboard's text into the field.
  issued.clear();
  field->clear();
  QApplication::clipboard()->setText(QStringLiteral("56"));
  Type(field, Qt::CTRL | Qt::Key_V);
  EXPECT_THAT(issued, ::testing::IsEmpty());
  EXPECT_EQ(field->text(), QStringLiteral("56"));
}

TEST_F(FieldKeysTest, KeysTypedInAnOpenCellEditorEditItsText) {
  TSpread* grid = Dialog().Spread;
  QModelIndex cell;
  for (int r = 0; r < grid->model()->rowCount() && !cell.isValid(); ++r)
    for (int col = 0; col < grid->model()->columnCount() && !cell.isValid(); ++col)
      if (grid->model()->flags(grid->model()->index(r, col)) & Qt::ItemIsEditable)
        cell = grid->model()->index(r, col);
  ASSERT_TRUE(cell.isValid());
  grid->setFocus();
  grid->setCurrentIndex(cell);
  grid->edit(cell);
  QApplication::processEvents();
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  editor->setText(QStringLiteral("ab cd"));
  editor->setCursorPosition(0);
  const int frames = Dialog().CurrentSprite()->FrameCount();
  QTest::keyClick(editor, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_THAT(issued, ::testing::IsEmpty());
  EXPECT_EQ(editor->text(), QStringLiteral("cd"));
  EXPECT_EQ(Dialog().CurrentSprite()->FrameCount(), frames);
}

TEST_F(FieldKeysTest, KeysElsewhereIssueTheirCommands) {
  TSpread* grid = Dialog().Spread;
  Type(grid, Qt::CTRL | Qt::Key_Delete);
  EXPECT_EQ(issued, (std::vector<int>{CM_CLEAROBJECT}));
  issued.clear();
  Type(grid, Qt::CTRL | Qt::Key_C);
  EXPECT_EQ(issued, (std::vector<int>{CM_EDITCOPY}));
  // A check box takes no text: Ctrl+Del there clears the object too.
  issued.clear();
  Type(Dialog().AutoRepeatCheckBox, Qt::CTRL | Qt::Key_Delete);
  EXPECT_EQ(issued, (std::vector<int>{CM_CLEAROBJECT}));
}

TEST_F(FieldKeysTest, AltFourClosesTheWindowFromAField) {
  Type(Dialog().PosXEdit, Qt::ALT | Qt::Key_4);
  EXPECT_EQ(issued, (std::vector<int>{CM_EXIT}));
  EXPECT_FALSE(app->MainWindow()->isVisible());
}

TEST(IsTextEditingKey, NamesTheKeysAFieldDoesForItsText) {
  const struct {
    QKeyCombination key;
    bool text;
  } cases[] = {
      {QKeyCombination(Qt::Key_Delete), true},
      {Qt::CTRL | Qt::Key_Delete, true},
      {Qt::CTRL | Qt::Key_X, true},
      {Qt::CTRL | Qt::Key_C, true},
      {Qt::CTRL | Qt::Key_V, true},
      {Qt::KeypadModifier | Qt::Key_Delete, true},
      {Qt::ALT | Qt::Key_4, false},
      {Qt::ALT | Qt::Key_F4, false},
      {Qt::SHIFT | Qt::Key_Delete, false},
      {Qt::CTRL | Qt::Key_Z, true},
      {Qt::CTRL | Qt::Key_Y, true},
      {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, true},
      {Qt::CTRL | Qt::Key_A, false},
      {QKeyCombination(Qt::Key_X), false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsTextEditingKey(c.key), c.text) << QKeySequence(c.key).toString().toStdString();
}

// A refused save on the way out keeps the program running with the document.
TEST_F(AppTest, ClosingWithAFailedSaveStaysOpen) {
  Load({"a"}, 1);
  app->Doc().InsertObject(app->Doc().Count(), MakeSprite("a"));
  ObFrameWindow& frame = *app->MainWindow();
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  prompt.Answer(IDYES);
  EXPECT_FALSE(frame.close());
  EXPECT_TRUE(frame.isVisible());
  EXPECT_EQ(prompt.MessageTexts().back(), kDuplicateText);
  EXPECT_EQ(app->Doc().Objects().size(), 2u);
}

// ---- the command route

struct FakeDialog {
  int cuts = 0;
  bool makes = false;
  void CmEditCut() { ++cuts; }
  bool CmNewObject() { return makes; }
  void CmSomethingElse() {}
};

TEST(DialogResponseTable, RoutesExactlyTheHandlersTheDialogHas) {
  FakeDialog fake;
  auto table = DialogResponseTable(fake);
  std::vector<int> ids;
  for (const auto& [id, handler] : table) ids.push_back(id);
  EXPECT_EQ(ids, (std::vector<int>{CM_EDITCUT, CM_NEWOBJECT}));
  EXPECT_TRUE(table[CM_EDITCUT]());
  EXPECT_EQ(fake.cuts, 1);
  EXPECT_FALSE(table[CM_NEWOBJECT]());
  fake.makes = true;
  EXPECT_TRUE(table[CM_NEWOBJECT]());
}

// File commands reach the application; a command that has no handler yet says so, through the
// menu's action as well as directly.
TEST_F(AppTest, CommandsReachTheirHandlers) {
  Load({"a", "b"}, 0);
  app->MainWindow()->Action(CM_FILENEW)->trigger();
  EXPECT_TRUE(app->Doc().Objects().empty());
  EXPECT_EQ(prompt.MessageTexts(), QStringList());

  for (int id : AllCommands()) {
    SCOPED_TRACE(id);
    const bool fileCommand = id == CM_FILENEW || id == CM_FILEOPEN || id == CM_FILEADD ||
                             id == CM_FILESAVE || id == CM_FILESAVEAS || id == CM_FILECLOSE ||
                             id == CM_FILEEXPORT || id == CM_EXIT;
    if (fileCommand) {
      EXPECT_TRUE(app->HasHandler(id));
      EXPECT_FALSE(app->DialogHandles(id));
      continue;
    }
    if (app->HasHandler(id)) continue;  // a dialog command whose handler exists
    prompt.ClearHistory();
    app->MainWindow()->Action(id)->trigger();
    ASSERT_EQ(prompt.Messages().size(), 1u);
    EXPECT_EQ(prompt.Messages()[0].text, kNotYet);
    EXPECT_EQ(prompt.Messages()[0].flags, unsigned(MB_ICONINFORMATION));
    EXPECT_FALSE(app->Command(id));
  }
  // Help has no handler of the dialog: it goes on to the application.
  EXPECT_FALSE(app->DialogHandles(CM_HELPCONTENTS));
  EXPECT_FALSE(app->DialogHandles(CM_HELPABOUT));
}

// The prompt's Yes sends Save along the route: it reaches the application's Save.
TEST_F(AppTest, TheDialogsSaveCommandReachesTheApplication) {
  Load({"a"}, 1);
  Dialog().DepthEdit->setText(QStringLiteral("9"));
  EXPECT_TRUE(app->Command(CM_FILESAVE));
  EXPECT_EQ(app->Doc().Modified(), 0);
  ASSERT_EQ(NamesInFile(dir / "loaded.kel"), std::vector<std::string>{"a"});
  EXPECT_EQ(app->CurrentFileName(), Q(dir / "loaded.kel"));
}

// ---- palettes

TEST_F(AppTest, PaletteChangesOfOtherWindowsReachTheDialog) {
  ObFrameWindow& frame = *app->MainWindow();
  EXPECT_TRUE(frame.EvQueryNewPalette());
  EXPECT_EQ(Dialog().RealizedPalette(), nullptr);  // nothing shown, nothing realized
  Load({"a"}, 0);
  // The dialog's own change does not come back to it.
  frame.EvPaletteChanged(&Dialog());
  const LogPalette* before = Dialog().RealizedPalette();
  QWidget other;
  frame.EvPaletteChanged(&other);
  ASSERT_NE(Dialog().RealizedPalette(), nullptr);
  const auto* image = app->Doc().Objects()[0]->GetImage(0).Image();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Dialog().RealizedPalette()->entries, image->GetImageData()->Palette->entries);
  (void)before;
}

}  // namespace
}  // namespace kel::test

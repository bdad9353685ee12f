// The prompt port: the scripted double's answers and records, and the real Qt message boxes, file
// dialogs and input dialog driven through their widgets.
#include "platform/prompt.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <map>
#include <stdexcept>

#include "support/test_paths.h"
#include "test_app.h"

namespace kel {
namespace {

using test::TempDir;
using test::TestApp;
using test::WhenModal;
using test::WriteFileBytes;

const QString kObjectFilter = QStringLiteral("ｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙ (*.kel)|*.kel|");

// ------------------------------------------------------------------------------------------------
// Filters and byte counts

TEST(QtNameFilters, ConvertsDescriptionPatternPairs) {
  const struct {
    QString filter;
    QStringList expected;
  } cases[] = {
      {kObjectFilter, {QStringLiteral("ｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙ (*.kel) (*.kel)")}},
      {QStringLiteral("Bitmap File(*.bmp)|*.bmp|"), {QStringLiteral("Bitmap File(*.bmp) (*.bmp)")}},
      {QStringLiteral("Pictures|*.bmp;*.dib|All|*.*|"),
       {QStringLiteral("Pictures (*.bmp *.dib)"), QStringLiteral("All (*.*)")}},
      {QStringLiteral("Wave File(*.wav)|*.wav"), {QStringLiteral("Wave File(*.wav) (*.wav)")}},
      {QStringLiteral("|*.lst|"), {QStringLiteral("*.lst (*.lst)")}},
      {QStringLiteral("No pattern|"), {}},
      {QStringLiteral("Empty pattern||A|*.a|"), {QStringLiteral("A (*.a)")}},
      {QString(), {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(QtNameFilters(c.filter), c.expected) << c.filter.toStdString();
}

TEST(Cp932ByteCount, CountsTheBytesTheTextTakes) {
  const struct {
    QString text;
    int bytes;
  } cases[] = {
      {QString(), 0},
      {QStringLiteral("abc"), 3},
      {QStringLiteral("ｱｲｳ"), 3},    // half-width katakana: one byte each
      {QStringLiteral("あい"), 4},   // double-byte characters
      {QStringLiteral("～①髙"), 6},  // vendor characters CP932 has
      {QStringLiteral("a\\b"), 3},   // the backslash stays one byte
      {QStringLiteral("😀"), 2},      // not in CP932: counted as the most a character takes
      {QStringLiteral("aあ😀ｱ"), 6},
  };
  for (const auto& c : cases) EXPECT_EQ(Cp932ByteCount(c.text), c.bytes) << c.text.toStdString();
}

TEST(FitCp932Bytes, CutsBetweenCharacters) {
  const struct {
    QString text;
    int limit;
    QString expected;
  } cases[] = {
      {QStringLiteral("abcdef"), 3, QStringLiteral("abc")},
      {QStringLiteral("あいう"), 5, QStringLiteral("あい")},  // never half a character
      {QStringLiteral("あいう"), 6, QStringLiteral("あいう")},
      {QStringLiteral("ab😀c"), 3, QStringLiteral("ab")},  // a surrogate pair stays whole
      {QStringLiteral("ab😀c"), 4, QStringLiteral("ab😀")},
      {QStringLiteral("ｵﾌﾞｼﾞｪｸﾄ名"), 11, QStringLiteral("ｵﾌﾞｼﾞｪｸﾄ名")},
      {QStringLiteral("オブジェクト"), 11, QStringLiteral("オブジェク")},
      {QStringLiteral("あ"), 1, QString()},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FitCp932Bytes(c.text, c.limit), c.expected)
        << c.text.toStdString() << " limit " << c.limit;
}

// ------------------------------------------------------------------------------------------------
// ScriptedPromptPort

TEST(ScriptedPromptPort, AnswersInOrderAndRecordsEveryPrompt) {
  ScriptedPromptPort port;
  port.Answer(IDYES);
  port.Answer(QStringLiteral("/tmp/a.kel"));
  port.Answer(std::nullopt);
  port.Answer(QStringLiteral("名前"));

  FileDialogRequest open{
      QString(), kObjectFilter, QStringLiteral("kel"), QStringLiteral("untitled.kel"), QString(),
      false,     true};
  FileDialogRequest save = open;
  save.overwritePrompt = true;
  save.mustExist = false;

  EXPECT_EQ(port.MessageBox(nullptr, QStringLiteral("保存しますか？"), QStringLiteral("警告"),
                            MB_YESNOCANCEL | MB_ICONEXCLAMATION),
            IDYES);
  EXPECT_EQ(port.OpenFileName(nullptr, open), QStringLiteral("/tmp/a.kel"));
  EXPECT_EQ(port.SaveFileName(nullptr, save), std::nullopt);
  EXPECT_EQ(port.InputText(nullptr, QStringLiteral("オブジェクト名の変更"),
                           QStringLiteral("新しいオブジェクト名を入力してください。"),
                           QStringLiteral("旧名"), 11),
            QStringLiteral("名前"));
  EXPECT_TRUE(port.ScriptEmpty());

  const auto& h = port.History();
  ASSERT_EQ(h.size(), 4u);
  EXPECT_EQ(h[0].kind, ScriptedPromptPort::Asked::Box);
  EXPECT_EQ(h[0].text, QStringLiteral("保存しますか？"));
  EXPECT_EQ(h[0].caption, QStringLiteral("警告"));
  EXPECT_EQ(h[0].flags, unsigned(MB_YESNOCANCEL | MB_ICONEXCLAMATION));
  EXPECT_EQ(h[1].kind, ScriptedPromptPort::Asked::Open);
  EXPECT_EQ(h[1].file.filter, kObjectFilter);
  EXPECT_TRUE(h[1].file.mustExist);
  EXPECT_EQ(h[2].kind, ScriptedPromptPort::Asked::Save);
  EXPECT_TRUE(h[2].file.overwritePrompt);
  EXPECT_EQ(h[2].file.fileName, QStringLiteral("untitled.kel"));
  EXPECT_EQ(h[3].kind, ScriptedPromptPort::Asked::Input);
  EXPECT_EQ(h[3].caption, QStringLiteral("オブジェクト名の変更"));
  EXPECT_EQ(h[3].text, QStringLiteral("新しいオブジェクト名を入力してください。"));
  EXPECT_EQ(h[3].initial, QStringLiteral("旧名"));
  EXPECT_EQ(h[3].byteLimit, 11);

  ASSERT_EQ(port.Messages().size(), 1u);
  EXPECT_EQ(port.MessageTexts(), QStringList{QStringLiteral("保存しますか？")});
  port.ClearHistory();
  EXPECT_TRUE(port.History().empty());
  EXPECT_TRUE(port.Messages().empty());
}

TEST(ScriptedPromptPort, EmptyScriptAnswersOkOrCancel) {
  ScriptedPromptPort port;
  EXPECT_EQ(port.MessageBox(nullptr, QStringLiteral("a"), QString(), MB_OK), IDOK);
  EXPECT_EQ(port.OpenFileName(nullptr, {}), std::nullopt);
  EXPECT_EQ(port.SaveFileName(nullptr, {}), std::nullopt);
  EXPECT_EQ(port.InputText(nullptr, {}, {}, {}, 11), std::nullopt);
  EXPECT_EQ(port.History().size(), 4u);
  EXPECT_EQ(port.Messages().size(), 1u);
}

// A script that does not fit the prompt is a mistake in the test, reported at once.
TEST(ScriptedPromptPort, AnswerThatCannotFitThePromptThrows) {
  const struct {
    const char* name;
    std::function<void(ScriptedPromptPort&)> script;
    std::function<void(ScriptedPromptPort&)> ask;
  } cases[] = {
      {"text for a message box", [](auto& p) { p.Answer(QStringLiteral("x")); },
       [](auto& p) { p.MessageBox(nullptr, QStringLiteral("m"), QString(), MB_OK); }},
      {"Cancel for a message box", [](auto& p) { p.Answer(std::nullopt); },
       [](auto& p) { p.MessageBox(nullptr, QStringLiteral("m"), QString(), MB_OKCANCEL); }},
      {"Yes for an OK box", [](auto& p) { p.Answer(IDYES); },
       [](auto& p) { p.MessageBox(nullptr, QStringLiteral("m"), QString(), MB_OK); }},
      {"Cancel for a yes/no box", [](auto& p) { p.Answer(IDCANCEL); },
       [](auto& p) { p.MessageBox(nullptr, QStringLiteral("m"), QString(), MB_YESNO); }},
      {"OK for a yes/no/cancel box", [](auto& p) { p.Answer(IDOK); },
       [](auto& p) { p.MessageBox(nullptr, QStringLiteral("m"), QString(), MB_YESNOCANCEL); }},
      {"id for an open dialog", [](auto& p) { p.Answer(IDOK); },
       [](auto& p) { p.OpenFileName(nullptr, {}); }},
      {"id for a save dialog", [](auto& p) { p.Answer(IDCANCEL); },
       [](auto& p) { p.SaveFileName(nullptr, {}); }},
      {"id for an input", [](auto& p) { p.Answer(IDOK); },
       [](auto& p) { p.InputText(nullptr, {}, {}, {}, 11); }},
      {"input longer than its field", [](auto& p) { p.Answer(QStringLiteral("あいうえおか")); },
       [](auto& p) { p.InputText(nullptr, {}, {}, {}, 11); }},
  };
  for (const auto& c : cases) {
    ScriptedPromptPort port;
    c.script(port);
    EXPECT_THROW(c.ask(port), std::logic_error) << c.name;
  }
}

TEST(ScriptedPromptPort, AnswersEveryButtonTheBoxHas) {
  const struct {
    unsigned flags;
    std::vector<int> ids;
  } cases[] = {
      {MB_OK | MB_ICONINFORMATION, {IDOK}},
      {MB_OKCANCEL, {IDOK, IDCANCEL}},
      {MB_YESNO | MB_ICONQUESTION, {IDYES, IDNO}},
      {MB_YESNOCANCEL | MB_ICONEXCLAMATION, {IDYES, IDNO, IDCANCEL}},
  };
  for (const auto& c : cases)
    for (int id : c.ids) {
      ScriptedPromptPort port;
      port.Answer(id);
      EXPECT_EQ(port.MessageBox(nullptr, QStringLiteral("m"), QString(), c.flags), id);
    }
}

// ------------------------------------------------------------------------------------------------
// QtPromptPort: message boxes

QAbstractButton* ButtonLabelled(QMessageBox* box, const QString& label) {
  for (QAbstractButton* b : box->buttons())
    if (b->text() == label) return b;
  return nullptr;
}

QStringList Labels(QMessageBox* box) {
  QStringList out;
  for (QAbstractButton* b : box->buttons()) out << b->text();
  out.sort();
  return out;
}

struct BoxCase {
  const char* name;
  unsigned flags;
  QMessageBox::Icon icon;
  QStringList labels;  // the first is the default button
  std::vector<std::pair<QString, int>> clicks;
  int onEscape;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
  *os << c.name;
}

class MessageBoxTest : public ::testing::TestWithParam<BoxCase> {
 protected:
  void SetUp() override { TestApp(); }
};

TEST_P(MessageBoxTest, ShowsIconAndButtonsAndAnswersTheirIds) {
  const BoxCase& c = GetParam();
  QtPromptPort port;
  for (const auto& [label, id] : c.clicks) {
    bool shown = false;
    const auto answer = WhenModal<QMessageBox>([&](QMessageBox* box) {
      shown = true;
      EXPECT_EQ(box->icon(), c.icon);
      EXPECT_EQ(box->windowTitle(), QStringLiteral("エラー"));
      EXPECT_EQ(box->text(), QStringLiteral("メッセージ"));
      QStringList expected = c.labels;
      expected.sort();
      EXPECT_EQ(Labels(box), expected);
      ASSERT_NE(box->defaultButton(), nullptr);
      EXPECT_EQ(box->defaultButton()->text(), c.labels.first());
      QAbstractButton* b = ButtonLabelled(box, label);
      ASSERT_NE(b, nullptr) << label.toStdString();
      b->click();
    });
    EXPECT_EQ(
        port.MessageBox(nullptr, QStringLiteral("メッセージ"), QStringLiteral("エラー"), c.flags),
        id)
        << label.toStdString();
    EXPECT_TRUE(shown);
  }
}

TEST_P(MessageBoxTest, EscapeAndCloseBoxGiveTheCancelAnswer) {
  const BoxCase& c = GetParam();
  QtPromptPort port;
  {
    const auto answer =
        WhenModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(port.MessageBox(nullptr, QStringLiteral("m"), QStringLiteral("c"), c.flags),
              c.onEscape);
  }
  const auto answer = WhenModal<QMessageBox>([](QMessageBox* box) { box->close(); });
  EXPECT_EQ(port.MessageBox(nullptr, QStringLiteral("m"), QStringLiteral("c"), c.flags),
            c.onEscape);
}

const QString kOk = QStringLiteral("OK");
const QString kCancel = QStringLiteral("キャンセル");
const QString kYes = QStringLiteral("はい(&Y)");
const QString kNo = QStringLiteral("いいえ(&N)");

INSTANTIATE_TEST_SUITE_P(
    Flags, MessageBoxTest,
    ::testing::Values(
        BoxCase{"OkInformation",
                MB_OK | MB_ICONINFORMATION,
                QMessageBox::Information,
                {kOk},
                {{kOk, IDOK}},
                IDOK},
        BoxCase{"OkHand", MB_OK | MB_ICONHAND, QMessageBox::Critical, {kOk}, {{kOk, IDOK}}, IDOK},
        BoxCase{"OkNoIcon", MB_OK, QMessageBox::NoIcon, {kOk}, {{kOk, IDOK}}, IDOK},
        BoxCase{"OkCancelQuestion",
                MB_OKCANCEL | MB_ICONQUESTION,
                QMessageBox::Question,
                {kOk, kCancel},
                {{kOk, IDOK}, {kCancel, IDCANCEL}},
                IDCANCEL},
        BoxCase{"YesNoExclamation",
                MB_YESNO | MB_ICONEXCLAMATION,
                QMessageBox::Warning,
                {kYes, kNo},
                {{kYes, IDYES}, {kNo, IDNO}},
                IDNO},
        BoxCase{"YesNoCancelExclamation",
                MB_YESNOCANCEL | MB_ICONEXCLAMATION,
                QMessageBox::Warning,
                {kYes, kNo, kCancel},
                {{kYes, IDYES}, {kNo, IDNO}, {kCancel, IDCANCEL}},
                IDCANCEL}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QtPromptPortMessageBox, EmptyCaptionShowsTheApplicationName) {
  TestApp();
  const QString before = QGuiApplication::applicationDisplayName();
  QGuiApplication::setApplicationDisplayName(QStringLiteral("オブジェクトエディタ"));
  QString title;
  const auto answer = WhenModal<QMessageBox>([&](QMessageBox* box) {
    title = box->windowTitle();
    box->button(QMessageBox::Ok)->click();
  });
  QtPromptPort().MessageBox(nullptr, QStringLiteral("重複するオブジェクト名があります"), QString(),
                            MB_OK);
  QGuiApplication::setApplicationDisplayName(before);
  EXPECT_EQ(title, QStringLiteral("オブジェクトエディタ"));
}

// A port given the program's title shows it on a message or input asked for without a caption,
// whatever the application's display name; a caption asked for is shown as it is.
TEST(QtPromptPortMessageBox, EmptyCaptionShowsThePortsDefaultCaption) {
  TestApp();
  const QString before = QGuiApplication::applicationDisplayName();
  QGuiApplication::setApplicationDisplayName(QStringLiteral("keledit"));
  QtPromptPort port(QStringLiteral("オブジェクトエディタ"));
  EXPECT_EQ(port.DefaultCaption(), QStringLiteral("オブジェクトエディタ"));
  const struct {
    QString caption, shown;
  } cases[] = {
      {QString(), QStringLiteral("オブジェクトエディタ")},
      {QStringLiteral("エラー"), QStringLiteral("エラー")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.caption.toStdString());
    QString title;
    {
      const auto answer = WhenModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
      });
      port.MessageBox(nullptr, QStringLiteral("m"), c.caption, MB_OK);
    }
    EXPECT_EQ(title, c.shown);
    title.clear();
    {
      const auto answer = WhenModal<QDialog>([&](QDialog* d) {
        title = d->windowTitle();
        d->reject();
      });
      EXPECT_EQ(port.InputText(nullptr, c.caption, QStringLiteral("p"), QString(), 0),
                std::nullopt);
    }
    EXPECT_EQ(title, c.shown);
  }
  QGuiApplication::setApplicationDisplayName(before);
}

TEST(ScriptedPromptPort, RecordsAnEmptyCaptionAsPassed) {
  ScriptedPromptPort port;
  port.MessageBox(nullptr, QStringLiteral("m"), QString(), MB_OK);
  ASSERT_EQ(port.Messages().size(), 1u);
  EXPECT_EQ(port.Messages()[0].caption, QString());
}

TEST(QtPromptPortMessageBox, TextIsShownAsWritten) {
  TestApp();
  const QString text = QStringLiteral("%s\n<b>このオブジェクトファイルは変更されています</b>");
  QString shown;
  const auto answer = WhenModal<QMessageBox>([&](QMessageBox* box) {
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (label && label->textFormat() == Qt::PlainText) shown = label->text();
    box->button(QMessageBox::Ok)->click();
  });
  QtPromptPort().MessageBox(nullptr, text, QStringLiteral("警告"), MB_OK);
  // Shown as plain text (a long line may be broken in two).
  EXPECT_EQ(shown.remove(QLatin1Char('\n')), QString(text).remove(QLatin1Char('\n')));
}

// ------------------------------------------------------------------------------------------------
// QtPromptPort: file dialogs

void TypeFileName(QFileDialog* dialog, const QString& name) {
  auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(edit, nullptr);
  edit->setText(name);
}

void Accept(QFileDialog* dialog) {
  QMetaObject::invokeMethod(dialog, "accept");
}

QString Native(const std::filesystem::path& p) {
  return QString::fromStdString(p.string());
}

FileDialogRequest KelRequest(const TempDir& dir, bool save) {
  FileDialogRequest req;
  req.filter = kObjectFilter;
  req.defaultExt = QStringLiteral("kel");
  req.fileName = QStringLiteral("untitled.kel");
  req.directory = Native(dir.Path());
  req.overwritePrompt = save;
  req.mustExist = !save;
  return req;
}

TEST(QtPromptPortFileDialog, SaveShowsTheRequestAndAddsTheDefaultExtension) {
  TestApp();
  TempDir dir;
  QString title, filterShown, nameShown, dirShown;
  const auto answer = WhenModal<QFileDialog>([&](QFileDialog* d) {
    title = d->windowTitle();
    if (auto* combo = d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
      filterShown = combo->currentText();
    if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
      nameShown = edit->text();
    dirShown = d->directory().absolutePath();
    TypeFileName(d, QStringLiteral("sample"));
    Accept(d);
  });
  const auto chosen = QtPromptPort().SaveFileName(nullptr, KelRequest(dir, true));
  EXPECT_EQ(title, QStringLiteral("名前を付けて保存"));
  EXPECT_EQ(filterShown, QStringLiteral("ｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙ (*.kel)"));
  EXPECT_EQ(nameShown, QStringLiteral("untitled.kel"));
  EXPECT_EQ(QDir(dirShown).canonicalPath(), QDir(Native(dir.Path())).canonicalPath());
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(QFileInfo(*chosen).absoluteFilePath(), Native(dir / "sample.kel"));
}

TEST(QtPromptPortFileDialog, NameWithItsOwnExtensionIsKept) {
  TestApp();
  TempDir dir;
  for (const QString& typed : {QStringLiteral("shot.dat"), QStringLiteral("SHOT.KEL")}) {
    const auto answer = WhenModal<QFileDialog>([&](QFileDialog* d) {
      TypeFileName(d, typed);
      Accept(d);
    });
    const auto chosen = QtPromptPort().SaveFileName(nullptr, KelRequest(dir, true));
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(QFileInfo(*chosen).fileName(), typed);
  }
}

TEST(QtPromptPortFileDialog, OverwritePromptGuardsAnExistingFile) {
  TestApp();
  const struct {
    bool prompt;
    QMessageBox::StandardButton answer;  // NoButton: no question expected
    bool chosen;
  } cases[] = {
      {true, QMessageBox::Yes, true},
      {true, QMessageBox::No, false},
      {false, QMessageBox::NoButton, true},
  };
  for (const auto& c : cases) {
    TempDir dir;
    test::WriteFileBytes(dir / "old.kel", "KE--1.00");
    bool asked = false;
    QString question;
    const auto answer = WhenModal<QFileDialog>([&](QFileDialog* d) {
      TypeFileName(d, QStringLiteral("old"));
      if (c.answer != QMessageBox::NoButton) {
        const auto answer = WhenModal<QMessageBox>([&](QMessageBox* box) {
          asked = true;
          question = box->text();
          box->button(c.answer)->click();
        });
        Accept(d);
      } else {
        Accept(d);
      }
      if (d->isVisible()) d->reject();
    });
    FileDialogRequest req = KelRequest(dir, true);
    req.overwritePrompt = c.prompt;
    const auto chosen = QtPromptPort().SaveFileName(nullptr, req);
    EXPECT_EQ(asked, c.answer != QMessageBox::NoButton);
    if (asked) {
      EXPECT_TRUE(question.contains(QStringLiteral("old.kel"))) << question.toStdString();
    }
    EXPECT_EQ(chosen.has_value(), c.chosen) << "prompt " << c.prompt;
    if (chosen) {
      EXPECT_EQ(QFileInfo(*chosen).fileName(), QStringLiteral("old.kel"));
    }
    EXPECT_EQ(test::ReadFileBytes(dir / "old.kel"), "KE--1.00");
  }
}

TEST(QtPromptPortFileDialog, OpenFindsTheFileByItsDefaultExtension) {
  TestApp();
  TempDir dir;
  test::WriteFileBytes(dir / "walk.kel", "KE--1.00");
  QString title;
  const auto answer = WhenModal<QFileDialog>([&](QFileDialog* d) {
    title = d->windowTitle();
    TypeFileName(d, QStringLiteral("walk"));
    Accept(d);
  });
  const auto chosen = QtPromptPort().OpenFileName(nullptr, KelRequest(dir, false));
  EXPECT_EQ(title, QStringLiteral("開く"));
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(QFileInfo(*chosen).absoluteFilePath(), Native(dir / "walk.kel"));
}

TEST(QtPromptPortFileDialog, OpenRefusesAMissingFileWhenItMustExist) {
  TestApp();
  TempDir dir;
  bool warned = false;
  const auto answer = WhenModal<QFileDialog>([&](QFileDialog* d) {
    TypeFileName(d, QStringLiteral("missing"));
    const auto answer = WhenModal<QMessageBox>([&](QMessageBox* box) {
      warned = box->text().contains(QStringLiteral("missing.kel"));
      box->close();
    });
    Accept(d);
    EXPECT_TRUE(d->isVisible());  // the dialog stays for another choice
    d->reject();
  });
  EXPECT_EQ(QtPromptPort().OpenFileName(nullptr, KelRequest(dir, false)), std::nullopt);
  EXPECT_TRUE(warned);
}

TEST(QtPromptPortFileDialog, PresetFullPathOpensItsFolder) {
  TestApp();
  TempDir dir;
  std::filesystem::create_directory(dir / "data");
  test::WriteFileBytes(dir / "data" / "a.kel", "KE--1.00");
  FileDialogRequest req = KelRequest(dir, false);
  req.directory.clear();
  req.fileName = Native(dir / "data" / "a.kel");
  req.title = QStringLiteral("オープン");
  QString dirShown, nameShown, title;
  const auto answer = WhenModal<QFileDialog>([&](QFileDialog* d) {
    title = d->windowTitle();
    dirShown = d->directory().absolutePath();
    if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
      nameShown = edit->text();
    Accept(d);
  });
  const auto chosen = QtPromptPort().OpenFileName(nullptr, req);
  EXPECT_EQ(title, QStringLiteral("オープン"));
  EXPECT_EQ(QDir(dirShown).canonicalPath(), QDir(Native(dir / "data")).canonicalPath());
  EXPECT_EQ(nameShown, QStringLiteral("a.kel"));
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(QFileInfo(*chosen).canonicalFilePath(),
            QFileInfo(Native(dir / "data" / "a.kel")).canonicalFilePath());
}

TEST(QtPromptPortFileDialog, FilterMatchesRegardlessOfCase) {
  TestApp();
  TempDir dir;
  for (const char* name : {"SAMPLE.KEL", "walk.kel", "notes.txt"})
    test::WriteFileBytes(dir / name, "x");
  QStringList offered;
  const auto answer = WhenModal<QFileDialog>([&](QFileDialog* d) {
    auto* list = d->findChild<QListView*>(QStringLiteral("listView"));
    if (!list) {
      d->reject();
      return;
    }
    // The folder is read in the background; wait until its files are listed.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) >= 2; }, 3000));
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
      const QModelIndex index = model->index(row, 0, list->rootIndex());
      if (model->flags(index) & Qt::ItemIsEnabled) offered << index.data().toString();
    }
    d->reject();
  });
  QtPromptPort().OpenFileName(nullptr, KelRequest(dir, false));
  offered.sort();
  EXPECT_EQ(offered, (QStringList{QStringLiteral("SAMPLE.KEL"), QStringLiteral("walk.kel")}));
}

// The rows of the dialog's file list once it has read folder: name, size, type, date.
std::map<QString, QStringList> ListedFiles(QFileDialog* d) {
  std::map<QString, QStringList> rows;
  auto* view = d->findChild<QListView*>(QStringLiteral("listView"));
  if (!view) return rows;
  QAbstractItemModel* model = view->model();
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 5000) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    const QModelIndex root = view->rootIndex();
    if (model->rowCount(root) < 2) continue;
    for (int r = 0; r < model->rowCount(root); ++r) {
      QStringList row;
      for (int c = 0; c < 4; ++c) row << model->index(r, c, root).data().toString();
      rows[row[0]] = row;
    }
    break;
  }
  return rows;
}

TEST(QtPromptPortFileDialog, ListsSizesAndDatesInTheProgramsLocaleWithoutReadingFiles) {
  TestApp();
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  TempDir dir;
  // A picture's bytes under a name that says nothing: only reading it tells what it is.
  WriteFileBytes(dir / "noname", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(2000, '\0'));
  WriteFileBytes(dir / "walk.bmp", "BM");
  // Not listed, but still asked about: a reader of a named pipe without a writer would keep the
  // dialog's file-information thread waiting for ever, and the dialog could never close.
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  std::map<QString, QStringList> rows;
  const auto answer = WhenModal<QFileDialog>([&](QFileDialog* d) {
    rows = ListedFiles(d);
    d->reject();
  });
  FileDialogRequest req;
  req.directory = Native(dir.Path());
  QtPromptPort().OpenFileName(nullptr, req);
  QLocale::setDefault(before);

  ASSERT_EQ(rows.size(), 2u);
  const QStringList picture = rows[QStringLiteral("noname")];
  const QDateTime modified = QFileInfo(Native(dir / "noname")).lastModified();
  EXPECT_EQ(picture[1], QLocale(QLocale::Japanese).formattedDataSize(2008));
  EXPECT_EQ(picture[3], QLocale(QLocale::Japanese).toString(modified, QLocale::ShortFormat));
  EXPECT_FALSE(picture[2].contains(QStringLiteral("PNG"))) << picture[2].toStdString();
  EXPECT_TRUE(rows[QStringLiteral("walk.bmp")][2].contains(QStringLiteral("BMP")) ||
              rows[QStringLiteral("walk.bmp")][2].contains(QStringLiteral("ビットマップ")))
      << rows[QStringLiteral("walk.bmp")][2].toStdString();
}

TEST(QtPromptPortFileDialog, SavingIntoAFolderOfTheKernelsFileSystemsIsRefused) {
  TestApp();
  TempDir dir;
  QString warning;
  bool stayed = false;
  const auto answer = WhenModal<QFileDialog>([&](QFileDialog* d) {
    TypeFileName(d, QStringLiteral("/proc/sample.kel"));
    const auto answer = WhenModal<QMessageBox>([&](QMessageBox* box) {
      warning = box->text();
      box->close();
    });
    Accept(d);
    stayed = d->isVisible();
    TypeFileName(d, Native(dir / "sample.kel"));
    Accept(d);
  });
  const auto chosen = QtPromptPort().SaveFileName(nullptr, KelRequest(dir, true));
  EXPECT_TRUE(warning.startsWith(QStringLiteral("フォルダー \"/proc\" には保存できません。")))
      << warning.toStdString();
  EXPECT_TRUE(warning.contains(QStringLiteral("(proc)"))) << warning.toStdString();
  EXPECT_TRUE(stayed);
  EXPECT_EQ(chosen, Native(dir / "sample.kel"));
}

TEST(QtPromptPortFileDialog, CancelChoosesNothing) {
  TestApp();
  TempDir dir;
  for (bool save : {false, true}) {
    const auto answer =
        WhenModal<QFileDialog>([](QFileDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
    QtPromptPort port;
    const auto chosen = save ? port.SaveFileName(nullptr, KelRequest(dir, true))
                             : port.OpenFileName(nullptr, KelRequest(dir, false));
    EXPECT_EQ(chosen, std::nullopt) << "save " << save;
  }
}

// ------------------------------------------------------------------------------------------------
// QtPromptPort: the input dialog

// Types text the way a keyboard or an input method delivers it: one character per key event.
void Type(QWidget* w, const QString& text) {
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype n = text[i].isHighSurrogate() ? 2 : 1;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, text.mid(i, n));
    QApplication::sendEvent(w, &release);
    i += n;
  }
}

struct InputRun {
  QString title, prompt, initialShown, textShown;
  std::optional<QString> result;
};

// Shows the input dialog, lets `act` work on its text field, then presses `button`.
InputRun RunInput(const QString& initial, int limit, const std::function<void(QLineEdit*)>& act,
                  const QString& button = QStringLiteral("ok")) {
  InputRun run;
  const auto answer = WhenModal<QDialog>([&](QDialog* d) {
    run.title = d->windowTitle();
    auto* label = d->findChild<QLabel*>(QStringLiteral("prompt"));
    auto* edit = d->findChild<QLineEdit*>(QStringLiteral("text"));
    auto* push = d->findChild<QPushButton*>(button);
    if (!label || !edit || !push) {
      ADD_FAILURE() << "the input dialog lacks its prompt, field or button";
      d->reject();
      return;
    }
    run.prompt = label->text();
    run.initialShown = edit->text();
    act(edit);
    run.textShown = edit->text();
    QTest::mouseClick(push, Qt::LeftButton);
  });
  run.result = QtPromptPort().InputText(nullptr, QStringLiteral("新規オブジェクト名の入力"),
                                        QStringLiteral("オブジェクト名を入力してください。"),
                                        initial, limit);
  return run;
}

TEST(QtPromptPortInput, ShowsCaptionPromptAndStartingText) {
  TestApp();
  const InputRun run = RunInput(QStringLiteral("walk"), 11, [](QLineEdit*) {});
  EXPECT_EQ(run.title, QStringLiteral("新規オブジェクト名の入力"));
  EXPECT_EQ(run.prompt, QStringLiteral("オブジェクト名を入力してください。"));
  EXPECT_EQ(run.initialShown, QStringLiteral("walk"));
  EXPECT_EQ(run.result, QStringLiteral("walk"));
}

TEST(QtPromptPortInput, TypingStopsAtTheByteLimit) {
  TestApp();
  const struct {
    QString initial;
    int limit;
    QString typed;
    QString expected;
  } cases[] = {
      {QString(), 11, QStringLiteral("abcdefghijklmnop"), QStringLiteral("abcdefghijk")},
      {QString(), 11, QStringLiteral("あいうえおかき"), QStringLiteral("あいうえお")},
      {QString(), 11, QStringLiteral("あいうえおx"), QStringLiteral("あいうえおx")},
      {QString(), 11, QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼ"), QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻ")},
      {QStringLiteral("name"), 11, QStringLiteral("あいうえ"), QStringLiteral("nameあいう")},
      {QString(), 3, QStringLiteral("😀😀"), QStringLiteral("😀")},
      {QString(), 0, QStringLiteral("あいうえおかきくけこ"),
       QStringLiteral("あいうえおかきくけこ")},
  };
  for (const auto& c : cases) {
    const InputRun run = RunInput(c.initial, c.limit, [&](QLineEdit* edit) {
      edit->end(false);
      Type(edit, c.typed);
    });
    EXPECT_EQ(run.textShown, c.expected) << c.typed.toStdString();
    EXPECT_EQ(run.result, c.expected) << c.typed.toStdString();
  }
}

TEST(QtPromptPortInput, PasteBeyondTheLimitIsCutThereLikeTyping) {
  TestApp();
  const struct {
    const char* what;
    QString initial;
    int cursor, selected;  // where the paste goes, and how many characters it replaces
    QString pasted;
    QString expected;
  } cases[] = {
      {"fits whole", "ab", 2, 0, "あいう", "abあいう"},
      {"at the end", "ab", 2, 0, "あいうえお", "abあいうえ"},
      {"into an empty field", "", 0, 0, "abcdefghijklmnop", "abcdefghijk"},
      {"in the middle, the rest stays", "abcd", 2, 0, "0123456789", "ab0123456cd"},
      {"over a selection", "abcdefghij", 1, 8, "あいうえおか", "aあいうえj"},
      {"a half-width character fits in the last byte", "あいうえお", 5, 0, "ｱｲ", "あいうえおｱ"},
      {"nothing fits", "あいうえおx", 6, 0, "yz", "あいうえおx"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const InputRun run = RunInput(c.initial, 11, [&](QLineEdit* edit) {
      edit->setSelection(c.cursor, c.selected);
      if (!c.selected) edit->setCursorPosition(c.cursor);
      edit->insert(c.pasted);
    });
    EXPECT_EQ(run.result, c.expected);
  }
}

TEST(QtPromptPortInput, StartingTextLongerThanTheFieldIsCut) {
  TestApp();
  // A name read from a file may be longer than the field holds.
  const InputRun run = RunInput(QStringLiteral("オブジェクト名"), 11, [](QLineEdit*) {});
  EXPECT_EQ(run.initialShown, QStringLiteral("オブジェク"));
  EXPECT_EQ(run.result, QStringLiteral("オブジェク"));
}

TEST(QtPromptPortInput, TextCp932CannotHoldIsReturnedForTheCallerToRefuse) {
  TestApp();
  const InputRun run = RunInput(QString(), 11, [](QLineEdit* edit) { Type(edit, "a😀"); });
  EXPECT_EQ(run.result, QStringLiteral("a😀"));
}

TEST(QtPromptPortInput, CancelAndEscapeAnswerNothing) {
  TestApp();
  EXPECT_EQ(RunInput(
                QStringLiteral("x"), 11, [](QLineEdit*) {}, QStringLiteral("cancel"))
                .result,
            std::nullopt);
  const auto answer = WhenModal<QDialog>([](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
  EXPECT_EQ(QtPromptPort().InputText(nullptr, QStringLiteral("c"), QStringLiteral("p"),
                                     QStringLiteral("x"), 11),
            std::nullopt);
}

TEST(QtPromptPortInput, EnterAcceptsAndButtonsReadAsTheTemplate) {
  TestApp();
  QString ok, cancel;
  bool okLeftOfCancel = false, insideDialog = false;
  const auto answer = WhenModal<QDialog>([&](QDialog* d) {
    auto* okButton = d->findChild<QPushButton*>(QStringLiteral("ok"));
    auto* cancelButton = d->findChild<QPushButton*>(QStringLiteral("cancel"));
    auto* edit = d->findChild<QLineEdit*>(QStringLiteral("text"));
    if (!okButton || !cancelButton || !edit) {
      d->reject();
      return;
    }
    ok = okButton->text();
    cancel = cancelButton->text();
    okLeftOfCancel = okButton->geometry().right() < cancelButton->geometry().left();
    insideDialog = d->rect().contains(cancelButton->geometry()) &&
                   d->rect().contains(edit->geometry()) &&
                   edit->geometry().bottom() < okButton->geometry().top();
    Type(edit, "2");
    QTest::keyClick(edit, Qt::Key_Return);
  });
  const auto result = QtPromptPort().InputText(nullptr, QStringLiteral("c"), QStringLiteral("p"),
                                               QStringLiteral("walk"), 11);
  EXPECT_EQ(ok, QStringLiteral("OK"));
  EXPECT_EQ(cancel, QStringLiteral("ｷｬﾝｾﾙ"));
  EXPECT_TRUE(okLeftOfCancel);
  EXPECT_TRUE(insideDialog);
  // The starting text is selected, so typing replaces it.
  EXPECT_EQ(result, QStringLiteral("2"));
}

}  // namespace
}  // namespace kel

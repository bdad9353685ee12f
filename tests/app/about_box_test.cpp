// The about box: its template (caption, size, controls at their places in dialog units), the
// texts filled from a version block, and the ways it ends from the help menu's command.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "app/about_dialog.h"
#include "app/app_fixture.h"
#include "app/commands.h"
#include "app/frame_window.h"
#include "editor/dialog_units.h"
#include "platform/test_app.h"

namespace kel::test {
namespace {

const QString kNotYet = QStringLiteral("この機能はまだ使用できません。");

VersionBlock Block(std::vector<std::pair<std::string, std::string>> values) {
  VersionBlock b;
  b.Translation = {0x04E40409u};
  b.Strings.push_back({"040904E4", std::move(values)});
  return b;
}

struct Texts {
  QString version, copyright, special;
};

Texts TextsOf(const kelAboutDlg& d) {
  return {d.Item(22001)->text(), d.Item(22002)->text(), d.Item(22003)->text()};
}

TEST_F(AppTest, AboutBoxTextsFromTheProgramsVersionBlock) {
  kelAboutDlg about(app->MainWindow());
  const Texts t = TextsOf(about);
  EXPECT_EQ(t.version, QStringLiteral("keledit Version %1").arg(QStringLiteral(KEL_VERSION)));
  EXPECT_EQ(t.copyright, QStringLiteral("Copyright (C) 2026 keledit developers"));
  EXPECT_EQ(t.special, QString());  // the program has no special build
  EXPECT_EQ(about.windowTitle(), QStringLiteral("オブジェクトエディタ について"));
  EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("ReleaseLine"))->text(),
            QStringLiteral("オブジェクトエディタ R1.03g"));
  EXPECT_FALSE(about.findChild<QLabel*>(QStringLiteral("ProductFamily"))->text().isEmpty());
  EXPECT_FALSE(about.findChild<QLabel*>(QStringLiteral("ProgramIcon"))->pixmap().isNull());
}

TEST_F(AppTest, AboutBoxTextsFromOtherVersionBlocks) {
  using V = std::vector<std::pair<std::string, std::string>>;
  const std::string longName(300, 'N');
  const std::string longVersion = "9." + std::string(200, '9');
  VersionBlock noTranslation = Block({{"ProductName", "X"}, {"ProductVersion", "1"}});
  noTranslation.Translation.clear();
  const struct {
    const char* what;
    std::optional<VersionBlock> block;
    Texts expected;
  } cases[] = {
      {"version 2.5",
       Block({{"ProductName", "Prod"}, {"ProductVersion", "2.5"}, {"LegalCopyright", "(C) x"}}),
       {"Prod Version 2.5", "(C) x", ""}},
      {"no copyright",
       Block({{"ProductName", "Prod"}, {"ProductVersion", "2.5"}}),
       {"Prod Version 2.5", "", ""}},
      {"no version data", std::nullopt, {"Version", "", ""}},
      {"no translation table", noTranslation, {"Version", "", ""}},
      // The version line needs both values; the others still come.
      {"no product version",
       Block({{"ProductName", "Prod"}, {"LegalCopyright", "(C) x"}}),
       {"Version", "(C) x", ""}},
      {"no product name",
       Block({{"ProductVersion", "2.5"}, {"SpecialBuild", "test build"}}),
       {"Version", "", "test build"}},
      {"special build",
       Block({{"ProductName", "P"},
              {"ProductVersion", "1"},
              {"LegalCopyright", "c"},
              {"SpecialBuild", "nightly"}}),
       {"P Version 1", "c", "nightly"}},
      // Every part is kept whole, however long.
      {"long values",
       Block(V{{"ProductName", longName}, {"ProductVersion", longVersion}}),
       {QString::fromStdString(longName + " Version " + longVersion), "", ""}},
      // Values are text: no format directives, markup or mnemonics are taken from them.
      {"characters with a meaning",
       Block({{"ProductName", "A&B %1 %s"},
              {"ProductVersion", "<b>2</b>"},
              {"LegalCopyright", "&Copy & <i>right</i>"}}),
       {"A&B %1 %s Version <b>2</b>", "&Copy & <i>right</i>", ""}},
      {"Japanese values",
       Block({{"ProductName", "オブジェクトエディタ"},
              {"ProductVersion", "１．０"},
              {"LegalCopyright", "著作権表示"}}),
       {"オブジェクトエディタ Version １．０", "著作権表示", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    kelAboutDlg about(app->MainWindow(), kelAboutDlg::IDD_ABOUT, c.block ? &*c.block : nullptr);
    const Texts t = TextsOf(about);
    EXPECT_EQ(t.version, c.expected.version);
    EXPECT_EQ(t.copyright, c.expected.copyright);
    EXPECT_EQ(t.special, c.expected.special);
    for (int id : {22001, 22002, 22003})
      EXPECT_EQ(about.Item(id)->textFormat(), Qt::PlainText) << id;
  }
}

// Every control stands at its template rectangle, converted with the dialog font's base units.
TEST_F(AppTest, AboutBoxIsLaidOutFromItsTemplate) {
  kelAboutDlg about(app->MainWindow());
  const DialogBaseUnits base = BaseUnitsOf(about.font());
  const auto px = [&](int x, int y, int cx, int cy) {
    return DialogUnitsToPixels(QRect(x, y, cx, cy), base);
  };
  EXPECT_EQ(about.size(), px(0, 0, 204, 78).size());
  EXPECT_EQ(about.minimumSize(), about.maximumSize());  // a fixed frame
  const struct {
    const char* name;
    QRect rect;
    Qt::Alignment horizontal;  // 0 for the icon
  } controls[] = {
      {"ProductFamily", px(32, 4, 144, 8), Qt::AlignHCenter},
      {"ProgramIcon", px(4, 4, 16, 14), {}},
      {"ReleaseLine", px(24, 12, 160, 8), Qt::AlignHCenter},
      {"VersionText", px(2, 32, 200, 8), Qt::AlignHCenter},
      {"CopyrightText", px(2, 40, 200, 17), Qt::AlignHCenter},
      {"SpecialBuildText", px(136, 55, 66, 8), Qt::AlignRight},
  };
  for (const auto& c : controls) {
    SCOPED_TRACE(c.name);
    auto* label = about.findChild<QLabel*>(QString::fromLatin1(c.name));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry(), c.rect);
    if (c.horizontal) {
      EXPECT_EQ(label->alignment() & Qt::AlignHorizontal_Mask, c.horizontal);
    }
  }
  EXPECT_EQ(about.Item(22001)->objectName(), QStringLiteral("VersionText"));
  EXPECT_EQ(about.Item(22002)->objectName(), QStringLiteral("CopyrightText"));
  EXPECT_EQ(about.Item(22003)->objectName(), QStringLiteral("SpecialBuildText"));
  EXPECT_EQ(about.Item(1), nullptr);
  ASSERT_NE(about.OkButton(), nullptr);
  EXPECT_EQ(about.OkButton()->geometry(), px(82, 60, 40, 14));
  EXPECT_EQ(about.OkButton()->text(), QStringLiteral("OK"));
  EXPECT_TRUE(about.OkButton()->isDefault());
}

// Command 2009 shows the box modally over the main window; OK, Esc, Enter and the close box end
// it, and the document, its name and the caption are as they were.
TEST_F(AppTest, AboutCommandEndsByOkEscOrCloseBoxWithNothingChanged) {
  Load({"a", "b"}, 1);
  const auto names = Names(app->Doc().Objects());
  const QString caption = Caption(), file = app->CurrentFileName();
  const struct {
    const char* how;
    std::function<void(kelAboutDlg*)> end;
  } ways[] = {
      {"OK", [](kelAboutDlg* d) { QTest::mouseClick(d->OkButton(), Qt::LeftButton); }},
      {"Esc", [](kelAboutDlg* d) { QTest::keyClick(d, Qt::Key_Escape); }},
      {"Enter", [](kelAboutDlg* d) { QTest::keyClick(d, Qt::Key_Return); }},
      {"close box", [](kelAboutDlg* d) { d->close(); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.how);
    QString shownVersion;
    QWidget* shownParent = nullptr;
    bool wasModal = false;
    {
      auto answer = WhenModal<kelAboutDlg>([&](kelAboutDlg* d) {
        shownVersion = d->Item(22001)->text();
        shownParent = d->parentWidget();
        wasModal = d->isModal();
        way.end(d);
      });
      app->MainWindow()->Action(CM_HELPABOUT)->trigger();
    }
    EXPECT_EQ(shownVersion, QStringLiteral("keledit Version %1").arg(QStringLiteral(KEL_VERSION)));
    EXPECT_EQ(shownParent, app->MainWindow());
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(app->MainWindow()->findChildren<kelAboutDlg*>().size(), 0);  // destroyed
    EXPECT_EQ(prompt.MessageTexts(), QStringList());
    EXPECT_EQ(Names(app->Doc().Objects()), names);
    EXPECT_EQ(app->Doc().Modified(), 1);
    EXPECT_EQ(Caption(), caption);
    EXPECT_EQ(app->CurrentFileName(), file);
    EXPECT_EQ(app->Doc().CurrentIndex(), 0);
  }
}

// The help menu's commands have their handlers now: neither says it is not available.
TEST_F(AppTest, HelpCommandsAreAvailable) {
  for (int id : {CM_HELPABOUT, CM_HELPCONTENTS}) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(app->HasHandler(id));
    EXPECT_FALSE(app->DialogHandles(id));  // they reach the application
    prompt.ClearHistory();
    if (id == CM_HELPABOUT) {
      auto answer = WhenModal<kelAboutDlg>([](kelAboutDlg* d) { d->accept(); });
      EXPECT_TRUE(app->Command(id));
    } else {
      EXPECT_TRUE(app->Command(id));
    }
    EXPECT_FALSE(prompt.MessageTexts().contains(kNotYet));
    EXPECT_EQ(prompt.MessageTexts(), QStringList());
  }
}

}  // namespace
}  // namespace kel::test

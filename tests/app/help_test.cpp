// The help: command 2020 (menu and tool box) opens the program's help pages at their contents in
// a help window the editor dialog owns and reuses; every link between the pages leads to a page
// (and an anchor) the program holds.
#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include "app/app_fixture.h"
#include "app/commands.h"
#include "app/frame_window.h"
#include "app/help_window.h"

namespace kel::test {
namespace {

const QUrl kContents(QStringLiteral("qrc:/help/index.html"));

QString PageText(const QString& resource) {
  QFile f(resource);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QUrl UrlOf(const QString& resource) {  // ":/help/x.html" -> "qrc:/help/x.html"
  return QUrl(QStringLiteral("qrc") + resource);
}

TEST_F(AppTest, HelpCommandOpensTheHelpAtItsContents) {
  EXPECT_EQ(app->Help(), nullptr);  // nothing before the first command
  EXPECT_TRUE(app->Command(CM_HELPCONTENTS));
  HelpWindow* help = app->Help();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(help->isWindow());
  EXPECT_EQ(help->parentWidget(), app->MainWindow());  // the main window owns it
  EXPECT_EQ(help->windowTitle(), QStringLiteral("オブジェクトエディタ ヘルプ"));
  EXPECT_EQ(help->Viewer()->source(), kContents);
  // The page came through whole and in its own encoding.
  EXPECT_EQ(help->Viewer()->documentTitle(), QStringLiteral("オブジェクトエディタ ヘルプ 目次"));
  EXPECT_TRUE(help->Viewer()->toPlainText().contains(QStringLiteral("フレームグリッド")));
  // Esc closes it; F1 brings it back.
  help->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(help));
  QTest::keyClick(help->Viewer(), Qt::Key_Escape);
  EXPECT_FALSE(help->isVisible());
  app->MainWindow()->Action(CM_HELPCONTENTS)->trigger();
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // it is not modal
  EXPECT_EQ(prompt.MessageTexts(), QStringList());
}

// A second command reuses the window and turns it back to the contents, also after the user has
// gone to another page or closed the window.
TEST_F(AppTest, SecondHelpCommandReusesTheWindowAtItsContents) {
  ASSERT_TRUE(app->CmHelpCont());
  HelpWindow* help = app->Help();
  ASSERT_NE(help, nullptr);
  help->Viewer()->setSource(QUrl(QStringLiteral("qrc:/help/grid.html#mask")));
  ASSERT_NE(help->Viewer()->source(), kContents);
  EXPECT_TRUE(app->Command(CM_HELPCONTENTS));
  EXPECT_EQ(app->Help(), help);
  EXPECT_EQ(help->Viewer()->source(), kContents);

  help->close();
  EXPECT_FALSE(help->isVisible());
  EXPECT_TRUE(app->Command(CM_HELPCONTENTS));
  EXPECT_EQ(app->Help(), help);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(app->MainWindow()->findChildren<HelpWindow*>().size(), 1);
}

// The fourth button of the tool box and the menu item both issue the help command.
TEST_F(AppTest, ToolBoxAndMenuOpenTheHelp) {
  QAction* action = app->MainWindow()->Action(CM_HELPCONTENTS);
  ASSERT_NE(action, nullptr);
  auto* button =
      app->MainWindow()->ToolBox->findChild<QToolButton*>(QStringLiteral("ToolBox25104"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->defaultAction(), action);
  button->click();
  ASSERT_NE(app->Help(), nullptr);
  EXPECT_TRUE(app->Help()->isVisible());
  EXPECT_EQ(app->Help()->Viewer()->source(), kContents);
  app->Help()->hide();
  action->trigger();
  EXPECT_TRUE(app->Help()->isVisible());
  EXPECT_EQ(prompt.MessageTexts(), QStringList());
}

TEST_F(AppTest, HelpButtonsGoToTheContentsBackAndForward) {
  ASSERT_TRUE(app->CmHelpCont());
  HelpWindow* help = app->Help();
  auto button = [&](const char* name) {
    return help->findChild<QToolButton*>(QString::fromLatin1(name));
  };
  ASSERT_TRUE(button("HelpContentsButton") && button("HelpBackButton") &&
              button("HelpForwardButton"));
  const QUrl files(QStringLiteral("qrc:/help/files.html"));
  help->Viewer()->setSource(files);
  ASSERT_TRUE(button("HelpBackButton")->isEnabled());
  button("HelpBackButton")->click();
  EXPECT_EQ(help->Viewer()->source(), kContents);
  ASSERT_TRUE(button("HelpForwardButton")->isEnabled());
  button("HelpForwardButton")->click();
  EXPECT_EQ(help->Viewer()->source(), files);
  button("HelpContentsButton")->click();
  EXPECT_EQ(help->Viewer()->source(), kContents);
}

// A page the program does not hold is reported by the help, and no window opens for it.
TEST_F(AppTest, HelpForAPageThatIsNotThereIsReported) {
  for (const char* page : {"qrc:/help/missing.html", "qrc:/icons/keledit-32.png",
                           "file:///etc/passwd", "https://example.com/index.html"}) {
    SCOPED_TRACE(page);
    prompt.ClearHistory();
    EXPECT_FALSE(app->ShowHelp(QUrl(QString::fromLatin1(page))));
    ASSERT_EQ(prompt.Messages().size(), 1u);
    EXPECT_TRUE(
        prompt.Messages()[0].text.startsWith(QStringLiteral("ヘルプのページが見つかりません。")));
    EXPECT_EQ(app->Help(), nullptr);
  }
}

// Every link of every page names a page the program holds, and an anchor that page has; every
// page can be reached from the contents; every page shows its title in its own encoding.
TEST_F(AppTest, EveryHelpLinkLeadsToAPageAndAnchorTheProgramHolds) {
  const QStringList pages = HelpWindow::Pages();
  ASSERT_GE(pages.size(), 7) << pages.join(QLatin1Char(' ')).toStdString();
  ASSERT_TRUE(pages.contains(QStringLiteral(":/help/index.html")));

  static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
  static const QRegularExpression title(QStringLiteral("<title>([^<]+)</title>"));
  QSet<QString> reached = {QStringLiteral(":/help/index.html")};
  QStringList queue = {QStringLiteral(":/help/index.html")};
  int links = 0;
  for (const QString& page : pages) {
    SCOPED_TRACE(page.toStdString());
    const QString text = PageText(page);
    ASSERT_FALSE(text.isEmpty());
    for (auto it = href.globalMatch(text); it.hasNext();) {
      const QString link = it.next().captured(1);
      SCOPED_TRACE(link.toStdString());
      ++links;
      const QUrl target = UrlOf(page).resolved(QUrl(link));
      ASSERT_TRUE(HelpWindow::HasPage(target)) << target.toString().toStdString();
      if (target.hasFragment()) {
        const QString targetText = PageText(QLatin1Char(':') + target.path());
        EXPECT_TRUE(targetText.contains(QStringLiteral("id=\"%1\"").arg(target.fragment())))
            << "no anchor " << target.fragment().toStdString();
      }
    }
    // The viewer decodes the page as UTF-8: its title comes out as written.
    const auto m = title.match(text);
    ASSERT_TRUE(m.hasMatch());
    QTextBrowser viewer;
    viewer.setSource(UrlOf(page), QTextDocument::HtmlResource);
    EXPECT_EQ(viewer.documentTitle(), m.captured(1));
  }
  EXPECT_GT(links, pages.size());
  // Every page is reachable from the contents.
  while (!queue.isEmpty()) {
    const QString page = queue.takeFirst();
    for (auto it = href.globalMatch(PageText(page)); it.hasNext();) {
      const QString next =
          QLatin1Char(':') + UrlOf(page).resolved(QUrl(it.next().captured(1))).path();
      if (!reached.contains(next)) reached.insert(next), queue << next;
    }
  }
  for (const QString& page : pages) EXPECT_TRUE(reached.contains(page)) << page.toStdString();
}

// The menu page names every menu and item as the menu bar shows it: the text with its "&"
// dropped, so the mnemonic letter stays in its parentheses.
TEST_F(AppTest, MenuHelpNamesEveryMenuItemAsTheMenuShowsIt) {
  const QString page = PageText(QStringLiteral(":/help/menus.html"));
  ASSERT_FALSE(page.isEmpty());
  auto shown = [](const char* text) { return QString::fromUtf8(text).remove(QLatin1Char('&')); };
  int items = 0;
  for (const MenuPopup& popup : MenuBar()) {
    EXPECT_TRUE(page.contains(shown(popup.title))) << popup.title;
    for (const MenuEntry& entry : popup.entries) {
      if (entry.id == 0) continue;
      ++items;
      EXPECT_TRUE(page.contains(shown(entry.text))) << entry.text;
    }
  }
  EXPECT_GT(items, 20);
}

}  // namespace
}  // namespace kel::test

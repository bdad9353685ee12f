// The help window: the program's own help pages (Japanese HTML compiled into the program under
// ":/help/"), shown one at a time with links between them, a contents button and back and
// forward. The editor dialog owns it and opens it at the contents page.
#pragma once

#include <QStringList>
#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

namespace kel {

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  // owner: the window it belongs to (it is a window of its own that goes with its owner).
  explicit HelpWindow(QWidget* owner);

  // Shows the page (a "qrc:/help/…" address, with or without "#anchor") and brings the window to
  // the front; false, with nothing changed, when the program holds no such page.
  bool ShowPage(const QUrl& page);
  QTextBrowser* Viewer() const { return viewer_; }

  // The contents page, where the help opens.
  static QUrl ContentsPage();
  // Every help page the program holds, as resource paths (":/help/index.html", …).
  static QStringList Pages();
  // Whether the address names a page the program holds.
  static bool HasPage(const QUrl& page);

 private:
  QTextBrowser* viewer_ = nullptr;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
};

}  // namespace kel

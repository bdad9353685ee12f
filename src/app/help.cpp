// The help: the program's own pages in the help window that the main window owns.
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QShortcut>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/frame_window.h"
#include "app/help_window.h"
#include "app/kel_app.h"
#include "platform/prompt.h"

// The pages live in the editor's library: naming their initialiser is what links them in.
static void InitHelpPages() {
  Q_INIT_RESOURCE(help);
}

namespace kel {

namespace {

const char kHelpTitle[] = "オブジェクトエディタ ヘルプ";
const char kContents[] = "qrc:/help/index.html";
constexpr int kHelpWidth = 620, kHelpHeight = 520;

void RegisterHelpPages() {
  static const bool done = (InitHelpPages(), true);
  (void)done;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
  RegisterHelpPages();
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QString::fromUtf8(kHelpTitle));

  auto* contents = new QToolButton(this);
  contents->setObjectName(QStringLiteral("HelpContentsButton"));
  contents->setText(QStringLiteral("目次"));
  back_ = new QToolButton(this);
  back_->setObjectName(QStringLiteral("HelpBackButton"));
  back_->setText(QStringLiteral("戻る"));
  back_->setEnabled(false);
  forward_ = new QToolButton(this);
  forward_->setObjectName(QStringLiteral("HelpForwardButton"));
  forward_->setText(QStringLiteral("進む"));
  forward_->setEnabled(false);

  viewer_ = new QTextBrowser(this);
  viewer_->setObjectName(QStringLiteral("HelpViewer"));
  // Every page is the program's own; nothing leaves for a browser.
  viewer_->setOpenExternalLinks(false);
  viewer_->setOpenLinks(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(contents);
  buttons->addWidget(back_);
  buttons->addWidget(forward_);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(viewer_, 1);

  connect(contents, &QToolButton::clicked, this, [this] { ShowPage(ContentsPage()); });
  connect(back_, &QToolButton::clicked, viewer_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, viewer_, &QTextBrowser::forward);
  connect(viewer_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(viewer_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  resize(kHelpWidth, kHelpHeight);
  // Esc closes it, as it closes a dialog.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { close(); });
  escape->setContext(Qt::WindowShortcut);
}

QUrl HelpWindow::ContentsPage() {
  return QUrl(QString::fromLatin1(kContents));
}

QStringList HelpWindow::Pages() {
  RegisterHelpPages();
  QStringList pages;
  const QDir dir(QStringLiteral(":/help"));
  for (const QString& name : dir.entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name))
    pages << QStringLiteral(":/help/") + name;
  return pages;
}

bool HelpWindow::HasPage(const QUrl& page) {
  RegisterHelpPages();
  if (page.scheme() != QLatin1String("qrc")) return false;
  const QString path = page.path();
  return path.startsWith(QLatin1String("/help/")) && path.endsWith(QLatin1String(".html")) &&
         QFile::exists(QLatin1Char(':') + path);
}

bool HelpWindow::ShowPage(const QUrl& page) {
  if (!HasPage(page)) return false;
  viewer_->setSource(page, QTextDocument::HtmlResource);
  show();
  raise();
  activateWindow();
  return true;
}

bool kelApp::CmHelpCont() {
  return ShowHelp(HelpWindow::ContentsPage());
}

bool kelApp::ShowHelp(const QUrl& page) {
  if (!HelpWindow::HasPage(page)) {
    // The help reports a page it cannot find itself, as a help viewer would.
    prompt_.MessageBox(frame_.get(),
                       QStringLiteral("ヘルプのページが見つかりません。\n%1").arg(page.toString()),
                       QString::fromUtf8(kHelpTitle), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  HelpWindow* window = Help();
  if (!window) window = new HelpWindow(frame_.get());
  return window->ShowPage(page);
}

HelpWindow* kelApp::Help() const {
  return frame_ ? frame_->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace kel

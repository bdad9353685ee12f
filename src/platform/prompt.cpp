// Message boxes, file dialogs and the one-line input dialog, as Qt widgets; and the scripted
// stand-in the tests answer through.
#include "platform/prompt.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QScreen>
#include <QValidator>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "model/system_error.h"
#include "model/text.h"
#include "platform/line_break.h"

namespace kel {

namespace {

// What a message box takes beside its text: the icon, the margins and the spacing between them.
constexpr int kMessageBoxFrame = 120;

QString AppName() {
  return QGuiApplication::applicationDisplayName();
}

// ------------------------------------------------------------------------------------------------
// Message boxes

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };

// The low four bits choose the buttons. Combinations the editor never asks for (abort/retry/
// ignore, retry/cancel) fall back to a single OK, which can always be answered.
Buttons ButtonsOf(unsigned flags) {
  switch (flags & 0x0F) {
    case MB_OKCANCEL:
      return Buttons::OkCancel;
    case MB_YESNO:
      return Buttons::YesNo;
    case MB_YESNOCANCEL:
      return Buttons::YesNoCancel;
    default:
      return Buttons::Ok;
  }
}

QMessageBox::Icon IconOf(unsigned flags) {
  switch (flags & 0xF0) {
    case MB_ICONHAND:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

// Whether a message box with these flags can end with this id.
bool CanAnswer(unsigned flags, int id) {
  switch (ButtonsOf(flags)) {
    case Buttons::Ok:
      return id == IDOK;
    case Buttons::OkCancel:
      return id == IDOK || id == IDCANCEL;
    case Buttons::YesNo:
      return id == IDYES || id == IDNO;
    case Buttons::YesNoCancel:
      return id == IDYES || id == IDNO || id == IDCANCEL;
  }
  return false;
}

// ------------------------------------------------------------------------------------------------
// File dialogs

// The file dialog's type and icon of a file, from its name alone. Qt's own provider asks the
// MIME database, which reads a file whose name says nothing: a device or a file of /proc can
// block that read for ever, with the dialog frozen.
class NameOnlyIconProvider final : public QFileIconProvider {
 public:
  QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
  QIcon icon(const QFileInfo& info) const override {
    if (info.isDir()) return icon(Folder);
    const QMimeType mime = MimeOf(info);
    return QIcon::fromTheme(mime.iconName(), QIcon::fromTheme(mime.genericIconName(), icon(File)));
  }
  QString type(const QFileInfo& info) const override {
    if (info.isDir()) return QFileIconProvider::type(info);
    const QMimeType mime = MimeOf(info);
    return mime.comment().isEmpty() ? mime.name() : mime.comment();
  }

 private:
  QMimeType MimeOf(const QFileInfo& info) const {
    return mimes_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
  }
  QMimeDatabase mimes_;
};

// Sizes and dates in the program's locale (Japanese): Qt's file model writes them in the
// system's, whatever the program chose.
class LocaleColumnsModel final : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;
  QVariant data(const QModelIndex& index, int role) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !files || (index.column() != 1 && index.column() != 3))
      return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (index.column() == 3)
      return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    return files->isDir(source) ? QString() : QLocale().formattedDataSize(files->size(source));
  }
};

// Qt's file dialog that refuses, with a message and staying open, to save into a folder of a
// file system the kernel makes up (/proc, /sys): nothing saved there is a file.
class KelFileDialog final : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  void accept() override {
    if (acceptMode() == AcceptSave && !selectedFiles().isEmpty()) {
      const QString folder = QFileInfo(selectedFiles().first()).absolutePath();
      if (const auto kind = PseudoFileSystemOf(QFile::encodeName(folder).toStdString())) {
        QMessageBox box(QMessageBox::Warning, windowTitle(),
                        QStringLiteral("フォルダー \"%1\" には保存できません。\n"
                                       "ここはシステムの情報を見せる特別なフォルダー (%2) で、"
                                       "ファイルを置く場所ではありません。\n"
                                       "別のフォルダーを選んでください。")
                            .arg(QDir::toNativeSeparators(folder), QString::fromStdString(*kind)),
                        QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
        return;
      }
    }
    QFileDialog::accept();
  }
};

std::optional<QString> RunFileDialog(QWidget* owner, const FileDialogRequest& req, bool save) {
  QString title = req.title;
  if (title.isEmpty()) title = save ? QStringLiteral("名前を付けて保存") : QStringLiteral("開く");
  // Outlives the dialog, which uses it without owning it.
  NameOnlyIconProvider icons;
  KelFileDialog dialog(owner, title);
  dialog.setIconProvider(&icons);
  dialog.setProxyModel(new LocaleColumnsModel(&dialog));
  // Qt's own dialog, so it looks and behaves the same on every desktop and speaks Japanese
  // with Qt's translation loaded.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The filter list shows the description alone, as written ("ｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙ (*.kel)").
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && req.overwritePrompt));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(req.mustExist && !save ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  const QStringList filters = QtNameFilters(req.filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  // Added to a chosen name that has no extension of its own.
  dialog.setDefaultSuffix(req.defaultExt);
  if (!req.directory.isEmpty()) dialog.setDirectory(req.directory);
  if (!req.fileName.isEmpty()) dialog.selectFile(req.fileName);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
  return chosen.first();
}

// ------------------------------------------------------------------------------------------------
// Input dialog

// Keeps the text within the limit in CP932 bytes the way a fixed-size text buffer does: typing
// stops when it is full, and an insertion that does not fit whole (a paste, an input method's
// text) keeps as much of its beginning as fits, the rest of the text staying as it was.
class Cp932LimitValidator final : public QValidator {
 public:
  Cp932LimitValidator(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}
  State validate(QString& input, int& pos) const override {
    if (Cp932ByteCount(input) > limit_) {
      // The edit replaced a part of the last text that fitted with what ends at the cursor; the
      // text after the cursor is the rest of that text.
      const QString tail = input.mid(pos);
      qsizetype start = 0;
      const qsizetype keptEnd = qMax<qsizetype>(0, last_.size() - tail.size());
      while (start < pos && start < keptEnd && input[start] == last_[start]) ++start;
      const QString head = input.left(start);
      const int room = limit_ - Cp932ByteCount(head) - Cp932ByteCount(tail);
      if (room < 0) return Invalid;
      const QString inserted = FitCp932Bytes(input.mid(start, pos - start), room);
      if (inserted.isEmpty()) return Invalid;
      input = head + inserted + tail;
      pos = int(head.size() + inserted.size());
    }
    last_ = input;
    return Acceptable;
  }

 private:
  int limit_;
  mutable QString last_;  // the last text accepted
};

// The standard input dialog template, in dialog units: 180 x 64, prompt at (10, 8, 160, 10),
// text field at (10, 20, 160, 12), "OK" at (47, 42, 40, 14) and "ｷｬﾝｾﾙ" at (93, 42, 40, 14).
class InputDialog final : public QDialog {
 public:
  InputDialog(QWidget* owner, const QString& caption, const QString& prompt, const QString& initial,
              int byteLimit)
      : QDialog(owner) {
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Dialog base units of the dialog's font: the average width of the Latin letters and the
    // line height; one horizontal unit is a quarter of the first, one vertical an eighth of the
    // second.
    const QFontMetrics fm(font());
    const int baseX = (fm.horizontalAdvance(
                           QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) +
                       26) /
                      52;
    const int baseY = fm.height();
    auto place = [&](QWidget* w, int x, int y, int cx, int cy) {
      w->setGeometry(x * baseX / 4, y * baseY / 8, cx * baseX / 4, cy * baseY / 8);
    };

    auto* label = new QLabel(prompt, this);
    label->setObjectName(QStringLiteral("prompt"));
    label->setTextFormat(Qt::PlainText);
    place(label, 10, 8, 160, 10);

    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("text"));
    place(edit_, 10, 20, 160, 12);
    if (byteLimit > 0) {
      edit_->setValidator(new Cp932LimitValidator(byteLimit, edit_));
      edit_->setText(FitCp932Bytes(initial, byteLimit));
    } else {
      edit_->setText(initial);
    }
    edit_->selectAll();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    place(ok, 47, 42, 40, 14);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("cancel"));
    place(cancel, 93, 42, 40, 14);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    setFixedSize(180 * baseX / 4, 64 * baseY / 8);
    edit_->setFocus();
  }

  QString Text() const { return edit_->text(); }

 private:
  QLineEdit* edit_;
};

// Calls f with each character of text (a surrogate pair as one) and its CP932 length; stops
// when f returns false.
template <typename F>
void ForEachCharacter(const QString& text, F f) {
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype n =
        text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    const std::string utf8 = text.mid(i, n).toStdString();
    const auto bytes = Utf8ToCp932(utf8);
    if (!f(i, n, bytes ? int(bytes->size()) : 2)) return;
    i += n;
  }
}

[[noreturn]] void ScriptError(const std::string& what) {
  // Printed as well as thrown: a throw that crosses Qt's event loop may end the program before
  // anyone reads the exception.
  std::fprintf(stderr, "ScriptedPromptPort: %s\n", what.c_str());
  throw std::logic_error("ScriptedPromptPort: " + what);
}

}  // namespace

QStringList QtNameFilters(const QString& filter) {
  QStringList out;
  const QStringList parts = filter.split(QLatin1Char('|'));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1].trimmed();
    if (patterns.isEmpty()) continue;
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    QString description = parts[i].trimmed();
    if (description.isEmpty()) description = patterns;
    out << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return out;
}

int Cp932ByteCount(const QString& text) {
  if (auto bytes = Utf8ToCp932(text.toStdString())) return int(bytes->size());
  int total = 0;
  ForEachCharacter(text, [&](qsizetype, qsizetype, int bytes) {
    total += bytes;
    return true;
  });
  return total;
}

QString FitCp932Bytes(const QString& text, int limit) {
  if (Cp932ByteCount(text) <= limit) return text;
  qsizetype end = 0;
  int total = 0;
  ForEachCharacter(text, [&](qsizetype i, qsizetype n, int bytes) {
    if (total + bytes > limit) return false;
    total += bytes;
    end = i + n;
    return true;
  });
  return text.left(end);
}

// --------------------------------------------------------------------------------------------------
// QtPromptPort

QString QtPromptPort::CaptionOr(const QString& caption) const {
  if (!caption.isEmpty()) return caption;
  return defaultCaption_.isEmpty() ? AppName() : defaultCaption_;
}

int QtPromptPort::MessageBox(QWidget* owner, const QString& text, const QString& caption,
                             unsigned flags) {
  QMessageBox box(IconOf(flags), CaptionOr(caption), QString(), QMessageBox::NoButton, owner);
  box.setTextFormat(Qt::PlainText);
  // Long lines are broken here, into lines of even width, and not by the box's own word wrap,
  // which leaves one or two characters alone on the last line. The box takes lines up to half
  // the screen (at most 500 pixels) with its icon and margins without wrapping them again.
  const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  const int boxWidth = std::min(screen ? screen->availableGeometry().width() / 2 : 500, 500);
  box.setText(BreakMessageLines(text, box.fontMetrics(), boxWidth - kMessageBoxFrame));
  struct Choice {
    QMessageBox::StandardButton button;
    const char* label;
    int id;
  };
  std::vector<Choice> choices;
  const Buttons buttons = ButtonsOf(flags);
  switch (buttons) {
    case Buttons::Ok:
      choices = {{QMessageBox::Ok, "OK", IDOK}};
      break;
    case Buttons::OkCancel:
      choices = {{QMessageBox::Ok, "OK", IDOK}, {QMessageBox::Cancel, "キャンセル", IDCANCEL}};
      break;
    case Buttons::YesNo:
      choices = {{QMessageBox::Yes, "はい(&Y)", IDYES}, {QMessageBox::No, "いいえ(&N)", IDNO}};
      break;
    case Buttons::YesNoCancel:
      choices = {{QMessageBox::Yes, "はい(&Y)", IDYES},
                 {QMessageBox::No, "いいえ(&N)", IDNO},
                 {QMessageBox::Cancel, "キャンセル", IDCANCEL}};
      break;
  }
  for (const Choice& c : choices) box.addButton(c.button)->setText(QString::fromUtf8(c.label));
  // The first button is the default. Esc and the close box answer Cancel where there is one;
  // without one, No for a yes/no question and OK for a plain message.
  box.setDefaultButton(choices.front().button);
  QMessageBox::StandardButton escape = choices.back().button;
  if (buttons == Buttons::Ok) escape = QMessageBox::Ok;
  box.setEscapeButton(escape);
  box.exec();

  const auto clicked = box.standardButton(box.clickedButton());
  for (const Choice& c : choices)
    if (c.button == clicked) return c.id;
  for (const Choice& c : choices)
    if (c.button == escape) return c.id;
  return IDCANCEL;
}

void PromptPort::NoteChosenFile(const std::optional<QString>& path) {
  if (path && !path->isEmpty()) lastChosenFolder_ = QFileInfo(*path).absolutePath();
}

std::optional<QString> QtPromptPort::ChooseFile(QWidget* owner, const FileDialogRequest& req,
                                                bool save) {
  FileDialogRequest where = req;
  if (where.directory.isEmpty()) where.directory = LastChosenFolder();
  std::optional<QString> path = RunFileDialog(owner, where, save);
  NoteChosenFile(path);
  return path;
}

std::optional<QString> QtPromptPort::OpenFileName(QWidget* owner, const FileDialogRequest& req) {
  return ChooseFile(owner, req, false);
}

std::optional<QString> QtPromptPort::SaveFileName(QWidget* owner, const FileDialogRequest& req) {
  return ChooseFile(owner, req, true);
}

std::optional<QString> QtPromptPort::InputText(QWidget* owner, const QString& caption,
                                               const QString& prompt, const QString& initial,
                                               int byteLimit) {
  InputDialog dialog(owner, CaptionOr(caption), prompt, initial, byteLimit);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Text();
}

// --------------------------------------------------------------------------------------------------
// ScriptedPromptPort

QStringList ScriptedPromptPort::MessageTexts() const {
  QStringList out;
  for (const Message& m : messages_) out << m.text;
  return out;
}

int ScriptedPromptPort::MessageBox(QWidget*, const QString& text, const QString& caption,
                                   unsigned flags) {
  messages_.push_back({text, caption, flags});
  asked_.push_back({Asked::Box, text, caption, flags, {}, {}, 0});
  if (answers_.empty()) return IDOK;
  const ScriptAnswer answer = answers_.front();
  answers_.pop_front();
  if (answer.kind != ScriptAnswer::Id)
    ScriptError("the script answers a text where the message box \"" + text.toStdString() +
                "\" needs a button id");
  const int result = answer.id;
  if (!CanAnswer(flags, result))
    ScriptError("the message box \"" + text.toStdString() + "\" has no button for id " +
                std::to_string(result));
  return result;
}

std::optional<QString> ScriptedPromptPort::NextText() {
  if (answers_.empty()) return std::nullopt;
  const ScriptAnswer answer = answers_.front();
  answers_.pop_front();
  if (answer.kind == ScriptAnswer::Cancel) return std::nullopt;
  if (answer.kind == ScriptAnswer::Text) return answer.text;
  const int id = answer.id;
  ScriptError("the script answers button id " + std::to_string(id) + " where a " +
              std::string(asked_.back().kind == Asked::Input ? "text input" : "file dialog") +
              " (\"" + asked_.back().text.toStdString() + "\") needs a text or Cancel");
}

std::optional<QString> ScriptedPromptPort::OpenFileName(QWidget*, const FileDialogRequest& req) {
  asked_.push_back({Asked::Open, req.title, {}, 0, req, {}, 0});
  std::optional<QString> path = NextText();
  NoteChosenFile(path);
  return path;
}

std::optional<QString> ScriptedPromptPort::SaveFileName(QWidget*, const FileDialogRequest& req) {
  asked_.push_back({Asked::Save, req.title, {}, 0, req, {}, 0});
  std::optional<QString> path = NextText();
  NoteChosenFile(path);
  return path;
}

std::optional<QString> ScriptedPromptPort::InputText(QWidget*, const QString& caption,
                                                     const QString& prompt, const QString& initial,
                                                     int byteLimit) {
  asked_.push_back({Asked::Input, prompt, caption, 0, {}, initial, byteLimit});
  auto text = NextText();
  // The real field refuses typing beyond the limit, so such an answer could never come.
  if (text && byteLimit > 0 && Cp932ByteCount(*text) > byteLimit)
    ScriptError("the answer \"" + text->toStdString() + "\" to \"" + prompt.toStdString() +
                "\" is longer than the " + std::to_string(byteLimit) + " bytes the field accepts");
  return text;
}

}  // namespace kel

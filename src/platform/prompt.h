// The prompt port: message boxes, file dialogs and text input, as the editor asks for them.
// QtPromptPort shows real dialogs; ScriptedPromptPort answers from a script and records every
// prompt, for tests.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <variant>
#include <vector>

class QWidget;

namespace kel {

// Message box flags and result ids, with the values the editor's messages are written in.
enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_ICONHAND = 0x10,
  MB_ICONSTOP = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONINFORMATION = 0x40,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

struct FileDialogRequest {
  QString title;       // empty: the dialog's own
  QString filter;      // "description (*.ext)|*.ext|" pairs
  QString defaultExt;  // added when the name has no extension ("kel")
  QString fileName;    // preset name
  QString directory;   // start folder; empty: the current one
  bool overwritePrompt = false;
  bool mustExist = false;
};

class PromptPort {
 public:
  virtual ~PromptPort() = default;
  // Returns IDOK, IDCANCEL, IDYES or IDNO.
  virtual int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                         unsigned flags) = 0;
  virtual std::optional<QString> OpenFileName(QWidget* owner, const FileDialogRequest& req) = 0;
  virtual std::optional<QString> SaveFileName(QWidget* owner, const FileDialogRequest& req) = 0;
  // The answer holds at most byteLimit CP932 bytes (no terminator counted; 0 or less: no limit),
  // and so does the text the field starts with (cut to fit). nullopt on Cancel.
  virtual std::optional<QString> InputText(QWidget* owner, const QString& caption,
                                           const QString& prompt, const QString& initial,
                                           int byteLimit) = 0;

  // The folder of the file last chosen in one of this port's file dialogs (absolute; empty
  // before any). A dialog asked for without a start folder opens there, and the editor puts the
  // files it hands to other programs there, where the user has just been looking for files.
  const QString& LastChosenFolder() const { return lastChosenFolder_; }

 protected:
  // Every file dialog's answer passes through here.
  void NoteChosenFile(const std::optional<QString>& path);

 private:
  QString lastChosenFolder_;
};

// The "description|pattern|" pairs of a file-dialog filter as Qt name filters
// ("description (pattern)"); several patterns of one pair are separated by ';'.
QStringList QtNameFilters(const QString& filter);

// How many bytes the text takes in CP932. A character CP932 cannot hold counts as two bytes, the
// most any CP932 character takes, so a text that passes a limit here never exceeds it.
int Cp932ByteCount(const QString& text);
// The longest beginning of text, cut between characters, that fits in limit CP932 bytes.
QString FitCp932Bytes(const QString& text, int limit);

class QtPromptPort final : public PromptPort {
 public:
  // defaultCaption: the title of a message box or input dialog asked for without a caption
  // (the program's title); when empty, the application's display name.
  explicit QtPromptPort(QString defaultCaption = {}) : defaultCaption_(std::move(defaultCaption)) {}
  const QString& DefaultCaption() const { return defaultCaption_; }

  int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                 unsigned flags) override;
  std::optional<QString> OpenFileName(QWidget* owner, const FileDialogRequest& req) override;
  std::optional<QString> SaveFileName(QWidget* owner, const FileDialogRequest& req) override;
  std::optional<QString> InputText(QWidget* owner, const QString& caption, const QString& prompt,
                                   const QString& initial, int byteLimit) override;

 private:
  QString CaptionOr(const QString& caption) const;
  // A file dialog, opening in the last chosen folder unless req names one.
  std::optional<QString> ChooseFile(QWidget* owner, const FileDialogRequest& req, bool save);
  QString defaultCaption_;
};

// Test double: answers in script order and records what was asked.
class ScriptedPromptPort final : public PromptPort {
 public:
  struct Message {
    QString text, caption;
    unsigned flags;
  };
  struct Asked {
    enum Kind { Box, Open, Save, Input } kind;
    QString text;     // message text, dialog title or input prompt
    QString caption;  // message caption or input caption
    unsigned flags = 0;
    FileDialogRequest file;
    QString initial;    // input: the text the field started with
    int byteLimit = 0;  // input: the byte limit asked for
  };

  // Answers, used in order. A message box takes an int (IDOK when the script is empty); a file
  // dialog or input takes a QString, or std::nullopt for Cancel.
  void Answer(int id) { answers_.push_back({ScriptAnswer::Id, id, {}}); }
  void Answer(std::optional<QString> text) {
    answers_.push_back(text ? ScriptAnswer{ScriptAnswer::Text, 0, *text}
                            : ScriptAnswer{ScriptAnswer::Cancel, 0, {}});
  }

  const std::vector<Message>& Messages() const { return messages_; }
  const std::vector<Asked>& History() const { return asked_; }
  QStringList MessageTexts() const;
  void ClearHistory() { messages_.clear(), asked_.clear(); }
  bool ScriptEmpty() const { return answers_.empty(); }

  int MessageBox(QWidget* owner, const QString& text, const QString& caption,
                 unsigned flags) override;
  std::optional<QString> OpenFileName(QWidget* owner, const FileDialogRequest& req) override;
  std::optional<QString> SaveFileName(QWidget* owner, const FileDialogRequest& req) override;
  std::optional<QString> InputText(QWidget* owner, const QString& caption, const QString& prompt,
                                   const QString& initial, int byteLimit) override;

 private:
  std::optional<QString> NextText();
  struct ScriptAnswer {
    enum Kind { Id, Text, Cancel } kind;
    int id;
    QString text;
  };
  std::deque<ScriptAnswer> answers_;
  std::vector<Message> messages_;
  std::vector<Asked> asked_;
};

}  // namespace kel

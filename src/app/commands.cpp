#include "app/commands.h"

#include <map>

namespace kel {

const std::vector<int>& AllCommands() {
  static const std::vector<int> all = {
      CM_FILENEW,      CM_FILEOPEN,     CM_FILEADD,         CM_FILESAVE,   CM_FILESAVEAS,
      CM_FILECLOSE,    CM_EXIT,         CM_EDITUNDO,        CM_EDITREDO,   CM_EDITHISTORY,
      CM_EDITCUT,      CM_EDITCOPY,     CM_EDITPASTE,       CM_DELFRAME,   CM_NEWOBJECT,
      CM_RENAMEOBJECT, CM_DELETEOBJECT, CM_CLEAROBJECT,     CM_IMAGEREAD,  CM_IMAGELISTREAD,
      CM_SOUNDREAD,    CM_MAKEMASK,     CM_CONTICON,        CM_TEST,       CM_HELPCONTENTS,
      CM_HELPABOUT,    CM_OBJECTCHECK,  CM_SPRITESHEETREAD, CM_FILEEXPORT, CM_STAGE,
  };
  return all;
}

QString HintText(int id) {
  static const std::map<int, const char*> hints = {
      {CM_EXIT, "ファイルを保存することを促し、終了"},
      {CM_EDITUNDO, "直前の操作を元に戻す"},
      {CM_EDITREDO, "元に戻した操作をやり直す"},
      {CM_EDITHISTORY, "操作の履歴を表示する"},
      {CM_OBJECTCHECK, "プレーヤーで正しく表示されない箇所を検査する"},
      {CM_EDITCUT, "セル画像をクリップボードへ切り取る"},
      {CM_EDITCOPY, "セル画像をクリップボードへコピーする"},
      {CM_EDITPASTE, "クリップボードの内容を指定セルの位置に挿入"},
      {CM_FILENEW, "新しくオブジェクトファイルを作成する"},
      {CM_FILEOPEN, "ファイルを読込む"},
      {CM_FILESAVE, "上書き保存"},
      {CM_FILESAVEAS, "名前を付けて保存"},
      {CM_FILEADD, "ファイル追加モードで読込む"},
      {CM_FILEEXPORT, "表示中オブジェクトのアニメーションを GIF、WebP、PNG に書き出す"},
      {CM_FILECLOSE, "閉じる"},
      {CM_NEWOBJECT, "新しいオブジェクトを作成する"},
      {CM_DELETEOBJECT, "表示中オブジェクトを削除する"},
      {CM_CLEAROBJECT, "表示中オブジェクトをクリアする"},
      {CM_RENAMEOBJECT, "オブジェクトの名前を変更する"},
      {CM_IMAGEREAD, "イメージをロードする"},
      {CM_SOUNDREAD, "サウンドをロードする"},
      {CM_MAKEMASK, "マスクを生成する"},
      {CM_CONTICON, "コンティニューアイコンを貼りつける"},
      {CM_TEST, "アニメーション動作テストを行う"},
      {CM_DELFRAME, "現在アクティブなフレームを削除する"},
      {CM_IMAGELISTREAD, "イメージリストをオープンする"},
      {CM_SPRITESHEETREAD, "1 枚の画像を切り分けてフレームに読み込む"},
      {CM_HELPABOUT, "オブジェクトエディタについて"},
      {CM_HELPCONTENTS, "ヘルプを表示する"},
      {CM_STAGE, "オブジェクトをステージの上で動かして見る"},
  };
  const auto it = hints.find(id);
  return it == hints.end() ? QString() : QString::fromUtf8(it->second);
}

const std::vector<MenuPopup>& MenuBar() {
  static const std::vector<MenuPopup> bar = {
      {"ファイル(&F)",
       {{CM_FILENEW, "新規作成(&N)"},
        {CM_FILEOPEN, "オープン(&O)..."},
        {CM_FILEADD, "追加読込み(&B)..."},
        {0, nullptr},
        {CM_FILESAVE, "上書き保存(&S)"},
        {CM_FILESAVEAS, "名前を付けて保存(&A)..."},
        {CM_FILEEXPORT, "エクスポート(&E)..."},
        {0, nullptr},
        {CM_EXIT, "終了(&X)"}}},
      {"編集(&E)",
       {{CM_EDITUNDO, "元に戻す(&U)"},
        {CM_EDITREDO, "やり直し(&R)"},
        {CM_EDITHISTORY, "履歴(&H)..."},
        {0, nullptr},
        {CM_EDITCUT, "切り取り(&T)"},
        {CM_EDITCOPY, "コピー(&C)"},
        {CM_EDITPASTE, "貼り付け(&P)"},
        {0, nullptr},
        {CM_DELFRAME, "フレーム削除(&D)"}}},
      {"オブジェクト(&O)",
       {{CM_NEWOBJECT, "新規作成(&N)..."},
        {CM_RENAMEOBJECT, "名前の変更(&R)..."},
        {CM_DELETEOBJECT, "削除(&D)"},
        {CM_CLEAROBJECT, "クリア(&C)"},
        {0, nullptr},
        {CM_OBJECTCHECK, "検査(&K)..."},
        {CM_STAGE, "ステージ(&S)..."}}},
      {"セル(&S)",
       {{CM_IMAGEREAD, "イメージ読み込み(&I)..."},
        {CM_IMAGELISTREAD, "イメージリスト読み込み(&L)..."},
        {CM_SPRITESHEETREAD, "スプライトシートの読み込み(&P)..."},
        {CM_SOUNDREAD, "サウンド読み込み(&S)..."},
        {CM_MAKEMASK, "マスク生成(&M)"},
        {CM_CONTICON, "連続アイコン指定(&C)"},
        {CM_TEST, "テスト表示(&T)"},
        {CM_DELFRAME, "フレーム削除(&D)"}}},
      {"ヘルプ(&H)",
       {{CM_HELPCONTENTS, "目次(&C)..."},
        {0, nullptr},
        {CM_HELPABOUT, "オブジェクトエディタ について(&A)..."}}},
  };
  return bar;
}

QList<QKeySequence> CommandKeys(int id) {
  switch (id) {
    // The menu shows Alt+F4, which closes the window; the digit 4 with Alt does the same.
    case CM_EXIT:
      return {QKeySequence(Qt::ALT | Qt::Key_F4), QKeySequence(Qt::ALT | Qt::Key_4)};
    // Beside the menu's own keys, the ones every desktop program has.
    case CM_FILENEW:
      return {QKeySequence(Qt::CTRL | Qt::Key_N)};
    case CM_FILEOPEN:
      return {QKeySequence(Qt::CTRL | Qt::Key_O)};
    case CM_FILESAVE:
      return {QKeySequence(Qt::CTRL | Qt::Key_S)};
    case CM_FILESAVEAS:
      return {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)};
    case CM_HELPCONTENTS:
      return {QKeySequence(Qt::Key_F1)};
    case CM_EDITUNDO:
      return {QKeySequence(Qt::CTRL | Qt::Key_Z)};
    case CM_EDITREDO:
      return {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)};
    case CM_EDITCUT:
      return {QKeySequence(Qt::CTRL | Qt::Key_X)};
    case CM_EDITCOPY:
      return {QKeySequence(Qt::CTRL | Qt::Key_C)};
    case CM_EDITPASTE:
      return {QKeySequence(Qt::CTRL | Qt::Key_V)};
    case CM_DELFRAME:
      return {QKeySequence(Qt::Key_Delete)};
    case CM_CLEAROBJECT:
      return {QKeySequence(Qt::CTRL | Qt::Key_Delete)};
    default:
      return {};
  }
}

bool IsTextEditingKey(QKeyCombination key) {
  // Del on the keypad is the same key to a text field.
  const QKeyCombination plain(key.keyboardModifiers() & ~Qt::KeypadModifier, key.key());
  for (int id : {CM_DELFRAME, CM_CLEAROBJECT, CM_EDITCUT, CM_EDITCOPY, CM_EDITPASTE, CM_EDITUNDO,
                 CM_EDITREDO})
    for (const QKeySequence& seq : CommandKeys(id))
      if (seq.count() == 1 && seq[0] == plain) return true;
  return false;
}

const std::vector<int>& SpeedBarCommands() {
  static const std::vector<int> bar = {CM_FILENEW,  CM_FILEOPEN, CM_FILESAVE,  0,
                                       CM_EDITCUT,  CM_EDITCOPY, CM_EDITPASTE, 0,
                                       CM_EDITUNDO, CM_EDITREDO};
  return bar;
}

const std::vector<ToolBoxButton>& ToolBoxButtons() {
  static const std::vector<ToolBoxButton> box = {
      {25101, CM_NEWOBJECT},    {25102, CM_DELETEOBJECT}, {25103, CM_CLEAROBJECT},
      {25104, CM_HELPCONTENTS}, {25201, CM_IMAGEREAD},    {25202, CM_SOUNDREAD},
      {25203, CM_MAKEMASK},     {25204, CM_CONTICON},     {25205, CM_TEST},
      {25206, CM_DELFRAME},     {25106, CM_OBJECTCHECK},  {25107, CM_STAGE},
  };
  return box;
}

QString GlyphPath(int id) {
  for (int c : SpeedBarCommands())
    if (c != 0 && c == id) return QStringLiteral(":/speedbar/%1.png").arg(id);
  for (const ToolBoxButton& b : ToolBoxButtons())
    if (b.id == id) return QStringLiteral(":/toolbox/%1.png").arg(b.glyph);
  return {};
}

}  // namespace kel

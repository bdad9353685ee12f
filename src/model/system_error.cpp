#include "model/system_error.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <sys/vfs.h>

namespace kel {

namespace {

struct ErrorText {
  int number;
  const char* text;
};

// Written as the desktop's own file messages say them: what is wrong, not the constant's name.
constexpr ErrorText kErrorTexts[] = {
    {EPERM, "この操作は許可されていません"},
    {ENOENT, "ファイルまたはフォルダーが見つかりません"},
    {EIO, "入出力エラーが発生しました (ディスクや接続を確認してください)"},
    {ENXIO, "デバイスまたはアドレスが見つかりません"},
    {E2BIG, "引数が長すぎます"},
    {EBADF, "ファイルが正しく開かれていません"},
    {EAGAIN, "一時的に使用できません。しばらくしてからやり直してください"},
    {ENOMEM, "メモリが足りません"},
    {EACCES, "アクセスが拒否されました (権限がありません)"},
    {EFAULT, "不正なアドレスです"},
    {EBUSY, "デバイスまたはリソースが使用中です"},
    {EEXIST, "同じ名前のファイルが既にあります"},
    {EXDEV, "別のファイルシステムへは移動できません"},
    {ENODEV, "デバイスが見つかりません"},
    {ENOTDIR, "パスの途中がフォルダーではありません"},
    {EISDIR, "フォルダーです"},
    {EINVAL, "引数が正しくありません"},
    {ENFILE, "システム全体で開いているファイルが多すぎます"},
    {EMFILE, "開いているファイルが多すぎます"},
    {ENOTTY, "この操作はこのファイルではできません"},
    {ETXTBSY, "実行中のプログラムのファイルです"},
    {EFBIG, "ファイルが大きすぎます"},
    {ENOSPC, "ディスクの空き領域が足りません"},
    {ESPIPE, "このファイルでは位置を移動できません"},
    {EROFS, "読み取り専用のファイルシステムです"},
    {EMLINK, "リンクが多すぎます"},
    {EPIPE, "書き込み先が閉じられています"},
    {ENAMETOOLONG, "ファイル名が長すぎます"},
    {ENOTEMPTY, "フォルダーが空ではありません"},
    {ELOOP, "シンボリックリンクが多すぎます (循環しています)"},
    {EOVERFLOW, "値が大きすぎて扱えません"},
    {ENODATA, "データがありません"},
    {EOPNOTSUPP, "この操作はサポートされていません"},
    {ETIMEDOUT, "時間内に応答がありませんでした"},
    {ESTALE, "ファイルのハンドルが無効になりました (ネットワークのファイルが変わりました)"},
    {EDQUOT, "ディスクの使用量の上限 (クォータ) を超えています"},
    {ECANCELED, "操作が取り消されました"},
    {EINTR, "操作が中断されました"},
    {ENOLCK, "ファイルをロックできません"},
    {ENOSYS, "この機能は実装されていません"},
    {EHOSTDOWN, "ホストが停止しています"},
    {ECONNRESET, "接続がリセットされました"},
    {ENOTCONN, "接続されていません"},
};

}  // namespace

std::string SystemErrorText(int errnum) {
  for (const ErrorText& e : kErrorTexts)
    if (e.number == errnum) return e.text;
  return "システムエラー (番号 " + std::to_string(errnum) + ": " + std::strerror(errnum) + ")";
}

std::optional<std::string> RegularFileProblem(const std::string& path, uint64_t* size) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return SystemErrorText(errno);
  if (S_ISDIR(st.st_mode)) return SystemErrorText(EISDIR);
  if (!S_ISREG(st.st_mode))
    return "通常のファイルではありません (デバイスや名前付きパイプは読み込めません)";
  if (size) *size = uint64_t(st.st_size);
  return std::nullopt;
}

std::optional<std::string> PseudoFileSystemOf(const std::string& folder) {
  // The magic numbers of linux/magic.h, written out: the header is not there on every machine.
  static const struct {
    unsigned long magic;
    const char* name;
  } kPseudo[] = {
      {0x9fa0, "proc"},
      {0x62656572, "sysfs"},
      {0x1cd1, "devpts"},
      {0x64626720, "debugfs"},
      {0x74726163, "tracefs"},
      {0x73636673, "securityfs"},
      {0x27e0eb, "cgroup"},
      {0x63677270, "cgroup2"},
      {0xcafe4a11, "bpf"},
      {0x6165676c, "pstore"},
      {0x62656570, "configfs"},
      {0xf97cff8c, "selinuxfs"},
      {0x42494e4d, "binfmt_misc"},
      {0x65735543, "fusectl"},
      {0x19800202, "mqueue"},
      {0xde5e81e4, "efivarfs"},
      {0x6e736673, "nsfs"},
      {0x50495045, "pipefs"},
  };
  struct statfs fs;
  if (::statfs(folder.c_str(), &fs) != 0) return std::nullopt;
  for (const auto& p : kPseudo)
    if ((unsigned long)fs.f_type == p.magic) return std::string(p.name);
  return std::nullopt;
}

}  // namespace kel

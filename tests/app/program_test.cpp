// The program as the user starts it: the command line, and the real window under a virtual X
// server (skipped where there is none).
#include <gtest/gtest.h>

#include <QStringList>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/owl_main.h"
#include "support/test_paths.h"

namespace kel::test {
namespace {

namespace fs = std::filesystem;

TEST(CommandLine, AcceptsOneFileOrHelp) {
  const struct {
    QStringList args;
    CommandLine::Kind kind;
    const char* file;
  } cases[] = {
      {{}, CommandLine::Run, ""},
      // A file named relative to the current folder is taken with its folder.
      {{"a.kel"}, CommandLine::Run, "/start/a.kel"},
      {{"sub/../b.kel"}, CommandLine::Run, "/start/b.kel"},
      {{"/path/with space/名前.kel"}, CommandLine::Run, "/path/with space/名前.kel"},
      {{"--", "-dash.kel"}, CommandLine::Run, "/start/-dash.kel"},
      {{"-"}, CommandLine::Run, "/start/-"},
      {{"--help"}, CommandLine::Help, ""},
      {{"-h"}, CommandLine::Help, ""},
      {{"a.kel", "--help"}, CommandLine::Help, ""},
      {{"a.kel", "b.kel"}, CommandLine::Error, ""},
      {{"--verbose"}, CommandLine::Error, ""},
      {{"-platform", "offscreen"}, CommandLine::Error, ""},
      {{""}, CommandLine::Error, ""},
      {{"--", "a.kel", "b.kel"}, CommandLine::Error, ""},
  };
  TempDir start;
  const QString startFolder = QString::fromStdString(fs::canonical(start.Path()).string());
  const fs::path before = fs::current_path();
  fs::current_path(start.Path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const CommandLine cl = ParseCommandLine(c.args);
    QString file = QString::fromUtf8(c.file);
    if (file.startsWith(QLatin1String("/start/"))) file.replace(0, 6, startFolder);
    EXPECT_EQ(cl.kind, c.kind);
    EXPECT_EQ(cl.file, file);
    EXPECT_EQ(cl.message.isEmpty(), c.kind != CommandLine::Error);
  }
  fs::current_path(before);
}

struct ShellRun {
  int code = -1;
  std::string out;
};

ShellRun Shell(const std::string& command) {
  ShellRun r;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  const int status = pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

fs::path Program() {
  return BinaryDir() / "src" / "app" / "keledit";
}

bool Have(const char* tool) {
  return Shell(std::string("command -v ") + tool + " >/dev/null 2>&1").code == 0;
}

// The usage answers need no display at all.
TEST(Program, AnswersHelpAndUsageErrorsWithoutADisplay) {
  if (!fs::exists(Program())) GTEST_SKIP() << "keledit is not built";
  const std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
  const ShellRun help = Shell(env + Program().string() + " --help 2>&1");
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("使用法: keledit [ファイル.kel]"), std::string::npos) << help.out;
  const struct {
    const char* args;
    const char* says;
  } errors[] = {{"a.kel b.kel", "開けるオブジェクトファイルは 1 つだけです (2 個指定されました)"},
                {"--bogus", "不明なオプション '--bogus' です"},
                {"''", "ファイル名が空です"}};
  for (const auto& e : errors) {
    SCOPED_TRACE(e.args);
    const ShellRun r = Shell(env + Program().string() + " " + e.args + " 2>&1 >/dev/null");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.out.find(e.says), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("使用法:"), std::string::npos) << r.out;
  }
}

bool CanRunUnderX(std::string& why) {
  if (!fs::exists(Program())) why = "keledit is not built";
  for (const char* tool : {"xvfb-run", "Xvfb", "xdotool", "xprop"})
    if (!Have(tool)) why = std::string(tool) + " is not installed";
  return why.empty();
}

// Starts the real program on a virtual screen with an object file, prints the window's caption,
// asks it to end (how: "alt4" presses Alt+4, "term" sends SIGTERM) and prints the exit code.
ShellRun RunUnderX(const std::string& how) {
  TempDir dir;
  // An object file with no objects: the 32-byte header with the magic and a count of 0.
  std::string empty(34, '\0');
  empty.replace(0, 8, "KE--1.00");
  WriteFileBytes(dir / "start.kel", empty);
  const fs::path script = dir / "run.sh";
  WriteFileBytes(script, R"SH(set -u
unset QT_QPA_PLATFORM
export SDL_AUDIODRIVER=dummy
"$1" "$2" &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --name 'start\.kel' | head -n 1)
[ -n "$wid" ] || { echo "NO WINDOW"; kill -9 $pid; exit 0; }
echo "CAPTION=$(xprop -id "$wid" -notype _NET_WM_NAME | sed 's/^[^"]*"//; s/"$//')"
if [ "$3" = term ]; then
  kill -TERM $pid
else
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  sleep 0.2
  xdotool key --clearmodifiers alt+4
fi
for i in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "STILL RUNNING"; kill -9 $pid; fi
wait $pid
echo "EXIT=$?"
)SH");
  // The program's settings (window place, recent files) and copies of unsaved changes go to the
  // test's folder, not the user's.
  return Shell("cd " + dir.Path().string() + " && XDG_CONFIG_HOME=" + dir.Path().string() +
               "/config XDG_DATA_HOME=" + dir.Path().string() +
               "/data timeout 60 xvfb-run -a -s '-screen 0 " + "1024x768x24' bash " +
               script.string() + " " + Program().string() + " " + (dir / "start.kel").string() +
               " " + how + " 2>/dev/null");
}

TEST(Program, StartsUnderXWithTheFileAndExitsWithAltFour) {
  std::string why;
  if (!CanRunUnderX(why)) GTEST_SKIP() << why;
  const ShellRun r = RunUnderX("alt4");
  EXPECT_NE(r.out.find("CAPTION=オブジェクトエディタ - start.kel -\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("STILL RUNNING"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("EXIT=0"), std::string::npos) << r.out;
}

// Asked to end by the system (log-out, kill), the program ends.
TEST(Program, EndsOnTerminationSignal) {
  std::string why;
  if (!CanRunUnderX(why)) GTEST_SKIP() << why;
  const ShellRun r = RunUnderX("term");
  EXPECT_NE(r.out.find("CAPTION="), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("STILL RUNNING"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("EXIT=143"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace kel::test

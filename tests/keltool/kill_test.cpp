// A rewrite killed outright (kill -9) at random moments: whenever it dies, the target holds the
// old file or the new one, whole, and the folder holds nothing else.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "run_tool.h"
#include "support/kel_builder.h"
#include "support/test_paths.h"

extern char** environ;

namespace kel::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kKills = 20;

// Over 50 MiB: seventeen objects, each with one 24-bit picture of 1024 x 1024.
std::string LargeFile() {
  std::vector<build::Object> objects(17);
  for (size_t i = 0; i < objects.size(); ++i) {
    objects[i].nameField = "large" + std::to_string(i);
    objects[i].frames.push_back(
        {build::Slot::Pic(build::ImageRecord(1024, 1024, 24, 0, uint8_t(i))), {}});
  }
  return build::File(objects);
}

// Whether the file holds exactly these bytes; compared through a mapping, so a check of the
// large file costs no copy of it.
bool Holds(const fs::path& file, const std::string& bytes) {
  const int fd = ::open(file.c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st {};
  bool same = ::fstat(fd, &st) == 0 && uint64_t(st.st_size) == bytes.size();
  if (same && !bytes.empty()) {
    void* map = ::mmap(nullptr, bytes.size(), PROT_READ, MAP_SHARED, fd, 0);
    same = map != MAP_FAILED && std::memcmp(map, bytes.data(), bytes.size()) == 0;
    if (map != MAP_FAILED) ::munmap(map, bytes.size());
  }
  ::close(fd);
  return same;
}

pid_t StartRewrite(const fs::path& in, const fs::path& out) {
  const std::string program = KeltoolPath().string();
  const std::string a = in.string(), b = out.string();
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("rewrite"),
                  const_cast<char*>(a.c_str()), const_cast<char*>(b.c_str()), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2})
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

int Wait(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return status;
}

TEST(KeltoolKillTest, AKilledRewriteLeavesTheOldOrTheNewFileWholeAndNoTemporary) {
  TempDir dir;
  const fs::path in = dir / "in.kel";
  const fs::path out = dir / "out.kel";
  WriteFileBytes(in, LargeFile());
  const std::string old = build::File({});
  ASSERT_GT(fs::file_size(in), 50u << 20);  // what the loop is about

  // One rewrite run to its end: the new file's bytes, and how long a rewrite takes.
  WriteFileBytes(out, old);
  const Clock::time_point start = Clock::now();
  const pid_t first = StartRewrite(in, out);
  ASSERT_GT(first, 0);
  const int firstStatus = Wait(first);
  const auto duration = Clock::now() - start;
  ASSERT_TRUE(WIFEXITED(firstStatus) && WEXITSTATUS(firstStatus) == 0);
  const std::string fresh = ReadFileBytes(out);
  ASSERT_NE(fresh, old);

  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int64_t> moment(
      0, std::chrono::duration_cast<std::chrono::microseconds>(duration).count());
  int oldKept = 0, newWhole = 0;
  std::vector<std::string> leftBehind;  // names left beside the target, kill by kill
  for (int kill = 0; kill < kKills; ++kill) {
    SCOPED_TRACE("kill " + std::to_string(kill));
    WriteFileBytes(out, old);
    const pid_t pid = StartRewrite(in, out);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(pid, SIGKILL);
    Wait(pid);

    const bool isOld = Holds(out, old), isNew = !isOld && Holds(out, fresh);
    EXPECT_TRUE(isOld || isNew) << "a target of " << fs::file_size(out) << " bytes";
    oldKept += isOld;
    newWhole += isNew;
    // Each kill is judged on its own: what one left is noted and cleared for the next.
    for (const std::string& name : NamesIn(dir.Path()))
      if (name != "in.kel" && name != "out.kel") {
        leftBehind.push_back("kill " + std::to_string(kill) + ": " + name);
        fs::remove(dir / name);
      }
  }
  std::string left;
  for (const std::string& l : leftBehind) left += "\n  " + l;
  EXPECT_TRUE(leftBehind.empty()) << leftBehind.size() << " of " << kKills
                                  << " kills left a file beside the target:" << left;
  // Which moments the kills met is chance; both outcomes are what a kill may leave.
  RecordProperty("old_kept", oldKept);
  RecordProperty("new_whole", newWhole);
}

}  // namespace
}  // namespace kel::test

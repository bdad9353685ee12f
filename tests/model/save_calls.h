// Scoped replacements of the saver's system calls, for tests that watch them or take the road a
// file system without unnamed files takes.
#pragma once

#include <cerrno>

#include "model/save_file.h"

namespace kel::test {

// While it lives, saves write a named temporary beside the target, as where O_TMPFILE is missing.
class NamedTemporariesOnly {
 public:
  NamedTemporariesOnly() : saved_(CurrentSaveCalls()) {
    CurrentSaveCalls().openUnnamed = [](const char*, mode_t) {
      errno = EOPNOTSUPP;
      return -1;
    };
  }
  ~NamedTemporariesOnly() { CurrentSaveCalls() = saved_; }
  NamedTemporariesOnly(const NamedTemporariesOnly&) = delete;
  NamedTemporariesOnly& operator=(const NamedTemporariesOnly&) = delete;

 private:
  SaveCalls saved_;
};

}  // namespace kel::test

// One QApplication for the whole platform test program: widgets need it, only one may exist, and
// it has to be gone before the program's static objects are destroyed.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "test_app.h"

namespace {

class QtApplicationEnvironment final : public testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test_platform";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    kel::test::StartModalWatchdog();
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const kQtEnvironment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

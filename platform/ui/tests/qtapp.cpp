#include "qtapp.h"

#include <memory>

namespace oxbow::ui::test {

namespace {
int g_argc = 1;
char g_name[] = "ui_tests";
char* g_argv[] = {g_name, nullptr};
std::unique_ptr<QApplication> g_app;

[[maybe_unused]] const auto* g_registered =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);
} // namespace

void QtApplicationEnvironment::SetUp() {
    g_app = std::make_unique<QApplication>(g_argc, g_argv);
}

void QtApplicationEnvironment::TearDown() {
    g_app.reset();
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    return QTest::qWaitFor(done, ms);
}

} // namespace oxbow::ui::test

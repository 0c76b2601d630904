#include "tests/support/BeforeApplication.h"
#include "tests/support/PrivateXServer.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

std::vector<std::function<void()>>& beforeApplicationSteps()
{
    static std::vector<std::function<void()>> steps;
    return steps;
}

} // namespace

BeforeApplication::BeforeApplication(std::function<void()> step)
{
    beforeApplicationSteps().push_back(std::move(step));
}

void BeforeApplication::runAll()
{
    for (const std::function<void()>& step : beforeApplicationSteps())
        step();
}

// Tests of the desktop integration run against a real X server with the xcb platform plugin, as
// the program does on an X11 desktop. Listing the tests needs no server.
int main(int argc, char** argv)
{
    prepareTestProcess();
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();

    const PrivateXServer server;
    if (server.display().empty()) {
        std::fprintf(stderr, "Xvfb did not start; the X11 tests need it (scripts/setup installs it).\n");
        return EXIT_FAILURE;
    }
    ::setenv("DISPLAY", server.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("XDG_SESSION_TYPE");

    BeforeApplication::runAll();
    int result = EXIT_FAILURE;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}

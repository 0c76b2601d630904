#include "tests/support/BeforeApplication.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// An X server of this test run's own. Xvfb picks a display number no other server uses and
// reports it on a pipe (-displayfd), so test runs in parallel never share or fight over a display.
class PrivateXServer final {
public:
    PrivateXServer()
    {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        const std::string displayFd = std::to_string(fds[1]);
        char* const argv[] = {const_cast<char*>("Xvfb"), const_cast<char*>("-displayfd"),
                              const_cast<char*>(displayFd.c_str()), const_cast<char*>("-nolisten"),
                              const_cast<char*>("tcp"), const_cast<char*>("-noreset"),
                              const_cast<char*>("-screen"), const_cast<char*>("0"),
                              const_cast<char*>("1280x800x24"), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The server's chatter about fonts and keymaps is not the tests' output.
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv, environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        m_display = readDisplayNumber(fds[0]);
        ::close(fds[0]);
    }

    ~PrivateXServer()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }

    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // ":<number>", or empty when the server did not start.
    const std::string& display() const { return m_display; }

private:
    // The server writes the number and a line feed once it accepts connections; it closes the
    // pipe without writing when it fails to start.
    static std::string readDisplayNumber(int fd)
    {
        std::string number;
        char c = 0;
        while (true) {
            const ssize_t count = ::read(fd, &c, 1);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0 || c == '\n')
                break;
            number += c;
        }
        return number.empty() ? std::string() : ":" + number;
    }

    pid_t m_pid = -1;
    std::string m_display;
};

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

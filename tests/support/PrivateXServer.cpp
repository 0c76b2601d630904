#include "tests/support/PrivateXServer.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The server writes the number and a line feed once it accepts connections; it closes the pipe
// without writing when it fails to start.
std::string readDisplayNumber(int fd)
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

} // namespace

PrivateXServer::PrivateXServer(const Options& options)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return;
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    std::vector<std::string> arguments{
        "Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-noreset", "-screen", "0", options.screen};
    if (options.blackRoot)
        arguments.push_back("-br");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The server's chatter about fonts and keymaps is not our output.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    m_display = readDisplayNumber(fds[0]);
    ::close(fds[0]);
}

PrivateXServer::~PrivateXServer()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) { }
}

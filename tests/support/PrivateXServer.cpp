#include "tests/support/PrivateXServer.h"

#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

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
    // The server's chatter about fonts and keymaps is not our output.
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    m_pid = spawnHelperProcess(arguments, nowhere, nowhere);
    if (nowhere >= 0)
        ::close(nowhere);
    ::close(fds[1]);
    m_display = readDisplayNumber(fds[0]);
    ::close(fds[0]);
}

PrivateXServer::~PrivateXServer()
{
    endHelperProcess(m_pid);
}

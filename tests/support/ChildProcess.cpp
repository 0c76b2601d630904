#include "tests/support/ChildProcess.h"

#include <cerrno>
#include <csignal>

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

pid_t spawnHelperProcess(const std::vector<std::string>& arguments, int output, int errors)
{
    if (arguments.empty())
        return -1;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // Only async-signal-safe calls from here on. The signal comes when the thread that forked
    // ends; the tests start helpers from the main thread, which ends with the program.
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        ::_exit(127);
    if (output >= 0)
        ::dup2(output, STDOUT_FILENO);
    if (errors >= 0)
        ::dup2(errors, STDERR_FILENO);
    ::execvp(argv[0], argv.data());
    ::_exit(127);
}

void endHelperProcess(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) { }
}

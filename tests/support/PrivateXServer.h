#pragma once

#include <string>

#include <sys/types.h>

// An X server of this process's own. Xvfb picks a display number no other server uses and
// reports it on a pipe (-displayfd), so runs in parallel never share or fight over a display.
// The server ends with the object.
class PrivateXServer final {
public:
    struct Options {
        std::string screen = "1280x800x24"; // width x height x depth
        // A black root window instead of X's woven pattern, so that a window not painted yet
        // shows one flat colour.
        bool blackRoot = false;
    };

    explicit PrivateXServer(const Options& options);
    PrivateXServer()
        : PrivateXServer(Options{})
    {
    }
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // ":<number>", or empty when the server did not start.
    const std::string& display() const { return m_display; }

private:
    pid_t m_pid = -1;
    std::string m_display;
};

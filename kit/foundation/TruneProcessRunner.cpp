#include "kit/foundation/TruneProcessRunner.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <set>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr qsizetype tailLimit = 32768;
// How long output is still read after the tool exited, while something it started in the
// background keeps the pipes open.
constexpr auto drainAfterExit = std::chrono::seconds(2);
// How long a cancelled tool may take to end after SIGTERM before its group gets SIGKILL.
constexpr auto terminationGrace = std::chrono::seconds(5);
// How often the wait looks at the tool's state while no output arrives.
constexpr auto checkInterval = std::chrono::milliseconds(50);
// How soon it looks again once both streams have ended: a tool closes them as it exits, a moment
// before the system reports the exit. The wait doubles up to checkInterval, for a tool that closed
// them and goes on running.
constexpr auto firstExitCheck = std::chrono::milliseconds(1);
constexpr qsizetype readSize = 64 * 1024;

class UniqueFd final {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    {
    }
    UniqueFd(UniqueFd&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

struct Pipe {
    UniqueFd readEnd;
    UniqueFd writeEnd;
};

// Both ends close on exec, so a tool started meanwhile by another thread cannot inherit them and
// keep the pipe open. Ends that land on 0, 1 or 2 (when our own standard streams are closed) are
// moved up, so that wiring the child's standard streams cannot overwrite them.
std::expected<Pipe, int> makePipe()
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return std::unexpected(errno);
    std::array<UniqueFd, 2> ends{UniqueFd(fds[0]), UniqueFd(fds[1])};
    for (UniqueFd& end : ends) {
        if (end.get() > STDERR_FILENO)
            continue;
        const int moved = fcntl(end.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        if (moved < 0)
            return std::unexpected(errno);
        end = UniqueFd(moved);
    }
    // Only our end is non-blocking; the tool writes to an ordinary blocking pipe.
    fcntl(ends[0].get(), F_SETFL, fcntl(ends[0].get(), F_GETFL) | O_NONBLOCK);
    return Pipe{std::move(ends[0]), std::move(ends[1])};
}

// NUL-terminated strings and the null-terminated pointer array that posix_spawn wants.
class CStringArray final {
public:
    void append(QByteArray text) { m_strings.push_back(std::move(text)); }

    char* const* data()
    {
        m_pointers.clear();
        for (QByteArray& text : m_strings)
            m_pointers.push_back(text.data());
        m_pointers.push_back(nullptr);
        return m_pointers.data();
    }

private:
    std::vector<QByteArray> m_strings;
    std::vector<char*> m_pointers;
};

CStringArray argumentVector(const QString& executable, const QStringList& arguments)
{
    CStringArray argv;
    argv.append(QFile::encodeName(executable));
    for (const QString& argument : arguments)
        argv.append(argument.toUtf8());
    return argv;
}

// A copy of our environment with every pair of `overlay` set on it: inherited entries keep
// their bytes and order, a given name replaces the inherited value.
CStringArray overlaidEnvironment(const QMap<QString, QString>& overlay)
{
    std::set<QByteArray> overlaidNames;
    for (auto it = overlay.cbegin(); it != overlay.cend(); ++it)
        overlaidNames.insert(it.key().toUtf8());

    CStringArray environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const QByteArrayView pair(*entry);
        const qsizetype equals = pair.indexOf('=');
        const QByteArrayView name = equals < 0 ? pair : pair.first(equals);
        if (!overlaidNames.contains(name.toByteArray()))
            environment.append(pair.toByteArray());
    }
    for (auto it = overlay.cbegin(); it != overlay.cend(); ++it)
        environment.append(it.key().toUtf8() + '=' + it.value().toUtf8());
    return environment;
}

// How the tool ended: exitCode as TruneProcessResult reports it, and the signal that ended it.
struct ExitStatus {
    int exitCode = 0;
    std::optional<int> signal = std::nullopt;
};

struct SpawnedTool {
    pid_t pid = 0;
    UniqueFd stdoutFd;
    UniqueFd stderrFd;
};

// posix_spawn does not say whether the tool or the folder to start in was at fault.
QString failedLaunchPath(const QString& executable, const std::optional<QString>& workingDirectory)
{
    if (workingDirectory
        && (!QFileInfo(*workingDirectory).isDir()
            || ::access(QFile::encodeName(*workingDirectory).constData(), X_OK) != 0))
        return *workingDirectory;
    return executable;
}

// Starts the tool as the leader of a new process group, with standard input from /dev/null,
// standard output and error into fresh pipes, no other descriptor of ours, and every signal at
// its default action and unblocked, whatever this process ignores or blocks.
int spawnInto(pid_t& pid, const QString& executable, const QStringList& arguments,
    const std::optional<QString>& workingDirectory, const std::optional<QMap<QString, QString>>& environment,
    const Pipe& out, const Pipe& err)
{
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (int rc = posix_spawn_file_actions_init(&actions); rc != 0)
        return rc;
    if (int rc = posix_spawnattr_init(&attributes); rc != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return rc;
    }

    const QByteArray directory = workingDirectory ? QFile::encodeName(*workingDirectory) : QByteArray();
    sigset_t defaultSignals;
    sigfillset(&defaultSignals);
    sigset_t noSignals;
    sigemptyset(&noSignals);

    int rc = posix_spawn_file_actions_adddup2(&actions, out.writeEnd.get(), STDOUT_FILENO);
    if (rc == 0)
        rc = posix_spawn_file_actions_adddup2(&actions, err.writeEnd.get(), STDERR_FILENO);
    if (rc == 0)
        rc = posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (rc == 0)
        rc = posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    if (rc == 0 && workingDirectory)
        rc = posix_spawn_file_actions_addchdir_np(&actions, directory.constData());
    if (rc == 0)
        rc = posix_spawnattr_setflags(
            &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    if (rc == 0)
        rc = posix_spawnattr_setpgroup(&attributes, 0);
    if (rc == 0)
        rc = posix_spawnattr_setsigdefault(&attributes, &defaultSignals);
    if (rc == 0)
        rc = posix_spawnattr_setsigmask(&attributes, &noSignals);

    if (rc == 0) {
        const QByteArray path = QFile::encodeName(executable);
        CStringArray argv = argumentVector(executable, arguments);
        if (environment) {
            CStringArray envp = overlaidEnvironment(*environment);
            rc = posix_spawn(&pid, path.constData(), &actions, &attributes, argv.data(), envp.data());
        } else {
            rc = posix_spawn(&pid, path.constData(), &actions, &attributes, argv.data(), environ);
        }
    }

    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

std::expected<SpawnedTool, TruneFileError> spawnTool(const QString& executable, const QStringList& arguments,
    const std::optional<QString>& workingDirectory, const std::optional<QMap<QString, QString>>& environment)
{
    auto out = makePipe();
    if (!out)
        return std::unexpected(TruneFileError::fromErrno(executable, out.error()));
    auto err = makePipe();
    if (!err)
        return std::unexpected(TruneFileError::fromErrno(executable, err.error()));

    SpawnedTool tool;
    if (const int rc = spawnInto(tool.pid, executable, arguments, workingDirectory, environment, *out, *err); rc != 0)
        return std::unexpected(TruneFileError::fromErrno(failedLaunchPath(executable, workingDirectory), rc));
    // The write ends close here, so the pipes end once the tool (and whatever it started) is done.
    tool.stdoutFd = std::move(out->readEnd);
    tool.stderrFd = std::move(err->readEnd);
    return tool;
}

// The length of a multi-byte UTF-8 sequence that has begun at the end of `bytes` but is not
// complete yet: 0 to 3.
qsizetype unfinishedSequenceLength(QByteArrayView bytes)
{
    const qsizetype lookBack = std::min<qsizetype>(3, bytes.size());
    for (qsizetype back = 1; back <= lookBack; ++back) {
        const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: its lead byte comes earlier
        const qsizetype length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

// Cuts a byte stream that arrives in pieces of any size at whole UTF-8 characters. The start of a
// character cut off at the end of one piece waits for the rest in the next.
class Utf8CharacterJoiner final {
public:
    // The whole characters this piece completes; valid until the next call.
    QByteArrayView join(QByteArrayView piece)
    {
        // Most pieces end on a whole character: those are passed where they lie, not copied.
        QByteArrayView bytes = piece;
        if (!m_pending.isEmpty()) {
            m_joined = m_pending + piece.toByteArray();
            bytes = m_joined;
        }
        const qsizetype complete = bytes.size() - unfinishedSequenceLength(bytes);
        m_pending = bytes.sliced(complete).toByteArray();
        return bytes.first(complete);
    }

    // What is left when the stream has ended: a cut character, which decodes as U+FFFD.
    QByteArray finish() { return std::exchange(m_pending, {}); }

private:
    QByteArray m_pending;
    QByteArray m_joined;
};

using StdoutCapture = TruneProcessRunner::StdoutCapture;

// One of the tool's output streams: our end of its pipe, the bytes kept of it, and where its
// pieces are cut for the output handler.
struct CapturedStream {
    UniqueFd fd;
    StdoutCapture capture;
    QByteArray captured;
    bool overflowed = false; // more than a full capture's limit arrived; nothing more is kept
    Utf8CharacterJoiner characters;

    // Keeps the piece as `capture` says; a tail is cut on bytes, even inside a character.
    void keep(QByteArrayView piece)
    {
        switch (capture.kind) {
        case StdoutCapture::Kind::nothing:
            return;
        case StdoutCapture::Kind::tail:
            captured.append(piece);
            if (captured.size() > tailLimit)
                captured.remove(0, captured.size() - tailLimit);
            return;
        case StdoutCapture::Kind::full:
            if (overflowed)
                return;
            if (captured.size() + piece.size() > capture.fullLimit) {
                overflowed = true;
                captured = QByteArray();
                return;
            }
            captured.append(piece);
            return;
        }
    }
};

// Reads the tool's standard output and error on the calling thread.
class ToolOutput final {
public:
    ToolOutput(UniqueFd stdoutFd, UniqueFd stderrFd, const StdoutCapture& capture,
        const TruneProcessRunner::OutputHandler& onOutput)
        : m_onOutput(onOutput)
    {
        m_streams[0].fd = std::move(stdoutFd);
        m_streams[0].capture = capture;
        m_streams[1].fd = std::move(stderrFd);
        m_buffer.resize(readSize);
    }

    bool isOpen() const
    {
        return std::ranges::any_of(m_streams, [](const CapturedStream& stream) { return stream.fd.isOpen(); });
    }

    // Waits at most `timeout` for output and takes in what has arrived; returns at once when some did.
    void readFor(std::chrono::milliseconds timeout)
    {
        std::array<pollfd, 2> polled{};
        std::array<CapturedStream*, 2> streams{};
        nfds_t count = 0;
        for (CapturedStream& stream : m_streams) {
            if (!stream.fd.isOpen())
                continue;
            polled[count] = pollfd{stream.fd.get(), POLLIN, 0};
            streams[count] = &stream;
            ++count;
        }
        if (poll(polled.data(), count, static_cast<int>(timeout.count())) <= 0)
            return;
        for (nfds_t i = 0; i < count; ++i) {
            if (polled[i].revents != 0)
                readAvailable(*streams[i]);
        }
    }

    // Reads until both streams have ended or `deadline` has passed.
    void readUntilEnd(Clock::time_point deadline)
    {
        while (isOpen()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left <= std::chrono::milliseconds::zero())
                return;
            readFor(left);
        }
    }

    // Closes the streams still open, passing on a character left unfinished in either.
    void finish()
    {
        for (CapturedStream& stream : m_streams) {
            if (stream.fd.isOpen())
                end(stream);
        }
    }

    // Standard output passed the limit of a full capture.
    bool overflowed() const { return m_streams[0].overflowed; }

    TruneProcessResult result(const ExitStatus& status) const
    {
        return TruneProcessResult{
            .exitCode = status.exitCode,
            .stdout = m_streams[0].captured,
            .stderr = m_streams[1].captured,
            .terminationSignal = status.signal,
        };
    }

private:
    void readAvailable(CapturedStream& stream)
    {
        const ssize_t count = ::read(stream.fd.get(), m_buffer.data(), static_cast<size_t>(m_buffer.size()));
        if (count > 0) {
            const QByteArrayView piece(m_buffer.constData(), count);
            stream.keep(piece);
            if (m_onOutput)
                pass(stream.characters.join(piece));
        } else if (count == 0 || (errno != EAGAIN && errno != EINTR)) {
            end(stream);
        }
    }

    void end(CapturedStream& stream)
    {
        stream.fd.reset();
        pass(stream.characters.finish());
    }

    void pass(QByteArrayView utf8) const
    {
        if (m_onOutput && !utf8.isEmpty())
            m_onOutput(utf8);
    }

    const TruneProcessRunner::OutputHandler& m_onOutput;
    std::array<CapturedStream, 2> m_streams; // standard output, standard error
    QByteArray m_buffer;
};

// Reads output until the tool has exited. A tool whose output overflows gets SIGTERM (a
// cancellation's token sends its own); either way its process group gets SIGKILL when SIGTERM has
// not ended it within the grace period. The tool is left unreaped, so its id stays ours to signal.
void waitForExit(pid_t pid, ToolOutput& output, const TruneProcessCancellation* cancellation)
{
    bool terminatedForOverflow = false;
    std::optional<Clock::time_point> killAt;
    auto exitCheck = firstExitCheck;
    while (truneChildIsRunning(pid)) {
        if (output.overflowed() && !terminatedForOverflow) {
            kill(-pid, SIGTERM);
            terminatedForOverflow = true;
        }
        if (terminatedForOverflow || (cancellation && cancellation->isCancelled())) {
            if (!killAt)
                killAt = Clock::now() + terminationGrace;
            else if (Clock::now() >= *killAt) {
                kill(-pid, SIGKILL);
                killAt = Clock::time_point::max();
            }
        }
        if (output.isOpen()) {
            output.readFor(checkInterval);
        } else {
            output.readFor(exitCheck);
            exitCheck = std::min(exitCheck * 2, checkInterval);
        }
    }
}

// Collects the exited tool. Its exit code is -1 when the status is lost because someone else
// collected it.
ExitStatus reap(pid_t pid)
{
    int status = 0;
    pid_t collected = 0;
    do {
        collected = waitpid(pid, &status, 0);
    } while (collected < 0 && errno == EINTR);
    if (collected != pid)
        return {.exitCode = -1};
    if (WIFSIGNALED(status))
        return {.exitCode = 128 + WTERMSIG(status), .signal = WTERMSIG(status)};
    return {.exitCode = WEXITSTATUS(status)};
}

bool holdsNul(const QString& text)
{
    return text.contains(QChar(0));
}

// The system takes every one of these as a C string, which a NUL would silently cut short.
bool anyHoldsNul(const QString& executable, const QStringList& arguments,
    const std::optional<QString>& workingDirectory, const std::optional<QMap<QString, QString>>& environment)
{
    if (holdsNul(executable) || std::ranges::any_of(arguments, holdsNul)
        || (workingDirectory && holdsNul(*workingDirectory)))
        return true;
    if (!environment)
        return false;
    return std::ranges::any_of(environment->keys(), holdsNul) || std::ranges::any_of(environment->values(), holdsNul);
}

// The tool's name for messages: the last part of its path.
QString toolName(const QString& executable)
{
    return QFileInfo(executable).fileName();
}

} // namespace

bool TruneProcessRunError::isCancelled() const
{
    const auto* error = std::get_if<TruneProcessError>(&reason);
    return error && error->errorCase == TruneProcessError::Case::cancelled;
}

QString TruneProcessRunError::description(TruneLanguage language) const
{
    if (const auto* error = std::get_if<TruneProcessError>(&reason))
        return error->description(language);
    return std::get<TruneFileError>(reason).description();
}

std::expected<TruneProcessResult, TruneProcessRunError> TruneProcessRunner::run(const QString& executable,
    const QStringList& arguments, const std::optional<QString>& workingDirectory,
    const std::optional<QMap<QString, QString>>& environment, const StdoutCapture& capture,
    const std::shared_ptr<TruneProcessCancellation>& cancellation, const OutputHandler& onOutput)
{
    const TruneProcessRunError cancelled{TruneProcessError::cancelled()};
    if (cancellation && cancellation->isCancelled())
        return std::unexpected(cancelled);
    if (anyHoldsNul(executable, arguments, workingDirectory, environment))
        return std::unexpected(TruneProcessRunError{TruneProcessError::nulCharacter(toolName(executable))});

    auto tool = spawnTool(executable, arguments, workingDirectory, environment);
    if (!tool)
        return std::unexpected(TruneProcessRunError{tool.error()});
    // A cancellation that came after the check above stops the tool here.
    if (cancellation)
        cancellation->attach(tool->pid);

    ToolOutput output(std::move(tool->stdoutFd), std::move(tool->stderrFd), capture, onOutput);
    waitForExit(tool->pid, output, cancellation.get());
    output.readUntilEnd(Clock::now() + drainAfterExit);
    output.finish();

    const bool interrupted = cancellation && cancellation->detach();
    const ExitStatus status = reap(tool->pid);
    if (interrupted)
        return std::unexpected(cancelled);
    if (output.overflowed())
        return std::unexpected(
            TruneProcessRunError{TruneProcessError::outputTooLarge(toolName(executable), capture.fullLimit)});
    return output.result(status);
}

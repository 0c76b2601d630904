#include "kit/foundation/TruneProcessRunner.h"

#include "tests/support/CallbackCounter.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <mutex>
#include <optional>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace {

// What the tools below sleep when they are meant to be stopped: a run that waited for one instead
// would not return within the test's time, so the test fails by its time limit instead of
// measuring how long a run took.
#define NEVER_ENDS_BY_ITSELF "sleep 3600"

const QString shell = QStringLiteral("/bin/sh");

QStringList script(const QString& body, const QStringList& arguments = {})
{
    return QStringList{QStringLiteral("-c"), body, QStringLiteral("sh")} + arguments;
}

// Everything the output handler received, in order, from whichever thread called it. Each piece
// is decoded on its own, so a piece that split a character would show as U+FFFD.
class OutputLog final {
public:
    TruneProcessRunner::OutputHandler handler()
    {
        return [this](QByteArrayView utf8) {
            {
                std::lock_guard lock(m_mutex);
                m_text += QString::fromUtf8(utf8);
            }
            m_calls.record();
        };
    }

    QString text() const
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }

    // Waits (bounded) until the text contains `marker`.
    bool waitFor(const QString& marker)
    {
        for (int seen = 1;; ++seen) {
            if (text().contains(marker))
                return true;
            if (!m_calls.waitForAtLeast(seen))
                return false;
        }
    }

private:
    mutable std::mutex m_mutex;
    QString m_text;
    CallbackCounter m_calls;
};

using RunOutcome = std::expected<TruneProcessResult, TruneProcessRunError>;

// Runs a tool on a worker thread, as callers do, so the test thread can cancel it.
class BackgroundRun final {
public:
    BackgroundRun(const QString& body, std::shared_ptr<TruneProcessCancellation> token, OutputLog& log)
        : m_thread([this, body, token, handler = log.handler()] {
            m_outcome = TruneProcessRunner::run(shell, script(body), std::nullopt, std::nullopt,
                TruneProcessRunner::StdoutCapture::tail(), token, handler);
        })
    {
    }

    void join() { m_thread.join(); }

    const RunOutcome& outcome() const { return m_outcome; }

private:
    RunOutcome m_outcome = std::unexpected(TruneProcessRunError{TruneProcessError::binaryNotFound({})});
    std::thread m_thread;
};

bool isCancelled(const RunOutcome& outcome)
{
    return !outcome && outcome.error().isCancelled();
}

// Whether a process is gone or only a zombie waiting for its new parent.
bool hasEnded(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype afterName = line.lastIndexOf(')');
    return afterName >= 0 && line.mid(afterName + 2, 1) == "Z";
}

QByteArray numberLines(int count)
{
    QByteArray lines;
    for (int i = 1; i <= count; ++i)
        lines += QByteArray::number(i) + '\n';
    return lines;
}

TEST(TruneProcessRunner, ReportsExitStatusAndBothStreams)
{
    struct Row {
        const char* body;
        int exitCode;
        std::optional<int> signal;
        QByteArray stdoutBytes;
        QByteArray stderrBytes;
        QString description;
    };
    const Row rows[] = {
        {"printf 'hello\\n'", 0, std::nullopt, "hello\n", "", QStringLiteral("Exited with status 0.")},
        {"printf out; printf 'failed\\n' >&2; exit 2", 2, std::nullopt, "out", "failed\n",
            QStringLiteral("Exited with status 2.")},
        {"exit 255", 255, std::nullopt, "", "", QStringLiteral("Exited with status 255.")},
        // An exit status that equals a signal's number is still an exit.
        {"exit 9", 9, std::nullopt, "", "", QStringLiteral("Exited with status 9.")},
        // Death by a signal is told apart from an exit, and never reads as success.
        {"printf before; kill -KILL $$", 128 + SIGKILL, SIGKILL, "before", "",
            QStringLiteral("Terminated by signal 9.")},
        {"kill -HUP $$", 128 + SIGHUP, SIGHUP, "", "", QStringLiteral("Terminated by signal 1.")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        const auto result = TruneProcessRunner::run(shell, script(QString::fromUtf8(row.body)));
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->exitCode, row.exitCode);
        EXPECT_EQ(result->terminationSignal, row.signal);
        EXPECT_EQ(result->stdout, row.stdoutBytes);
        EXPECT_EQ(result->stderr, row.stderrBytes);
        EXPECT_EQ(result->terminationDescription(TruneLanguage::en), row.description);
    }
    const TruneProcessResult killed{.exitCode = 128 + SIGKILL, .terminationSignal = SIGKILL};
    EXPECT_EQ(killed.terminationDescription(TruneLanguage::tr), QStringLiteral("9 numaralı sinyalle sonlandırıldı."));
}

TEST(TruneProcessRunner, PassesArgumentsUnchangedWithoutAShell)
{
    const QStringList arguments{
        QStringLiteral("two words"),
        QString(),
        QStringLiteral("$HOME"),
        QStringLiteral("*"),
        QStringLiteral("'quoted' \"too\""),
        QStringLiteral("a;b|c&&d"),
        QStringLiteral("çağ €"),
    };
    const auto result
        = TruneProcessRunner::run(shell, script(QStringLiteral("for a; do printf '[%s]' \"$a\"; done"), arguments));
    ASSERT_TRUE(result.has_value());
    QString expected;
    for (const QString& argument : arguments)
        expected += QLatin1Char('[') + argument + QLatin1Char(']');
    EXPECT_EQ(result->stdoutString(), expected);
}

TEST(TruneProcessRunner, KeepsAsMuchStandardOutputAsAsked)
{
    using Capture = TruneProcessRunner::StdoutCapture;
    // About 5.9 MB on each stream.
    const QByteArray all = numberLines(800000);
    const QString body = QStringLiteral("seq 1 800000 | tee /dev/stderr");
    struct Row {
        const char* name;
        Capture capture;
        QByteArray kept;
    };
    const Row rows[] = {
        {"nothing", Capture::nothing(), QByteArray()},
        {"tail", Capture::tail(), all.right(32768)},
        {"full", Capture::full(), all},
        {"full, exactly at the limit", Capture::full(all.size()), all},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        OutputLog log;
        const auto result = TruneProcessRunner::run(
            shell, script(body), std::nullopt, std::nullopt, row.capture, nullptr, log.handler());
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->exitCode, 0);
        EXPECT_TRUE(result->stdout == row.kept) << result->stdout.size();
        EXPECT_TRUE(result->stderr == all.right(32768)) << result->stderr.size();
        // The handler saw both streams in full.
        EXPECT_EQ(log.text().size(), 2 * all.size());
    }
}

TEST(TruneProcessRunner, StopsAToolWhoseOutputPassesTheFullCaptureLimit)
{
    struct Row {
        const char* name;
        const char* body;
    };
    const Row rows[] = {
        // Would go on printing for half a minute.
        {"keeps printing", "head -c 4096 /dev/zero; " NEVER_ENDS_BY_ITSELF "; echo never"},
        // Only the later SIGKILL ends it.
        {"ignoring SIGTERM", "trap '' TERM; head -c 4096 /dev/zero; " NEVER_ENDS_BY_ITSELF},
        // Passes the limit on its last write and exits at once.
        {"exits after the write", "head -c 1025 /dev/zero"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto result = TruneProcessRunner::run(shell, script(QString::fromUtf8(row.body)), std::nullopt,
            std::nullopt, TruneProcessRunner::StdoutCapture::full(1024));
        ASSERT_FALSE(result.has_value());
        EXPECT_FALSE(result.error().isCancelled());
        EXPECT_EQ(result.error(), TruneProcessRunError{TruneProcessError::outputTooLarge(QStringLiteral("sh"), 1024)});
        EXPECT_EQ(result.error().description(TruneLanguage::en),
            QStringLiteral("'sh' was stopped: its output passed the limit of 1.0 KB."));
    }
}

TEST(TruneProcessRunner, PassesCharactersSplitBetweenReadsWhole)
{
    // "€" is E2 82 AC, "😀" is F0 9F 98 80; each row writes part of a character, pauses, then the rest.
    struct Row {
        const char* first;
        const char* rest;
        QString text;
    };
    const Row rows[] = {
        {"a\\342", "\\202\\254b", QStringLiteral("a€b")},
        {"a\\342\\202", "\\254b", QStringLiteral("a€b")},
        {"\\360", "\\237\\230\\200", QStringLiteral("😀")},
        {"\\360\\237", "\\230\\200", QStringLiteral("😀")},
        {"\\360\\237\\230", "\\200 end\\n", QStringLiteral("😀 end\n")},
    };
    for (const bool toStderr : {false, true}) {
        for (const Row& row : rows) {
            const QString first = QString::fromLatin1(row.first);
            const QString rest = QString::fromLatin1(row.rest);
            const QString redirect = toStderr ? QStringLiteral(" >&2") : QString();
            const QString body = QStringLiteral("printf '%1'%3; sleep 0.3; printf '%2'%3").arg(first, rest, redirect);
            SCOPED_TRACE(body.toStdString());
            OutputLog log;
            const auto result = TruneProcessRunner::run(shell, script(body), std::nullopt, std::nullopt,
                TruneProcessRunner::StdoutCapture::tail(), nullptr, log.handler());
            ASSERT_TRUE(result.has_value());
            EXPECT_EQ(log.text(), row.text);
            EXPECT_EQ(toStderr ? result->stderrString() : result->stdoutString(), row.text);
        }
    }
}

TEST(TruneProcessRunner, RepairsInvalidAndUnfinishedUtf8)
{
    struct Row {
        const char* body;
        QString readable; // the text around the repaired bytes
    };
    const Row rows[] = {
        {"printf 'x\\377y'", QStringLiteral("xy")},
        // A character cut off by the end of the output still shows up, repaired.
        {"printf 'ok \\342\\202'", QStringLiteral("ok ")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.body);
        OutputLog log;
        const auto result = TruneProcessRunner::run(shell, script(QString::fromUtf8(row.body)), std::nullopt,
            std::nullopt, TruneProcessRunner::StdoutCapture::tail(), nullptr, log.handler());
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(log.text(), result->stdoutString());
        EXPECT_TRUE(log.text().contains(QChar::ReplacementCharacter));
        EXPECT_EQ(QString(log.text()).remove(QChar::ReplacementCharacter), row.readable);
    }
}

TEST(TruneProcessRunner, ReturnsWhileABackgroundChildStillHoldsTheOutput)
{
    const auto result
        = TruneProcessRunner::run(shell, script(QStringLiteral(NEVER_ENDS_BY_ITSELF " & echo $!; echo done >&2")));
    ASSERT_TRUE(result.has_value());
    const pid_t straggler = result->stdout.trimmed().toInt();
    if (straggler > 0)
        kill(straggler, SIGKILL);
    EXPECT_EQ(result->exitCode, 0);
    EXPECT_GT(straggler, 0);
    EXPECT_EQ(result->stderr, "done\n");
}

TEST(TruneProcessRunner, ReadsOutputOfBackgroundChildrenUntilTheyClose)
{
    const auto result = TruneProcessRunner::run(shell, script(QStringLiteral("(sleep 0.5; echo late) & echo early")));
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->stdout, "early\nlate\n");
}

TEST(TruneProcessRunner, CancelledTokenStartsNothing)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("started"));
    auto token = std::make_shared<TruneProcessCancellation>();
    token->cancel();
    OutputLog log;
    const auto result = TruneProcessRunner::run(shell, script(QStringLiteral("echo x; touch \"$1\""), {marker}),
        std::nullopt, std::nullopt, TruneProcessRunner::StdoutCapture::tail(), token, log.handler());
    EXPECT_TRUE(isCancelled(result));
    EXPECT_FALSE(QFileInfo::exists(marker));
    EXPECT_TRUE(log.text().isEmpty());
}

TEST(TruneProcessRunner, RefusesTextWithANulCharacterAndStartsNothing)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("started"));
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    const QStringList startsMarker = script(QStringLiteral("touch \"$1\""), {marker});
    struct Row {
        const char* name;
        QString executable;
        QStringList arguments;
        std::optional<QString> workingDirectory;
        std::optional<QMap<QString, QString>> environment;
    };
    const Row rows[] = {
        {"argument", shell, startsMarker + QStringList{withNul}, std::nullopt, std::nullopt},
        {"executable", shell + QChar(0) + QStringLiteral("x"), startsMarker, std::nullopt, std::nullopt},
        {"working directory", shell, startsMarker, dir.path() + QChar(0), std::nullopt},
        {"environment value", shell, startsMarker, std::nullopt,
            QMap<QString, QString>{{QStringLiteral("X"), withNul}}},
        {"environment name", shell, startsMarker, std::nullopt, QMap<QString, QString>{{withNul, QStringLiteral("x")}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto result
            = TruneProcessRunner::run(row.executable, row.arguments, row.workingDirectory, row.environment);
        ASSERT_FALSE(result.has_value());
        EXPECT_FALSE(QFileInfo::exists(marker));
        EXPECT_EQ(result.error(),
            TruneProcessRunError{TruneProcessError::nulCharacter(QFileInfo(row.executable).fileName())});
    }
    const TruneProcessRunError refused{TruneProcessError::nulCharacter(QStringLiteral("brew"))};
    EXPECT_EQ(refused.description(TruneLanguage::en),
        QStringLiteral("'brew' was not started: an argument, environment entry or path holds a NUL character."));
}

TEST(TruneProcessRunner, CancelStopsARunningToolAndEverythingItStarted)
{
    struct Row {
        const char* name;
        const char* body;
        bool reportsChild; // prints "started <pid of a background child>"
    };
    const Row rows[] = {
        {"plain tool", "echo started; " NEVER_ENDS_BY_ITSELF, false},
        // The background sleep holds the pipe and must die with the group.
        {"with a background child", NEVER_ENDS_BY_ITSELF " & echo \"started $!\"; wait", true},
        // Ignores SIGTERM (and so does its sleep): only the later SIGKILL ends it.
        {"ignoring SIGTERM", "trap '' TERM; echo started; " NEVER_ENDS_BY_ITSELF, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto token = std::make_shared<TruneProcessCancellation>();
        OutputLog log;
        BackgroundRun run(QString::fromUtf8(row.body), token, log);
        ASSERT_TRUE(log.waitFor(QStringLiteral("started")));

        token->cancel();
        run.join();
        EXPECT_TRUE(isCancelled(run.outcome()));
        EXPECT_TRUE(token->isCancelled());

        if (row.reportsChild) {
            const QStringList words = log.text().split(QLatin1Char(' '));
            ASSERT_EQ(words.size(), 2) << log.text().toStdString();
            bool isNumber = false;
            const pid_t child = words[1].trimmed().toInt(&isNumber);
            ASSERT_TRUE(isNumber && child > 0) << log.text().toStdString();
            EXPECT_TRUE(waitUntil([&] { return hasEnded(child); }));
        }
    }
}

TEST(TruneProcessRunner, CancelAfterTheToolExitedKeepsTheRealResult)
{
    // The tool exits with 3 at once; the output of its background child arrives later, and the
    // cancellation comes with it.
    auto token = std::make_shared<TruneProcessCancellation>();
    const auto result = TruneProcessRunner::run(shell, script(QStringLiteral("(sleep 0.5; echo late) & exit 3")),
        std::nullopt, std::nullopt, TruneProcessRunner::StdoutCapture::tail(), token, [token](QByteArrayView utf8) {
            if (utf8.contains("late"))
                token->cancel();
        });
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->exitCode, 3);
    EXPECT_EQ(result->stdout, "late\n");
    EXPECT_TRUE(token->isCancelled());
}

TEST(TruneProcessRunner, EnvironmentOverlayReplacesAndAddsButRemovesNothing)
{
    qputenv("TRUNE_RUNNER_INHERITED", "kept");
    qputenv("TRUNE_RUNNER_REPLACED", "old");
    const QString body
        = QStringLiteral("printf '%s|%s|%s|%s' \"$PATH\" \"$TRUNE_RUNNER_INHERITED\" \"$TRUNE_RUNNER_REPLACED\" "
                         "\"${TRUNE_RUNNER_ADDED-unset}\"");

    const auto inherited = TruneProcessRunner::run(shell, script(body));
    ASSERT_TRUE(inherited.has_value());
    EXPECT_EQ(inherited->stdoutString(), qEnvironmentVariable("PATH") + QStringLiteral("|kept|old|unset"));

    const QMap<QString, QString> overlay{
        {QStringLiteral("PATH"), QStringLiteral("/nowhere:/also/nowhere")},
        {QStringLiteral("TRUNE_RUNNER_REPLACED"), QStringLiteral("new value")},
        {QStringLiteral("TRUNE_RUNNER_ADDED"), QStringLiteral("ç=€")},
    };
    const auto overlaid = TruneProcessRunner::run(shell, script(body), std::nullopt, overlay);
    ASSERT_TRUE(overlaid.has_value());
    EXPECT_EQ(overlaid->stdoutString(), QStringLiteral("/nowhere:/also/nowhere|kept|new value|ç=€"));
    // Our own environment is untouched.
    EXPECT_EQ(qgetenv("TRUNE_RUNNER_REPLACED"), "old");

    qunsetenv("TRUNE_RUNNER_INHERITED");
    qunsetenv("TRUNE_RUNNER_REPLACED");
}

TEST(TruneProcessRunner, StandardInputIsTheNullDevice)
{
    // Our own standard input becomes a pipe that never ends: a tool reading it would wait forever.
    int endless[2];
    ASSERT_EQ(pipe(endless), 0);
    const int savedStdin = dup(STDIN_FILENO);
    dup2(endless[0], STDIN_FILENO);

    // A cat that read it would never return.
    const auto result = TruneProcessRunner::run(QStringLiteral("/bin/cat"), {});

    dup2(savedStdin, STDIN_FILENO);
    for (const int fd : {savedStdin, endless[0], endless[1]})
        close(fd);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->exitCode, 0);
    EXPECT_TRUE(result->stdout.isEmpty());
}

TEST(TruneProcessRunner, ToolSeesOnlyItsStandardStreams)
{
    // Left open on exec on purpose: the runner must not hand it on.
    const int stray = open("/dev/null", O_RDONLY);
    ASSERT_GE(stray, 0);
    // The shell lists its own descriptors; the trailing command keeps it from becoming ls.
    const auto result = TruneProcessRunner::run(shell, script(QStringLiteral("ls /proc/$$/fd; true")));
    close(stray);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->stdout, "0\n1\n2\n");
}

TEST(TruneProcessRunner, StartsInTheWorkingDirectory)
{
    QTemporaryDir dir;
    const auto result = TruneProcessRunner::run(shell, script(QStringLiteral("pwd -P")), dir.path());
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->stdoutString().trimmed(), QFileInfo(dir.path()).canonicalFilePath());
}

TEST(TruneProcessRunner, LaunchFailuresCarryTheSystemError)
{
    QTemporaryDir dir;
    const QString notExecutable = dir.filePath(QStringLiteral("plain"));
    {
        QFile file(notExecutable);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\necho hi\n");
    }
    const QString missingFolder = dir.filePath(QStringLiteral("gone"));
    struct Row {
        const char* name;
        QString executable;
        std::optional<QString> workingDirectory;
        int code;
        QString path;
    };
    const Row rows[] = {
        {"missing executable", dir.filePath(QStringLiteral("absent")), std::nullopt, ENOENT,
            dir.filePath(QStringLiteral("absent"))},
        {"not executable", notExecutable, std::nullopt, EACCES, notExecutable},
        {"directory", dir.path(), std::nullopt, EACCES, dir.path()},
        {"missing working directory", shell, missingFolder, ENOENT, missingFolder},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto result = TruneProcessRunner::run(row.executable, {}, row.workingDirectory);
        ASSERT_FALSE(result.has_value());
        EXPECT_FALSE(result.error().isCancelled());
        const auto* error = std::get_if<TruneFileError>(&result.error().reason);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->code, row.code);
        EXPECT_EQ(error->path, row.path);
        EXPECT_TRUE(result.error().description(TruneLanguage::en).contains(row.path));
    }
}

} // namespace

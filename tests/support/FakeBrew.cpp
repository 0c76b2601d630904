#include "tests/support/FakeBrew.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <iterator>

namespace {

// The script records the run, picks the response whose "arguments" file equals the run's (NUL
// after each argument), and plays it back.
constexpr char scriptBody[] = R"script(
n=0
while ! mkdir "$root/runs/$n" 2>/dev/null; do n=$((n + 1)); done
run="$root/runs/$n"
for argument in "$@"; do printf '%s\0' "$argument"; done > "$run/arguments"
env -0 > "$run/environment"
: > "$run/complete"

response="$root/default-response"
for candidate in "$root"/responses/*; do
    if cmp -s "$candidate/arguments" "$run/arguments"; then
        response="$candidate"
        break
    fi
done

pause=$(cat "$response/pause")
piece=0
while [ -f "$response/stdout.$piece" ]; do
    cat "$response/stdout.$piece"
    sleep "$pause"
    piece=$((piece + 1))
done
cat "$response/stderr" >&2
sleep "$(cat "$response/sleep")"
exit "$(cat "$response/exit")"
)script";

QByteArray shellQuoted(const QString& text)
{
    QByteArray quoted = text.toUtf8();
    quoted.replace('\'', "'\\''");
    return '\'' + quoted + '\'';
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("FakeBrew cannot write %s", qPrintable(path));
}

QByteArray nulTerminated(const QStringList& values)
{
    QByteArray bytes;
    for (const QString& value : values)
        bytes += value.toUtf8() + '\0';
    return bytes;
}

QList<QByteArray> nulSeparatedFields(const QByteArray& bytes)
{
    QList<QByteArray> fields = bytes.split('\0');
    if (!fields.isEmpty() && fields.last().isEmpty())
        fields.removeLast();
    return fields;
}

} // namespace

FakeBrew::FakeBrew()
{
    if (!m_dir.isValid())
        qFatal("FakeBrew cannot create its folder");
    for (const char* folder : {"bin", "runs", "responses", "default-response"})
        QDir().mkpath(path(QString::fromLatin1(folder)));
    writeFile(executablePath(), "#!/bin/sh\nroot=" + shellQuoted(folder()) + '\n' + scriptBody);
    QFile::setPermissions(executablePath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setDefaultResponse({});
}

QString FakeBrew::executablePath() const
{
    return path(QStringLiteral("bin/brew"));
}

QString FakeBrew::path(const QString& relative) const
{
    return m_dir.filePath(relative);
}

void FakeBrew::respond(const QStringList& arguments, const Response& response)
{
    auto known = std::ranges::find(m_respondedArgumentLists, arguments);
    if (known == m_respondedArgumentLists.end()) {
        m_respondedArgumentLists.push_back(arguments);
        known = std::prev(m_respondedArgumentLists.end());
    }
    const auto index = std::distance(m_respondedArgumentLists.begin(), known);
    writeResponse(path(QStringLiteral("responses/") + QString::number(index)), arguments, response);
}

void FakeBrew::setDefaultResponse(const Response& response)
{
    writeResponse(path(QStringLiteral("default-response")), {}, response);
}

void FakeBrew::writeResponse(const QString& directory, const QStringList& arguments, const Response& response) const
{
    QDir(directory).removeRecursively();
    QDir().mkpath(directory);
    const QDir folder(directory);
    writeFile(folder.filePath(QStringLiteral("arguments")), nulTerminated(arguments));
    for (qsizetype piece = 0; piece < response.stdoutPieces.size(); ++piece)
        writeFile(folder.filePath(QStringLiteral("stdout.") + QString::number(piece)), response.stdoutPieces[piece]);
    writeFile(folder.filePath(QStringLiteral("pause")), QByteArray::number(response.pauseAfterPiece, 'f', 3));
    writeFile(folder.filePath(QStringLiteral("stderr")), response.stderr);
    writeFile(folder.filePath(QStringLiteral("sleep")), QByteArray::number(response.sleepBeforeExit, 'f', 3));
    writeFile(folder.filePath(QStringLiteral("exit")), QByteArray::number(response.exitCode));
}

std::vector<FakeBrew::Run> FakeBrew::runs() const
{
    std::vector<Run> runs;
    for (int index = 0;; ++index) {
        const QDir run(path(QStringLiteral("runs/") + QString::number(index)));
        if (!QFileInfo::exists(run.filePath(QStringLiteral("complete"))))
            break;
        Run recorded;
        for (const QByteArray& argument : nulSeparatedFields(fileContents(run.filePath(QStringLiteral("arguments")))))
            recorded.arguments << QString::fromUtf8(argument);
        for (const QByteArray& entry : nulSeparatedFields(fileContents(run.filePath(QStringLiteral("environment"))))) {
            const qsizetype equals = entry.indexOf('=');
            if (equals > 0)
                recorded.environment.insert(QString::fromUtf8(entry.left(equals)), QString::fromUtf8(entry.mid(equals + 1)));
        }
        runs.push_back(std::move(recorded));
    }
    return runs;
}

bool FakeBrew::waitForRuns(qsizetype count, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    while (qsizetype(runs().size()) < count) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

QByteArray FakeBrew::fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

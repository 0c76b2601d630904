#include "tests/support/FakeBrew.h"

#include "tests/support/TestWaits.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <iterator>

namespace {

// The script records the run, picks the responses whose "arguments" file equals the run's (NUL
// after each argument), takes the next one in turn (a directory made per use counts them, safely
// for runs side by side), and plays it back.
//
// Numbered directories are made without gaps, so the next free number is at least how many there
// are: counting them first keeps a run's start as quick on the hundredth run as on the first.
constexpr char scriptBody[] = R"script(
# claim FOLDER FOLDER/*: makes the first free FOLDER/<number> and sets claimed to its number.
claim() {
    folder=$1
    shift
    if [ -e "$1" ]; then claimed=$#; else claimed=0; fi
    while ! mkdir "$folder/$claimed" 2>/dev/null; do claimed=$((claimed + 1)); done
}

claim "$root/runs" "$root"/runs/*
run="$root/runs/$claimed"
for argument in "$@"; do printf '%s\0' "$argument"; done > "$run/arguments"
env -0 > "$run/environment"
: > "$run/complete"

responses="$root/default-response"
for candidate in "$root"/responses/*; do
    if cmp -s "$candidate/arguments" "$run/arguments"; then
        responses="$candidate"
        break
    fi
done
claim "$responses/uses" "$responses"/uses/*
use=$claimed
last=$(cat "$responses/last")
response="$responses/$((use < last ? use : last))"

padding=$(cat "$response/padding")
if [ "$padding" -gt 0 ]; then head -c "$padding" /dev/zero | tr '\0' ' '; fi
pause=$(cat "$response/pause")
piece=0
while [ -f "$response/stdout.$piece" ]; do
    cat "$response/stdout.$piece"
    sleep "$pause"
    piece=$((piece + 1))
done
cat "$response/stderr" >&2
gate=$(cat "$response/gate")
if [ -n "$gate" ]; then
    while [ -d "$root" ] && [ ! -e "$root/released/$gate" ]; do sleep 0.05; done
fi
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
    for (const char* folder : {"bin", "runs", "responses", "default-response", "released"})
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
    respondInTurn(arguments, {response});
}

void FakeBrew::respondInTurn(const QStringList& arguments, const std::vector<Response>& responses)
{
    auto known = std::ranges::find(m_respondedArgumentLists, arguments);
    if (known == m_respondedArgumentLists.end()) {
        m_respondedArgumentLists.push_back(arguments);
        known = std::prev(m_respondedArgumentLists.end());
    }
    const auto index = std::distance(m_respondedArgumentLists.begin(), known);
    writeResponses(path(QStringLiteral("responses/") + QString::number(index)), arguments, responses);
}

void FakeBrew::setDefaultResponse(const Response& response)
{
    writeResponses(path(QStringLiteral("default-response")), {}, {response});
}

// "<directory>/arguments", "<directory>/last" (the index of the last response), "<directory>/uses"
// for the script's count, and one folder "<directory>/<i>" per response.
void FakeBrew::writeResponses(
    const QString& directory, const QStringList& arguments, const std::vector<Response>& responses) const
{
    if (responses.empty())
        qFatal("FakeBrew needs at least one response");
    QDir(directory).removeRecursively();
    const QDir folder(directory);
    QDir().mkpath(folder.filePath(QStringLiteral("uses")));
    writeFile(folder.filePath(QStringLiteral("arguments")), nulTerminated(arguments));
    writeFile(folder.filePath(QStringLiteral("last")), QByteArray::number(qsizetype(responses.size()) - 1));
    for (size_t index = 0; index < responses.size(); ++index) {
        const Response& response = responses[index];
        const QDir step(folder.filePath(QString::number(index)));
        QDir().mkpath(step.path());
        writeFile(step.filePath(QStringLiteral("padding")), QByteArray::number(response.stdoutPadding));
        for (qsizetype piece = 0; piece < response.stdoutPieces.size(); ++piece)
            writeFile(step.filePath(QStringLiteral("stdout.") + QString::number(piece)), response.stdoutPieces[piece]);
        writeFile(step.filePath(QStringLiteral("pause")), QByteArray::number(response.pauseAfterPiece, 'f', 3));
        writeFile(step.filePath(QStringLiteral("stderr")), response.stderr);
        writeFile(step.filePath(QStringLiteral("sleep")), QByteArray::number(response.sleepBeforeExit, 'f', 3));
        writeFile(step.filePath(QStringLiteral("exit")), QByteArray::number(response.exitCode));
        writeFile(step.filePath(QStringLiteral("gate")), QFile::encodeName(response.gate));
    }
}

void FakeBrew::release(const QString& gate)
{
    writeFile(path(QStringLiteral("released/") + gate), {});
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
                recorded.environment.insert(
                    QString::fromUtf8(entry.left(equals)), QString::fromUtf8(entry.mid(equals + 1)));
        }
        runs.push_back(std::move(recorded));
    }
    return runs;
}

bool FakeBrew::waitForRuns(qsizetype count) const
{
    const QDeadlineTimer deadline(testDeadline());
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

#include "tests/support/FakeXdgOpen.h"

#include "tests/support/TestWaits.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

// The record lies beside the script's folder; the script finds it through its own path, which is
// absolute when it is found on PATH. One printf per run keeps a line in one piece even when runs
// overlap.
constexpr char script[] = R"script(#!/bin/sh
separator=$(printf '\037')
line=
for argument in "$@"; do line="$line$argument$separator"; done
printf '%s\n' "$line" >> "${0%/*}/../calls"
)script";

QStringList argumentsOf(const QByteArray& line)
{
    QList<QByteArray> fields = line.split('\x1f');
    fields.removeLast(); // what follows the last argument's separator
    QStringList arguments;
    for (const QByteArray& field : fields)
        arguments << QString::fromUtf8(field);
    return arguments;
}

} // namespace

FakeXdgOpen::FakeXdgOpen()
{
    const QString bin = m_dir.filePath(u"bin"_s);
    QFile executable(bin + u"/xdg-open"_s);
    if (!m_dir.isValid() || !QDir().mkpath(bin) || !executable.open(QIODevice::WriteOnly)
        || executable.write(script) != qint64(sizeof script - 1))
        qFatal("FakeXdgOpen cannot write its script");
    executable.close();
    executable.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (qEnvironmentVariableIsSet("PATH"))
        m_savedPath = qgetenv("PATH");
    const QByteArray folder = QFile::encodeName(bin);
    qputenv("PATH", m_savedPath ? folder + ':' + *m_savedPath : folder);
}

FakeXdgOpen::~FakeXdgOpen()
{
    if (m_savedPath)
        qputenv("PATH", *m_savedPath);
    else
        qunsetenv("PATH");
}

QString FakeXdgOpen::recordPath() const
{
    return m_dir.filePath(u"calls"_s);
}

std::vector<QStringList> FakeXdgOpen::calls() const
{
    QFile record(recordPath());
    if (!record.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines = record.readAll().split('\n');
    lines.removeLast(); // a run still writing, or nothing after the last complete line
    std::vector<QStringList> calls;
    for (const QByteArray& line : lines)
        calls.push_back(argumentsOf(line));
    return calls;
}

bool FakeXdgOpen::waitForCalls(qsizetype count) const
{
    const QDeadlineTimer deadline(testDeadline());
    while (qsizetype(calls().size()) < count) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

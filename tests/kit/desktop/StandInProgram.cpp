#include "tests/kit/desktop/StandInProgram.h"

#include <QCoreApplication>

namespace {

constexpr int waitLimitMs = 10000;

} // namespace

StandInProgram::StandInProgram(const QStringList& arguments, const QProcessEnvironment& extraEnvironment)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(extraEnvironment);
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/trune-desktop-stand-in"), arguments);
    m_process.waitForStarted(waitLimitMs);
}

StandInProgram::~StandInProgram()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(waitLimitMs);
    }
}

QString StandInProgram::nextLine()
{
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(waitLimitMs))
            return {};
    }
    return QString::fromUtf8(m_process.readLine()).trimmed();
}

void StandInProgram::writeLine(const QByteArray& line)
{
    m_process.write(line + '\n');
    m_process.waitForBytesWritten(waitLimitMs);
}

int StandInProgram::finish()
{
    m_process.closeWriteChannel();
    return waitForExit();
}

int StandInProgram::waitForExit()
{
    if (!m_process.waitForFinished(waitLimitMs) || m_process.exitStatus() != QProcess::NormalExit)
        return -1;
    return m_process.exitCode();
}

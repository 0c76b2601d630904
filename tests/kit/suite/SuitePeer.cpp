#include "tests/kit/suite/SuitePeer.h"

#include "kit/platform/TruneJson.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents();
    }
    return true;
}

std::vector<QJsonObject> jsonLinesOfFile(const QString& path)
{
    std::vector<QJsonObject> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (const auto json = truneJsonParse(line); json && json->isObject())
            lines.push_back(json->toObject());
    }
    return lines;
}

QString SuitePeer::program()
{
    return QStringLiteral(TRUNE_SUITE_PEER);
}

SuitePeer::SuitePeer(const QStringList& arguments, const QProcessEnvironment& environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program(), arguments);
    m_process.waitForStarted();
}

SuitePeer::~SuitePeer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void SuitePeer::readLines()
{
    m_pending += m_process.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (const auto json = truneJsonParse(line); json && json->isObject())
            m_lines.push_back(json->toObject());
    }
}

std::vector<QJsonObject> SuitePeer::events(const QString& event)
{
    readLines();
    std::vector<QJsonObject> matching;
    for (const QJsonObject& line : m_lines) {
        if (line.value(QStringLiteral("event")).toString() == event)
            matching.push_back(line);
    }
    return matching;
}

std::optional<QJsonObject> SuitePeer::waitForEvent(const QString& event, int skip, int timeoutMs)
{
    std::optional<QJsonObject> found;
    waitUntil(
        [&] {
            const auto matching = events(event);
            if (matching.size() > static_cast<size_t>(skip))
                found = matching.at(static_cast<size_t>(skip));
            return found.has_value();
        },
        timeoutMs);
    return found;
}

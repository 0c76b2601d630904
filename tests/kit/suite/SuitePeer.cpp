#include "tests/kit/suite/SuitePeer.h"

#include "kit/platform/TruneJson.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <QFile>

#include <csignal>

#include <sys/prctl.h>

using namespace Qt::StringLiterals;

namespace {

QString bundlePath(const TempHome& home, TruneSuiteApp app)
{
    return home.filePath(u"Applications/"_s + rawValue(app) + u".app"_s);
}

// The running apps of the suite are found by their process names as well: a stand-in's process
// must never carry an app's name, or a parallel test would see that app running.
QString standInExecutable(TruneSuiteApp app)
{
    return rawValue(app) + u"-stand-in"_s;
}

} // namespace

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
    // The peer ends with the test, also when the test crashes.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
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

std::optional<QJsonObject> SuitePeer::waitForEvent(const QString& event, int skip)
{
    std::optional<QJsonObject> found;
    waitUntil([&] {
        const auto matching = events(event);
        if (matching.size() > static_cast<size_t>(skip))
            found = matching.at(static_cast<size_t>(skip));
        return found.has_value();
    });
    return found;
}

QString installStandIn(const TempHome& home, TruneSuiteApp app)
{
    return BundleMaker::makeAppBundle(bundlePath(home, app), {.executableName = standInExecutable(app)});
}

QString installPeer(const TempHome& home, TruneSuiteApp app, const QString& output)
{
    const QString bundle = bundlePath(home, app);
    BundleMaker::makeAppBundle(bundle, {.info = QVariantMap{{u"CFBundleExecutable"_s, standInExecutable(app)}}});
    const QString executable = bundle + u"/Contents/MacOS/"_s + standInExecutable(app);
    BundleMaker::writeFile(executable,
        "#!/bin/sh\nexec '" + QFile::encodeName(SuitePeer::program()) + "' serve " + rawValue(app).toUtf8() + " --out '"
            + QFile::encodeName(output) + "'\n");
    QFile::setPermissions(executable, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return bundle;
}

void stopLaunchedPeer(const QString& output)
{
    for (const QJsonObject& line : jsonLinesOfFile(output)) {
        if (line.value(u"event"_s).toString() == u"ready"_s)
            ::kill(static_cast<pid_t>(line.value(u"pid"_s).toInteger()), SIGTERM);
    }
}

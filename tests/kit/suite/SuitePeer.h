#pragma once

// The trune-suite-peer helper program run as a second process of the suite, and waiting on what
// it and the suite buses do while this process's event loop keeps running.

#include "kit/suite/TruneSuiteApp.h"
#include "tests/support/TestWaits.h"

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class TempHome;

// The JSON lines appended to `path` so far.
std::vector<QJsonObject> jsonLinesOfFile(const QString& path);

class SuitePeer final {
public:
    static QString program();

    explicit SuitePeer(const QStringList& arguments,
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());
    ~SuitePeer();
    SuitePeer(const SuitePeer&) = delete;
    SuitePeer& operator=(const SuitePeer&) = delete;

    // The first printed line with "event" equal to `event` after the first `skip` such lines,
    // waited for with the tests' one deadline.
    std::optional<QJsonObject> waitForEvent(const QString& event, int skip = 0);
    // Every line printed so far with this event.
    std::vector<QJsonObject> events(const QString& event);

    QProcess& process() { return m_process; }

private:
    void readLines();

    QProcess m_process;
    QByteArray m_pending;
    std::vector<QJsonObject> m_lines;
};

// "<home>/Applications/<App>.app", a bundle whose executable cannot run.
QString installStandIn(const TempHome& home, TruneSuiteApp app);

// "<home>/Applications/<App>.app", whose executable starts trune-suite-peer serving the app; the
// peer appends what happens to it to `output` as JSON lines.
QString installPeer(const TempHome& home, TruneSuiteApp app, const QString& output);

// Ends the peer that an installed bundle started, once it has said it is ready.
void stopLaunchedPeer(const QString& output);

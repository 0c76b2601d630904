#pragma once

// The trune-suite-peer helper program run as a second process of the suite, and waiting on what
// it and the suite buses do while this process's event loop keeps running.

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// Runs the event loop until `condition` holds or `timeoutMs` passes; whether it held.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 15000);

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

    // The first printed line with "event" equal to `event` after the first `skip` such lines.
    std::optional<QJsonObject> waitForEvent(const QString& event, int skip = 0, int timeoutMs = 15000);
    // Every line printed so far with this event.
    std::vector<QJsonObject> events(const QString& event);

    QProcess& process() { return m_process; }

private:
    void readLines();

    QProcess m_process;
    QByteArray m_pending;
    std::vector<QJsonObject> m_lines;
};

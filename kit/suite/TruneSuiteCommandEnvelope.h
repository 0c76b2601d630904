#pragma once

#include "kit/platform/TruneJson.h"
#include "kit/suite/TruneSuiteApp.h"
#include "kit/suite/TruneSuiteCommandKind.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <optional>
#include <tuple>

// One suite command from one sibling app to another: the content of a command file. Its JSON
// form is shared with every sibling app: the five required keys "id", "timestamp" (whole
// seconds), "sourceApp", "targetApp" and "kind"; "targetPID", "targetName" and "payload" only
// when present (missing or null read as absent); other keys are ignored.
struct TruneSuiteCommandEnvelope {
    QUuid id;
    QDateTime timestamp;
    TruneSuiteApp sourceApp = TruneSuiteApp::haltrix;
    TruneSuiteApp targetApp = TruneSuiteApp::haltrix;
    TruneSuiteCommandKind kind = TruneSuiteCommandKind::lumbraSmartOffload;
    std::optional<qint32> targetPID; // the process a command is about, for kinds that act on one
    std::optional<QString> targetName;
    std::optional<QString> payload;

    auto fields() const { return std::tie(id, timestamp, sourceApp, targetApp, kind, targetPID, targetName, payload); }
    friend bool operator==(const TruneSuiteCommandEnvelope& a, const TruneSuiteCommandEnvelope& b);
};

template <> struct TruneJsonCoding<TruneSuiteCommandEnvelope> {
    static QJsonValue encode(const TruneSuiteCommandEnvelope& envelope);
    static TruneJsonResult<TruneSuiteCommandEnvelope> decode(const QJsonValue& json);
};

#pragma once

#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneJson.h"

#include <QMap>
#include <QString>
#include <QStringList>

// One release of an app, one line of its bundled "release-log.jsonl". The English summary and
// details may carry translations keyed by interface-language code.
struct TruneReleaseLogRecord {
    QString timestamp;
    QString app;
    QString fromVersion = QStringLiteral("0.0.0");
    QString toVersion = QStringLiteral("1.0.0");
    qint64 fromBuild = 0;
    qint64 toBuild = 100;
    QString bumpKind = QStringLiteral("patch"); // free text, not validated
    QString section = QStringLiteral("Changed");
    QString summary;
    QStringList details;
    QMap<QString, QString> summaryI18n;
    QMap<QString, QStringList> detailsI18n;
    QString gitCommit;

    // timestamp-app-toVersion-toBuild
    QString id() const;
    // The first ten user-perceived characters of the timestamp (the date), or all of it when
    // shorter, in composed form.
    QString shortDate() const;

    // The language's own text, then (pt-PT, zh-Hant only) the sibling variant's, then English,
    // then the untranslated field; empty translations never count.
    QString localizedSummary(TruneLanguage language) const;
    QStringList localizedDetails(TruneLanguage language) const;

    bool operator==(const TruneReleaseLogRecord&) const = default;
};

// Every key is optional (absent or null takes the default); a present key of the wrong type
// fails the whole record.
template <> struct TruneJsonCoding<TruneReleaseLogRecord> {
    static QJsonValue encode(const TruneReleaseLogRecord& record);
    static TruneJsonResult<TruneReleaseLogRecord> decode(const QJsonValue& json);
};

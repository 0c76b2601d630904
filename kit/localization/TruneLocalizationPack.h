#pragma once

#include "kit/platform/TruneJson.h"

#include <QMap>
#include <QString>

// The catalogue file format: descriptive fields and the two translation tables. Every key is
// optional on reading (a missing or null key gives the default); a key of the wrong type, or a
// table entry that is not text, fails the decoding. Unknown keys are ignored.
struct TruneLocalizationPack {
    QString code;
    QString nativeName;
    QString englishName;
    bool isRTL = false;
    QMap<QString, QString> strings;   // catalogue key or English text -> translation
    QMap<QString, QString> templates; // English template -> translated template

    bool operator==(const TruneLocalizationPack&) const = default;

    // A JSON object of text to text, the other catalogue file form (translations only).
    static TruneJsonResult<QMap<QString, QString>> decodeFlatMap(const QJsonValue& json);
};

template <> struct TruneJsonCoding<TruneLocalizationPack> {
    static QJsonValue encode(const TruneLocalizationPack& pack);
    static TruneJsonResult<TruneLocalizationPack> decode(const QJsonValue& json);
};

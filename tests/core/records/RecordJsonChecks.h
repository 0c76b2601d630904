#pragma once

// Checks shared by the record tests: the key rules of a JSON-coded record, run on a sample
// whose optional fields are all set.

#include "kit/platform/TruneJson.h"

#include <gtest/gtest.h>

#include <QJsonObject>
#include <QStringList>

namespace RecordJsonChecks {

inline QString describe(const TruneJsonError& error)
{
    return error.description();
}

// A value of another JSON type than `value`.
inline QJsonValue wrongTypeFor(const QJsonValue& value)
{
    return value.isString() ? QJsonValue(1) : QJsonValue(QStringLiteral("1"));
}

template <typename T> void expectFailureAtKey(const QJsonObject& json, const QString& key)
{
    const TruneJsonResult<T> decoded = truneJsonDecode<T>(QJsonValue(json));
    ASSERT_FALSE(decoded.has_value());
    EXPECT_EQ(decoded.error().keyPath, key) << describe(decoded.error()).toStdString();
}

// Encoding `full` writes exactly requiredKeys + optionalKeys and decodes back equal. Each
// required key fails the record when missing, null or of the wrong type; each optional key
// decodes as absent when missing or null (and is then not written again), and fails the record
// when of the wrong type. Unknown keys are ignored.
template <typename T>
void expectKeyRules(const T& full, const QStringList& requiredKeys, const QStringList& optionalKeys)
{
    const QJsonObject json = truneJsonEncode(full).toObject();
    QStringList expectedKeys = requiredKeys + optionalKeys;
    expectedKeys.sort();
    EXPECT_EQ(json.keys(), expectedKeys);

    const TruneJsonResult<T> roundTrip = truneJsonDecode<T>(QJsonValue(json));
    ASSERT_TRUE(roundTrip.has_value()) << describe(roundTrip.error()).toStdString();
    EXPECT_EQ(*roundTrip, full);

    for (const QString& key : requiredKeys) {
        SCOPED_TRACE("required key " + key.toStdString());
        QJsonObject missing = json;
        missing.remove(key);
        expectFailureAtKey<T>(missing, key);
        QJsonObject null = json;
        null.insert(key, QJsonValue::Null);
        expectFailureAtKey<T>(null, key);
        QJsonObject wrongType = json;
        wrongType.insert(key, wrongTypeFor(json.value(key)));
        expectFailureAtKey<T>(wrongType, key);
    }

    for (const QString& key : optionalKeys) {
        SCOPED_TRACE("optional key " + key.toStdString());
        QJsonObject missing = json;
        missing.remove(key);
        QJsonObject null = json;
        null.insert(key, QJsonValue::Null);
        for (const QJsonObject& absent : {missing, null}) {
            const TruneJsonResult<T> decoded = truneJsonDecode<T>(QJsonValue(absent));
            ASSERT_TRUE(decoded.has_value()) << describe(decoded.error()).toStdString();
            EXPECT_NE(*decoded, full);
            EXPECT_EQ(truneJsonEncode(*decoded).toObject(), missing);
        }
        QJsonObject wrongType = json;
        wrongType.insert(key, wrongTypeFor(json.value(key)));
        expectFailureAtKey<T>(wrongType, key);
    }

    QJsonObject extra = json;
    extra.insert(QStringLiteral("futureKey"), QJsonObject{{QStringLiteral("nested"), true}});
    const TruneJsonResult<T> withExtra = truneJsonDecode<T>(QJsonValue(extra));
    ASSERT_TRUE(withExtra.has_value()) << describe(withExtra.error()).toStdString();
    EXPECT_EQ(*withExtra, full);
}

// `key` set to each of `texts` fails the record: none of them is a raw value.
template <typename T> void expectRejectedTexts(const T& full, const QString& key, const QStringList& texts)
{
    for (const QString& text : texts) {
        SCOPED_TRACE(key.toStdString() + " = " + text.toStdString());
        QJsonObject json = truneJsonEncode(full).toObject();
        json.insert(key, text);
        expectFailureAtKey<T>(json, key);
    }
}

} // namespace RecordJsonChecks

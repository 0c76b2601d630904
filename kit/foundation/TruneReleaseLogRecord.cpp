#include "kit/foundation/TruneReleaseLogRecord.h"

#include "kit/localization/TruneGraphemeText.h"

namespace {

// The codes to try for a language, most specific first.
QStringList translationCodes(TruneLanguage language)
{
    QStringList codes{language.rawValue()};
    if (const auto parent = language.fallbackParent())
        codes.append(parent->rawValue());
    codes.append(QStringLiteral("en"));
    return codes;
}

template <typename Text>
Text firstTranslation(const QMap<QString, Text>& translations, TruneLanguage language, const Text& untranslated)
{
    for (const QString& code : translationCodes(language)) {
        const Text text = translations.value(code);
        if (!text.isEmpty())
            return text;
    }
    return untranslated;
}

} // namespace

QString TruneReleaseLogRecord::id() const
{
    return QStringLiteral("%1-%2-%3-%4").arg(timestamp, app, toVersion).arg(toBuild);
}

QString TruneReleaseLogRecord::shortDate() const
{
    return TruneGraphemeText(timestamp).prefix(10);
}

QString TruneReleaseLogRecord::localizedSummary(TruneLanguage language) const
{
    return firstTranslation(summaryI18n, language, summary);
}

QStringList TruneReleaseLogRecord::localizedDetails(TruneLanguage language) const
{
    return firstTranslation(detailsI18n, language, details);
}

QJsonValue TruneJsonCoding<TruneReleaseLogRecord>::encode(const TruneReleaseLogRecord& record)
{
    TruneJsonObjectWriter out;
    out.write("timestamp", record.timestamp);
    out.write("app", record.app);
    out.write("fromVersion", record.fromVersion);
    out.write("toVersion", record.toVersion);
    out.write("fromBuild", record.fromBuild);
    out.write("toBuild", record.toBuild);
    out.write("bumpKind", record.bumpKind);
    out.write("section", record.section);
    out.write("summary", record.summary);
    out.write("details", record.details);
    out.write("summary_i18n", record.summaryI18n);
    out.write("details_i18n", record.detailsI18n);
    out.write("gitCommit", record.gitCommit);
    return out.object();
}

TruneJsonResult<TruneReleaseLogRecord> TruneJsonCoding<TruneReleaseLogRecord>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<TruneReleaseLogRecord>(json, [](TruneJsonObjectReader& in) {
        TruneReleaseLogRecord record;
        const auto take = [&in]<typename T>(const char* key, T& field) {
            if (auto value = in.optional<T>(key))
                field = std::move(*value);
        };
        take("timestamp", record.timestamp);
        take("app", record.app);
        take("fromVersion", record.fromVersion);
        take("toVersion", record.toVersion);
        take("fromBuild", record.fromBuild);
        take("toBuild", record.toBuild);
        take("bumpKind", record.bumpKind);
        take("section", record.section);
        take("summary", record.summary);
        take("details", record.details);
        take("summary_i18n", record.summaryI18n);
        take("details_i18n", record.detailsI18n);
        take("gitCommit", record.gitCommit);
        return record;
    });
}

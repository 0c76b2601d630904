#include "kit/foundation/TruneReleaseLogReader.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace {

std::optional<QString> readUtf8File(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(file.readAll());
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

namespace TruneReleaseLogReader {

std::vector<TruneReleaseLogRecord> loadBundled(const std::optional<QString>& app, const TruneBundle& bundle)
{
    const auto path = bundle.pathForResource(QStringLiteral("release-log"), QStringLiteral("jsonl"));
    if (!path)
        return {};
    return load(*path, app);
}

std::vector<TruneReleaseLogRecord> load(const QString& path, const std::optional<QString>& app)
{
    const std::optional<QString> text = readUtf8File(path);
    if (!text)
        return {};
    const std::optional<QString> wantedApp = app ? std::optional(app->toLower()) : std::nullopt;
    std::vector<TruneReleaseLogRecord> records;
    for (const QString& line : text->split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        auto record = truneJsonDecode<TruneReleaseLogRecord>(line.toUtf8());
        if (!record)
            continue;
        if (wantedApp && record->app.toLower() != *wantedApp)
            continue;
        records.push_back(std::move(*record));
    }
    std::reverse(records.begin(), records.end());
    return records;
}

} // namespace TruneReleaseLogReader

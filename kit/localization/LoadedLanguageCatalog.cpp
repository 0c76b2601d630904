#include "kit/localization/LoadedLanguageCatalog.h"

#include "kit/localization/TruneGraphemeText.h"
#include "kit/platform/TruneStableSort.h"

#include <algorithm>

namespace {

constexpr qsizetype kBucketKeyLength = 3;
constexpr qsizetype kShortestBucketKey = 2;

std::optional<QString> firstApplying(
    const LoadedLanguageCatalog::TemplateBuckets& buckets, const QString& key, const QString& text)
{
    const auto bucket = buckets.constFind(key);
    if (bucket == buckets.cend())
        return std::nullopt;
    for (const CompiledTemplate& candidate : *bucket) {
        if (auto translated = candidate.apply(text))
            return translated;
    }
    return std::nullopt;
}

std::optional<QString> nonEmptyEntry(const QHash<QString, QString>& strings, const QString& key)
{
    const auto entry = strings.constFind(key);
    if (entry == strings.cend() || entry->isEmpty())
        return std::nullopt;
    return *entry;
}

} // namespace

LoadedLanguageCatalog::LoadedLanguageCatalog(
    const QMap<QString, QString>& strings, const QMap<QString, QString>& templates)
{
    auto index = std::make_shared<Index>();
    for (auto entry = strings.cbegin(); entry != strings.cend(); ++entry)
        index->strings.insert(TruneGraphemeText::composed(entry.key()), entry.value());

    for (auto entry = templates.cbegin(); entry != templates.cend(); ++entry) {
        if (entry.value().isEmpty())
            continue;
        auto compiled = CompiledTemplate::compile(entry.key(), entry.value());
        if (!compiled)
            continue;
        const TruneGraphemeText first(compiled->sourceLiterals().first());
        const TruneGraphemeText last(compiled->sourceLiterals().last());
        if (first.characterCount() >= kShortestBucketKey)
            index->byPrefix[first.prefix(kBucketKeyLength)].append(std::move(*compiled));
        else if (last.characterCount() >= kShortestBucketKey)
            index->bySuffix[last.suffix(kBucketKeyLength)].append(std::move(*compiled));
    }

    const auto heaviestFirst
        = [](const CompiledTemplate& a, const CompiledTemplate& b) { return a.literalWeight() > b.literalWeight(); };
    for (TemplateBuckets* buckets : {&index->byPrefix, &index->bySuffix}) {
        for (QList<CompiledTemplate>& bucket : *buckets)
            truneStableSort(bucket.begin(), bucket.end(), heaviestFirst);
    }
    m_index = std::move(index);
}

LoadedLanguageCatalog LoadedLanguageCatalog::empty()
{
    static const auto index = std::make_shared<const Index>();
    return LoadedLanguageCatalog(index);
}

std::optional<QString> LoadedLanguageCatalog::lookup(const std::optional<QString>& key, const QString& en) const
{
    if (key) {
        if (auto exact = nonEmptyEntry(m_index->strings, TruneGraphemeText::composed(*key)))
            return exact;
    }
    const TruneGraphemeText text(en);
    if (auto exact = nonEmptyEntry(m_index->strings, text.text()))
        return exact;
    if (text.characterCount() <= kShortestBucketKey)
        return std::nullopt;
    for (const TemplateBuckets* buckets : {&m_index->byPrefix, &m_index->bySuffix}) {
        if (buckets->isEmpty())
            continue;
        const bool fromStart = buckets == &m_index->byPrefix;
        for (const qsizetype length : {kBucketKeyLength, kShortestBucketKey}) {
            const QString bucketKey = fromStart ? text.prefix(length) : text.suffix(length);
            if (auto translated = firstApplying(*buckets, bucketKey, text.text()))
                return translated;
        }
    }
    return std::nullopt;
}

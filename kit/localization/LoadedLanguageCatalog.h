#pragma once

#include "kit/localization/CompiledTemplate.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>

#include <memory>
#include <optional>

// The in-memory index of one language's translations: exact texts, and templates filed by the
// first (or, when the template begins with a placeholder, the last) two or three characters of
// their English side. Immutable once built; copies share the index.
class LoadedLanguageCatalog final {
public:
    using TemplateBuckets = QHash<QString, QList<CompiledTemplate>>;

    // Templates that do not compile, or whose literal ends are both shorter than 2 characters,
    // are dropped; every bucket lists its templates by literal weight, largest first.
    LoadedLanguageCatalog(const QMap<QString, QString>& strings, const QMap<QString, QString>& templates);

    // The shared catalogue without entries, for a language no file translates.
    static LoadedLanguageCatalog empty();

    // The translation of `en` (by `key` first, when given): an exact entry, else the first
    // template that fits.
    std::optional<QString> lookup(const std::optional<QString>& key, const QString& en) const;

    const QHash<QString, QString>& strings() const { return m_index->strings; }
    const TemplateBuckets& byPrefix() const { return m_index->byPrefix; }
    const TemplateBuckets& bySuffix() const { return m_index->bySuffix; }

private:
    struct Index {
        QHash<QString, QString> strings; // keys in NFC
        TemplateBuckets byPrefix;
        TemplateBuckets bySuffix;
    };

    explicit LoadedLanguageCatalog(std::shared_ptr<const Index> index)
        : m_index(std::move(index))
    {
    }

    std::shared_ptr<const Index> m_index;
};

#pragma once

#include "kit/localization/LoadedLanguageCatalog.h"
#include "kit/localization/TruneLanguage.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <expected>
#include <mutex>
#include <optional>

// Why a translation file could not be loaded as overrides.
struct TruneLocalizationPackError {
    enum class Case {
        readFailed,          // the file could not be read
        decompressionFailed, // an ".lzfse" file is not a valid LZFSE stream
        decodingFailed,      // the bytes are neither a flat text table nor a catalogue
    };

    Case errorCase = Case::readFailed;
    QString path;
    QString reason; // English, for logs

    QString description(TruneLanguage language) const;

    bool operator==(const TruneLocalizationPackError&) const = default;
};

// Turns the English/Turkish pair of a visible text into the text to show in a language: user
// overrides first, the literals for English and Turkish, the language's catalogue (then its
// parent's) for every other language, and English when nothing better is found.
//
// Catalogues are "<raw value>.json.lzfse" or "<raw value>.json" files, searched in: registered
// directories (the latest first), the custom packs folder, the program's "Localizations" data
// folder and the shared suite folder. An entry of an earlier directory wins over a later one.
// Each language is loaded once and then served from memory until the cache is dropped.
//
// All members may be called from any thread.
class TruneLocalizationStore {
public:
    explicit TruneLocalizationStore(QStringList searchDirectories = {});
    TruneLocalizationStore(const TruneLocalizationStore&) = delete;
    TruneLocalizationStore& operator=(const TruneLocalizationStore&) = delete;

    // The process-wide store that truneText() uses.
    static TruneLocalizationStore& shared();

    QString resolve(const std::optional<QString>& key, const QString& en, const QString& tr, TruneLanguage language);
    QString string(const QString& key, const QString& en, const QString& tr, TruneLanguage language);

    // Replaces all overrides with the texts of one file: a flat JSON table of text to text, or a
    // catalogue whose "strings" are taken (its templates are not). ".lzfse" files are
    // decompressed first. On failure the overrides stay as they were.
    std::expected<void, TruneLocalizationPackError> loadJSONPack(const QString& filePath);
    void clearCustomPack();

    // Loads a language's catalogue ahead of its first text; nothing for English and Turkish.
    void preloadIfNeeded(TruneLanguage language);
    // Searches `directory` ahead of every other place from now on and drops the cache.
    void registerSearchDirectory(const QString& directory);
    // Drops the cache: the next text of each language reads the disk again.
    void reloadCatalogs();

    // <Application Support>/Quorvane/Localizations, shared by all of the maker's apps.
    static QString sharedSuiteLocalizationsDirectory();
    // sharedSuiteLocalizationsDirectory()/Custom, for packs the user adds.
    static QString customLanguagePacksDirectory();

private:
    LoadedLanguageCatalog catalog(TruneLanguage language);
    QStringList candidateDirectories() const;
    LoadedLanguageCatalog loadCatalogFromDisk(const QString& code) const;

    mutable std::mutex m_lock;                 // guards the three fields below
    QHash<QString, QString> m_customOverrides; // keys in NFC
    QHash<QString, LoadedLanguageCatalog> m_loadedCatalogs;
    QStringList m_extraSearchDirectories;
};

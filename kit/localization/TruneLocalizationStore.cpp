#include "kit/localization/TruneLocalizationStore.h"

#include "kit/localization/TruneGraphemeText.h"
#include "kit/localization/TruneLocalizationPack.h"
#include "kit/localization/TruneLzfseDecoder.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneBundle.h"
#include "kit/platform/TrunePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Translation files are small; anything near this size is not one.
constexpr qint64 kMaxFileSize = TruneLzfse::defaultMaxOutput;

using PackError = TruneLocalizationPackError;

PackError packError(PackError::Case errorCase, const QString& path, const QString& reason)
{
    return PackError{errorCase, path, reason};
}

bool isCompressed(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("lzfse"), Qt::CaseInsensitive) == 0;
}

// The file's bytes, decompressed when its extension is ".lzfse" (in any letter case).
std::expected<QByteArray, PackError> readTranslationFile(const QString& path)
{
    const auto tooLarge = [&path] {
        return std::unexpected(packError(PackError::Case::readFailed, path, QStringLiteral("file is too large")));
    };
    // Only regular files: a pipe or device named like a catalogue could block the read forever.
    if (!QFileInfo(path).isFile())
        return std::unexpected(packError(PackError::Case::readFailed, path, QStringLiteral("not a regular file")));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::unexpected(packError(PackError::Case::readFailed, path, file.errorString()));
    if (file.size() > kMaxFileSize)
        return tooLarge();
    // One byte more than announced shows a file that grew past the cap meanwhile.
    const QByteArray bytes = file.read(file.size() + 1);
    if (file.error() != QFileDevice::NoError)
        return std::unexpected(packError(PackError::Case::readFailed, path, file.errorString()));
    if (bytes.size() > kMaxFileSize)
        return tooLarge();
    if (!isCompressed(path))
        return bytes;
    auto decompressed = TruneLzfse::decode(bytes);
    if (!decompressed)
        return std::unexpected(packError(PackError::Case::decompressionFailed, path, decompressed.error().reason()));
    return std::move(*decompressed);
}

QHash<QString, QString> composedKeys(const QMap<QString, QString>& table)
{
    QHash<QString, QString> composed;
    for (auto entry = table.cbegin(); entry != table.cend(); ++entry)
        composed.insert(TruneGraphemeText::composed(entry.key()), entry.value());
    return composed;
}

std::optional<QString> nonEmptyOverride(const QHash<QString, QString>& overrides, const QString& key)
{
    const auto entry = overrides.constFind(TruneGraphemeText::composed(key));
    if (entry == overrides.cend() || entry->isEmpty())
        return std::nullopt;
    return *entry;
}

// Later calls overwrite earlier entries, also when a key is only spelled differently (composed
// or decomposed accents); empty translations never replace anything.
void mergeNonEmpty(QMap<QString, QString>& into, const QMap<QString, QString>& from)
{
    for (auto entry = from.cbegin(); entry != from.cend(); ++entry) {
        if (!entry.value().isEmpty())
            into.insert(TruneGraphemeText::composed(entry.key()), entry.value());
    }
}

struct MergedTables {
    QMap<QString, QString> strings;
    QMap<QString, QString> templates;
};

// Merges one catalogue file into `merged`. False when the file yields nothing usable, so the
// directory's next file name is tried.
bool mergeCatalogueFile(const QString& path, MergedTables& merged)
{
    const auto bytes = readTranslationFile(path);
    if (!bytes)
        return false;
    const auto json = truneJsonParse(*bytes);
    if (!json)
        return false;
    if (const auto pack = truneJsonDecode<TruneLocalizationPack>(*json);
        pack && !(pack->strings.isEmpty() && pack->templates.isEmpty())) {
        mergeNonEmpty(merged.strings, pack->strings);
        mergeNonEmpty(merged.templates, pack->templates);
        return true;
    }
    if (const auto flat = TruneLocalizationPack::decodeFlatMap(*json)) {
        mergeNonEmpty(merged.strings, *flat);
        return true;
    }
    return false;
}

QString cleanDirectory(const QString& directory)
{
    return QDir::cleanPath(QDir(directory).absolutePath());
}

} // namespace

QString TruneLocalizationPackError::description(TruneLanguage language) const
{
    switch (errorCase) {
    case Case::readFailed:
        return truneText(QStringLiteral("The language file could not be read: ") + path,
            QStringLiteral("Dil dosyası okunamadı: ") + path, language);
    case Case::decompressionFailed:
        return truneText(QStringLiteral("The language file could not be decompressed: ") + path,
            QStringLiteral("Dil dosyasının sıkıştırması açılamadı: ") + path, language);
    case Case::decodingFailed:
        return truneText(QStringLiteral("The language file is not a valid language pack: ") + path,
            QStringLiteral("Dil dosyası geçerli bir dil paketi değil: ") + path, language);
    }
    return {};
}

TruneLocalizationStore::TruneLocalizationStore(QStringList searchDirectories)
{
    for (const QString& directory : searchDirectories)
        m_extraSearchDirectories.append(cleanDirectory(directory));
}

TruneLocalizationStore& TruneLocalizationStore::shared()
{
    // Never destroyed, so texts can still be resolved while the process shuts down.
    static auto* const store = new TruneLocalizationStore;
    return *store;
}

QString TruneLocalizationStore::resolve(
    const std::optional<QString>& key, const QString& en, const QString& tr, TruneLanguage language)
{
    {
        const std::lock_guard locker(m_lock);
        if (key) {
            if (auto text = nonEmptyOverride(m_customOverrides, *key))
                return *text;
        }
        if (auto text = nonEmptyOverride(m_customOverrides, en))
            return *text;
    }
    if (language == TruneLanguage::en)
        return en;
    if (language == TruneLanguage::tr)
        return tr.isEmpty() ? en : tr;
    if (auto translated = catalog(language).lookup(key, en))
        return *translated;
    if (const auto parent = language.fallbackParent()) {
        if (auto translated = catalog(*parent).lookup(key, en))
            return *translated;
    }
    return en;
}

QString TruneLocalizationStore::string(const QString& key, const QString& en, const QString& tr, TruneLanguage language)
{
    return resolve(key, en, tr, language);
}

std::expected<void, TruneLocalizationPackError> TruneLocalizationStore::loadJSONPack(const QString& filePath)
{
    const auto bytes = readTranslationFile(filePath);
    if (!bytes)
        return std::unexpected(bytes.error());
    const auto json = truneJsonParse(*bytes);
    if (!json)
        return std::unexpected(packError(PackError::Case::decodingFailed, filePath, json.error().description()));

    QMap<QString, QString> texts;
    if (auto flat = TruneLocalizationPack::decodeFlatMap(*json)) {
        texts = std::move(*flat);
    } else {
        auto pack = truneJsonDecode<TruneLocalizationPack>(*json);
        if (!pack)
            return std::unexpected(packError(PackError::Case::decodingFailed, filePath, pack.error().description()));
        texts = std::move(pack->strings);
    }

    QHash<QString, QString> overrides = composedKeys(texts);
    const std::lock_guard locker(m_lock);
    m_customOverrides = std::move(overrides);
    return {};
}

void TruneLocalizationStore::clearCustomPack()
{
    const std::lock_guard locker(m_lock);
    m_customOverrides.clear();
}

void TruneLocalizationStore::preloadIfNeeded(TruneLanguage language)
{
    if (language == TruneLanguage::en || language == TruneLanguage::tr)
        return;
    catalog(language);
}

void TruneLocalizationStore::registerSearchDirectory(const QString& directory)
{
    const QString cleaned = cleanDirectory(directory);
    const std::lock_guard locker(m_lock);
    if (!m_extraSearchDirectories.contains(cleaned))
        m_extraSearchDirectories.prepend(cleaned);
    m_loadedCatalogs.clear();
}

void TruneLocalizationStore::reloadCatalogs()
{
    const std::lock_guard locker(m_lock);
    m_loadedCatalogs.clear();
}

QString TruneLocalizationStore::sharedSuiteLocalizationsDirectory()
{
    return TrunePaths::applicationSupportDirectory() + QStringLiteral("/Quorvane/Localizations");
}

QString TruneLocalizationStore::customLanguagePacksDirectory()
{
    return sharedSuiteLocalizationsDirectory() + QStringLiteral("/Custom");
}

LoadedLanguageCatalog TruneLocalizationStore::catalog(TruneLanguage language)
{
    const QString code = language.rawValue();
    {
        const std::lock_guard locker(m_lock);
        const auto cached = m_loadedCatalogs.constFind(code);
        if (cached != m_loadedCatalogs.cend())
            return *cached;
    }
    // Loaded without the lock: two threads may both load a language; their results are equal.
    LoadedLanguageCatalog loaded = loadCatalogFromDisk(code);
    const std::lock_guard locker(m_lock);
    m_loadedCatalogs.insert(code, loaded);
    return loaded;
}

QStringList TruneLocalizationStore::candidateDirectories() const
{
    QStringList directories;
    {
        const std::lock_guard locker(m_lock);
        directories = m_extraSearchDirectories;
    }
    directories.append(customLanguagePacksDirectory());
    const QString resources = TruneBundle::main().resourcesPath();
    if (!resources.isEmpty())
        directories.append(resources + QStringLiteral("/Localizations"));
    directories.append(sharedSuiteLocalizationsDirectory());
    return directories;
}

LoadedLanguageCatalog TruneLocalizationStore::loadCatalogFromDisk(const QString& code) const
{
    const QStringList fileNames{code + QStringLiteral(".json.lzfse"), code + QStringLiteral(".json")};
    MergedTables merged;
    // Walked from the lowest priority up, so that earlier directories overwrite later ones.
    const QStringList directories = candidateDirectories();
    for (auto directory = directories.crbegin(); directory != directories.crend(); ++directory) {
        for (const QString& fileName : fileNames) {
            const QString path = *directory + QLatin1Char('/') + fileName;
            if (QFileInfo::exists(path) && mergeCatalogueFile(path, merged))
                break;
        }
    }
    if (merged.strings.isEmpty() && merged.templates.isEmpty())
        return LoadedLanguageCatalog::empty();
    return LoadedLanguageCatalog(merged.strings, merged.templates);
}

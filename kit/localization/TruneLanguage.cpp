#include "kit/localization/TruneLanguage.h"

#include "kit/localization/TruneLocalizationStore.h"
#include "kit/platform/TruneCollation.h"
#include "kit/platform/TruneNotifier.h"
#include "kit/platform/TruneStableSort.h"
#include "kit/platform/TruneUserDefaults.h"

#include <QCollator>
#include <QHashFunctions>

#include <algorithm>
#include <array>
#include <mutex>

namespace {

struct LanguageInfo {
    TruneLanguage::Case value;
    const char* raw;
    const char* english;
    const char* native; // UTF-8
    bool rtl;
};

constexpr std::array<LanguageInfo, 37> kLanguages{{
    {TruneLanguage::ar, "ar", "Arabic", "العربية", true},
    {TruneLanguage::az, "az", "Azerbaijani", "Azərbaycanca", false},
    {TruneLanguage::bg, "bg", "Bulgarian", "Български", false},
    {TruneLanguage::ca, "ca", "Catalan", "Català", false},
    {TruneLanguage::cs, "cs", "Czech", "Čeština", false},
    {TruneLanguage::da, "da", "Danish", "Dansk", false},
    {TruneLanguage::de, "de", "German", "Deutsch", false},
    {TruneLanguage::el, "el", "Greek", "Ελληνικά", false},
    {TruneLanguage::en, "en", "English", "English", false},
    {TruneLanguage::es, "es", "Spanish", "Español", false},
    {TruneLanguage::fa, "fa", "Persian", "فارسی", true},
    {TruneLanguage::fi, "fi", "Finnish", "Suomi", false},
    {TruneLanguage::fr, "fr", "French", "Français", false},
    {TruneLanguage::he, "he", "Hebrew", "עברית", true},
    {TruneLanguage::hi, "hi", "Hindi", "हिन्दी", false},
    {TruneLanguage::hr, "hr", "Croatian", "Hrvatski", false},
    {TruneLanguage::hu, "hu", "Hungarian", "Magyar", false},
    {TruneLanguage::id, "id", "Indonesian", "Bahasa Indonesia", false},
    {TruneLanguage::it, "it", "Italian", "Italiano", false},
    {TruneLanguage::ja, "ja", "Japanese", "日本語", false},
    {TruneLanguage::ko, "ko", "Korean", "한국어", false},
    {TruneLanguage::ms, "ms", "Malay", "Bahasa Melayu", false},
    {TruneLanguage::nb, "nb", "Norwegian Bokmål", "Norsk Bokmål", false},
    {TruneLanguage::nl, "nl", "Dutch", "Nederlands", false},
    {TruneLanguage::pl, "pl", "Polish", "Polski", false},
    {TruneLanguage::ptBR, "pt-BR", "Portuguese (Brazil)", "Português (Brasil)", false},
    {TruneLanguage::ptPT, "pt-PT", "Portuguese (Portugal)", "Português (Portugal)", false},
    {TruneLanguage::ro, "ro", "Romanian", "Română", false},
    {TruneLanguage::ru, "ru", "Russian", "Русский", false},
    {TruneLanguage::sk, "sk", "Slovak", "Slovenčina", false},
    {TruneLanguage::sv, "sv", "Swedish", "Svenska", false},
    {TruneLanguage::th, "th", "Thai", "ไทย", false},
    {TruneLanguage::tr, "tr", "Turkish", "Türkçe", false},
    {TruneLanguage::uk, "uk", "Ukrainian", "Українська", false},
    {TruneLanguage::vi, "vi", "Vietnamese", "Tiếng Việt", false},
    {TruneLanguage::zhHans, "zh-Hans", "Chinese (Simplified)", "简体中文", false},
    {TruneLanguage::zhHant, "zh-Hant", "Chinese (Traditional)", "繁體中文", false},
}};

constexpr bool tableFollowsDeclarationOrder()
{
    for (size_t i = 0; i < kLanguages.size(); ++i) {
        if (static_cast<size_t>(kLanguages[i].value) != i)
            return false;
    }
    return true;
}
static_assert(tableFollowsDeclarationOrder(), "the language table must list the cases in declaration order");

const LanguageInfo& info(TruneLanguage language)
{
    return kLanguages[static_cast<size_t>(TruneLanguage::Case(language))];
}

// While depth is 1 or more, setCurrent() refreshes catalogues and observers but does not store.
struct PersistenceGuard {
    std::mutex lock;
    int suppressDepth = 0;
};

PersistenceGuard& persistenceGuard()
{
    static PersistenceGuard guard;
    return guard;
}

int currentSuppressDepth()
{
    PersistenceGuard& guard = persistenceGuard();
    const std::lock_guard locker(guard.lock);
    return guard.suppressDepth;
}

void changeSuppressDepth(int delta)
{
    PersistenceGuard& guard = persistenceGuard();
    const std::lock_guard locker(guard.lock);
    guard.suppressDepth = std::max(guard.suppressDepth + delta, 0);
}

bool isSystemCode(QStringView code)
{
    return code.compare(TruneLanguage::systemPreferenceCode, Qt::CaseInsensitive) == 0;
}

bool isOrStartsWith(const QString& tag, QLatin1String prefix)
{
    return tag == prefix || tag.startsWith(prefix + QLatin1Char('-'));
}

std::optional<TruneLanguage> matchChineseOrPortugueseOrNorwegian(const QString& tag)
{
    if (isOrStartsWith(tag, QLatin1String("zh"))) {
        for (const char* traditional : {"hant", "-tw", "-hk", "-mo"}) {
            if (tag.contains(QLatin1String(traditional)))
                return TruneLanguage::zhHant;
        }
        return TruneLanguage::zhHans;
    }
    if (isOrStartsWith(tag, QLatin1String("pt")))
        return tag.startsWith(QLatin1String("pt-pt")) ? TruneLanguage::ptPT : TruneLanguage::ptBR;
    for (const char* norwegian : {"no", "nb", "nn"}) {
        if (isOrStartsWith(tag, QLatin1String(norwegian)))
            return TruneLanguage::nb;
    }
    return std::nullopt;
}

std::optional<TruneLanguage> matchPrimarySubtag(const QString& tag)
{
    const QStringList pieces = tag.split(QLatin1Char('-'), Qt::SkipEmptyParts);
    const QString primary = pieces.isEmpty() ? tag : pieces.first();
    // Codes older systems still report for Hebrew and Indonesian.
    if (primary == QLatin1String("iw"))
        return TruneLanguage::he;
    if (primary == QLatin1String("in"))
        return TruneLanguage::id;
    for (const LanguageInfo& language : kLanguages) {
        if (QString::fromLatin1(language.raw).toLower() == primary)
            return language.value;
    }
    return std::nullopt;
}

void postLanguageDidChange(TruneLanguage language)
{
    TruneNotifier::instance().post(
        TruneNotificationName::languageDidChange, {{TruneLanguage::languageDidChangeKey, language.rawValue()}});
}

std::function<QStringList()>& systemLanguagesProvider()
{
    static std::function<QStringList()> provider;
    return provider;
}

std::mutex& systemLanguagesProviderLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

std::optional<TruneLanguage> TruneLanguage::fromRawValue(QStringView raw)
{
    for (const LanguageInfo& language : kLanguages) {
        if (raw == QLatin1String(language.raw))
            return language.value;
    }
    return std::nullopt;
}

QString TruneLanguage::rawValue() const
{
    return QString::fromLatin1(info(*this).raw);
}

QString TruneLanguage::englishName() const
{
    return QString::fromUtf8(info(*this).english);
}

QString TruneLanguage::nativeName() const
{
    return QString::fromUtf8(info(*this).native);
}

QString TruneLanguage::displayName() const
{
    const QString native = nativeName();
    const QString english = englishName();
    if (native.compare(english, Qt::CaseInsensitive) == 0)
        return native;
    return native + QStringLiteral(" (") + english + QLatin1Char(')');
}

QString TruneLanguage::shortCode() const
{
    switch (m_case) {
    case ptBR:
        return QStringLiteral("PT");
    case ptPT:
        return QStringLiteral("PT-PT");
    case zhHans:
        return QStringLiteral("ZH");
    case zhHant:
        return QStringLiteral("ZH-TW");
    default:
        return rawValue().toUpper();
    }
}

QLocale TruneLanguage::locale() const
{
    return QLocale(rawValue());
}

bool TruneLanguage::isRTL() const
{
    return info(*this).rtl;
}

std::optional<TruneLanguage> TruneLanguage::fallbackParent() const
{
    switch (m_case) {
    case ptPT:
        return ptBR;
    case zhHant:
        return zhHans;
    default:
        return std::nullopt;
    }
}

std::vector<TruneLanguage> TruneLanguage::allCases()
{
    std::vector<TruneLanguage> cases;
    cases.reserve(kLanguages.size());
    for (const LanguageInfo& language : kLanguages)
        cases.push_back(language.value);
    return cases;
}

std::vector<TruneLanguage> TruneLanguage::sortedCases()
{
    const QCollator collator = TruneCollation::localizedCaseInsensitive();
    std::vector<TruneLanguage> cases = allCases();
    truneStableSort(cases.begin(), cases.end(), [&collator](TruneLanguage a, TruneLanguage b) {
        return collator.compare(a.englishName(), b.englishName()) < 0;
    });
    return cases;
}

QString TruneLanguage::storedPreferenceCode()
{
    const QString stored = TruneUserDefaults::standard().string(defaultsKey).value_or(QString()).trimmed();
    return stored.isEmpty() ? QString(systemPreferenceCode) : stored;
}

bool TruneLanguage::isFollowingSystem()
{
    return isSystemCode(storedPreferenceCode());
}

TruneLanguage TruneLanguage::current()
{
    const QString code = storedPreferenceCode();
    if (!isSystemCode(code)) {
        if (const auto language = match(code))
            return *language;
    }
    return systemResolved();
}

TruneLanguage TruneLanguage::systemResolved()
{
    return resolve(TruneSystemLanguages::preferred());
}

std::optional<TruneLanguage> TruneLanguage::match(QStringView tag)
{
    QString cleaned = tag.trimmed().toString();
    cleaned.replace(QLatin1Char('_'), QLatin1Char('-'));
    if (cleaned.isEmpty())
        return std::nullopt;
    for (const LanguageInfo& language : kLanguages) {
        if (cleaned.compare(QLatin1String(language.raw), Qt::CaseInsensitive) == 0)
            return language.value;
    }
    const QString lowered = cleaned.toLower();
    if (const auto regional = matchChineseOrPortugueseOrNorwegian(lowered))
        return regional;
    return matchPrimarySubtag(lowered);
}

TruneLanguage TruneLanguage::resolve(const QStringList& tags)
{
    for (const QString& tag : tags) {
        if (const auto language = match(tag))
            return *language;
    }
    return en;
}

void TruneLanguage::setCurrent(TruneLanguage language)
{
    if (currentSuppressDepth() < 1)
        TruneUserDefaults::standard().setString(defaultsKey, language.rawValue());
    TruneLocalizationStore::shared().preloadIfNeeded(language);
    postLanguageDidChange(language);
}

void TruneLanguage::setFollowSystem()
{
    TruneUserDefaults::standard().setString(defaultsKey, systemPreferenceCode);
    const TruneLanguage language = systemResolved();
    TruneLocalizationStore::shared().preloadIfNeeded(language);
    postLanguageDidChange(language);
}

void TruneLanguage::applyFollowSystem(const std::function<void()>& body)
{
    setFollowSystem();
    changeSuppressDepth(+1);
    body();
    changeSuppressDepth(-1);
}

size_t qHash(TruneLanguage language, size_t seed) noexcept
{
    return qHash(static_cast<int>(TruneLanguage::Case(language)), seed);
}

QJsonValue TruneJsonCoding<TruneLanguage>::encode(TruneLanguage language)
{
    return language.rawValue();
}

TruneJsonResult<TruneLanguage> TruneJsonCoding<TruneLanguage>::decode(const QJsonValue& json)
{
    const QString text = json.toString().trimmed(); // a non-string reads as ""
    if (text.isEmpty() || isSystemCode(text))
        return TruneLanguage::systemResolved();
    if (const auto exact = TruneLanguage::fromRawValue(text))
        return *exact;
    if (const auto matched = TruneLanguage::match(text))
        return *matched;
    return TruneLanguage::systemResolved();
}

namespace TruneSystemLanguages {

QStringList preferred()
{
    std::function<QStringList()> provider;
    {
        const std::lock_guard locker(systemLanguagesProviderLock());
        provider = systemLanguagesProvider();
    }
    return provider ? provider() : QLocale::system().uiLanguages();
}

void setProvider(std::function<QStringList()> provider)
{
    const std::lock_guard locker(systemLanguagesProviderLock());
    systemLanguagesProvider() = std::move(provider);
}

void resetProvider()
{
    setProvider({});
}

} // namespace TruneSystemLanguages

TruneLanguageSelection TruneLanguageSelection::current()
{
    if (isSystemCode(TruneLanguage::storedPreferenceCode()))
        return system();
    return explicitLanguage(TruneLanguage::current());
}

TruneLanguage TruneLanguageSelection::resolvedLanguage() const
{
    return m_language ? *m_language : TruneLanguage::systemResolved();
}

size_t qHash(const TruneLanguageSelection& selection, size_t seed) noexcept
{
    if (const auto language = selection.language())
        return qHashMulti(seed, 1, language->rawValue());
    return qHashMulti(seed, 0);
}

#pragma once

// The interface languages every visible text can be shown in, the user's stored choice among
// them (follow the system or one fixed language) and the rule that maps a system language tag
// onto one of them.

#include "kit/platform/TruneJson.h"

#include <QLatin1String>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

class TruneLanguage final {
public:
    // Declaration order is the order of allCases() and of every search over the cases.
    enum Case : unsigned char {
        ar,
        az,
        bg,
        ca,
        cs,
        da,
        de,
        el,
        en,
        es,
        fa,
        fi,
        fr,
        he,
        hi,
        hr,
        hu,
        id,
        it,
        ja,
        ko,
        ms,
        nb,
        nl,
        pl,
        ptBR,
        ptPT,
        ro,
        ru,
        sk,
        sv,
        th,
        tr,
        uk,
        vi,
        zhHans,
        zhHant
    };

    // The user-defaults key of the stored choice, and the stored value meaning "follow the system".
    static constexpr QLatin1String defaultsKey{"com.quorvane.preferredLanguage"};
    static constexpr QLatin1String systemPreferenceCode{"system"};
    // The user-info key of TruneNotificationName::languageDidChange: the new language's raw value.
    static constexpr QLatin1String languageDidChangeKey{"language"};

    // English, so that containers and widgets can hold a language before one is chosen.
    constexpr TruneLanguage() noexcept = default;
    constexpr TruneLanguage(Case value) noexcept
        : m_case(value)
    {
    }
    // Lets a language take part in switch statements and compare with == like its case.
    constexpr operator Case() const noexcept { return m_case; }

    // Exact, case-sensitive match of a raw value ("pt-BR", "zh-Hant" ...).
    static std::optional<TruneLanguage> fromRawValue(QStringView raw);

    QString rawValue() const;
    QString englishName() const;
    QString nativeName() const;
    // The native name, followed by the English one in parentheses when the two differ.
    QString displayName() const;
    // The raw value in capitals, but PT, PT-PT, ZH and ZH-TW for the Portuguese and Chinese variants.
    QString shortCode() const;
    QLocale locale() const;
    bool isRTL() const;
    // The language whose translations a regional variant borrows.
    std::optional<TruneLanguage> fallbackParent() const;

    static std::vector<TruneLanguage> allCases();
    // allCases() ordered by English name for menus (localized, case-insensitive, stable).
    static std::vector<TruneLanguage> sortedCases();

    // The stored choice, trimmed; "system" when missing or blank.
    static QString storedPreferenceCode();
    static bool isFollowingSystem();
    // The stored language, or the system's when following it or the stored code is unknown.
    static TruneLanguage current();
    // The first of the system's preferred languages that matches, else English.
    static TruneLanguage systemResolved();

    // Maps a language tag (en-GB, pt_PT, zh-Hant-TW, iw ...) onto a language, if any fits.
    static std::optional<TruneLanguage> match(QStringView tag);
    // The match of the first tag that matches, else English.
    static TruneLanguage resolve(const QStringList& tags);

    // Each of these posts TruneNotificationName::languageDidChange (on TruneNotifier, with the
    // language under languageDidChangeKey), also when nothing changed.
    static void setCurrent(TruneLanguage language);
    static void setFollowSystem();
    // Follows the system, then runs `body` with storing suppressed, so that a setCurrent() the
    // body triggers (adopting the resolved language) leaves the stored "system" in place.
    static void applyFollowSystem(const std::function<void()>& body);

private:
    Case m_case = en;
};

size_t qHash(TruneLanguage language, size_t seed = 0) noexcept;

template <> struct std::hash<TruneLanguage> {
    size_t operator()(TruneLanguage language) const noexcept
    {
        return static_cast<size_t>(TruneLanguage::Case(language));
    }
};

// Written as the raw value. Read leniently: a tag that only matches ("pt_pt"), and anything
// unreadable, blank or "system" gives the system's language; decoding itself never fails.
template <> struct TruneJsonCoding<TruneLanguage> {
    static QJsonValue encode(TruneLanguage language);
    static TruneJsonResult<TruneLanguage> decode(const QJsonValue& json);
};

// Where the system's ordered list of preferred interface languages comes from. By default the
// system locale's UI languages; tests install a fixed list.
namespace TruneSystemLanguages {

QStringList preferred();
void setProvider(std::function<QStringList()> provider);
void resetProvider();

} // namespace TruneSystemLanguages

// The language picker's selection: follow the system, or one explicitly chosen language.
class TruneLanguageSelection final {
public:
    static TruneLanguageSelection system() { return TruneLanguageSelection(std::nullopt); }
    // The explicit case ("explicit" itself is a C++ keyword).
    static TruneLanguageSelection explicitLanguage(TruneLanguage language) { return TruneLanguageSelection(language); }

    // system while the stored code is "system", else the explicit current language.
    static TruneLanguageSelection current();

    bool isSystem() const { return !m_language.has_value(); }
    // The chosen language; none for system.
    std::optional<TruneLanguage> language() const { return m_language; }
    // The chosen language, or the system's for system.
    TruneLanguage resolvedLanguage() const;

    bool operator==(const TruneLanguageSelection& other) const { return m_language == other.m_language; }

private:
    explicit TruneLanguageSelection(std::optional<TruneLanguage> language)
        : m_language(language)
    {
    }

    std::optional<TruneLanguage> m_language;
};

size_t qHash(const TruneLanguageSelection& selection, size_t seed = 0) noexcept;

template <> struct std::hash<TruneLanguageSelection> {
    size_t operator()(const TruneLanguageSelection& selection) const noexcept { return qHash(selection); }
};

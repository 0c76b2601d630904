#include "kit/ui/TruneMenuElement.h"

#include "kit/localization/TruneText.h"

using namespace Qt::StringLiterals;

namespace {

const QString checkMarkPrefix = u"\u2713 "_s;

TruneLanguage systemLanguage()
{
    return TruneLanguage::resolve(TruneSystemLanguages::preferred());
}

bool isFollowingSystem()
{
    return TruneLanguage::storedPreferenceCode().compare(TruneLanguage::systemPreferenceCode, Qt::CaseInsensitive) == 0;
}

TruneMenuElement languageChoice(const QString& title, std::function<void()> action)
{
    return TruneMenuElement::item({.title = [title] { return title; }, .action = std::move(action)});
}

std::vector<TruneMenuElement> languageChoices(
    const std::function<TruneLanguage()>& current, const std::function<void(TruneLanguage)>& onSelect)
{
    const TruneLanguage cur = current();
    const bool followsSystem = isFollowingSystem();

    std::vector<TruneMenuElement> elements;
    const QString systemTitle = (followsSystem ? checkMarkPrefix : QString())
        + truneText(u"System Language"_s, u"Sistem Dili"_s, cur) + u" ("_s + systemLanguage().nativeName() + u")"_s;
    elements.push_back(languageChoice(
        systemTitle, [onSelect] { TruneLanguage::applyFollowSystem([&onSelect] { onSelect(systemLanguage()); }); }));
    elements.push_back(TruneMenuElement::divider());
    for (const TruneLanguage language : TruneLanguage::sortedCases()) {
        const bool marked = language == cur && !followsSystem;
        elements.push_back(
            languageChoice((marked ? checkMarkPrefix : QString()) + language.displayName(), [language, onSelect] {
                TruneLanguage::setCurrent(language);
                onSelect(language);
            }));
    }
    return elements;
}

} // namespace

TruneMenuElement TruneMenuElement::languageSubmenu(
    std::function<TruneLanguage()> current, std::function<void(TruneLanguage)> onSelect)
{
    return submenu([current] { return truneText(u"Language"_s, u"Dil"_s, current()); },
        [current, onSelect] { return languageChoices(current, onSelect); });
}

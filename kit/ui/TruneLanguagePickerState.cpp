#include "kit/ui/TruneLanguagePickerState.h"

#include "kit/localization/TruneText.h"

using namespace Qt::StringLiterals;

QString truneSystemLanguageEntryLabel(TruneLanguage language)
{
    return truneText(u"System Language"_s, u"Sistem Dili"_s, language) + u" ("_s
        + TruneLanguage::systemResolved().nativeName() + u")"_s;
}

TruneLanguagePickerState::TruneLanguagePickerState(QObject* parent)
    : QObject(parent)
    , m_isFollowingSystem(TruneLanguage::isFollowingSystem())
{
}

void TruneLanguagePickerState::syncFromDefaults()
{
    setFollowingSystem(TruneLanguage::isFollowingSystem());
}

void TruneLanguagePickerState::chooseSystem(const OnSelect& onSelect)
{
    setFollowingSystem(true);
    TruneLanguage::applyFollowSystem([&onSelect] { onSelect(TruneLanguage::systemResolved()); });
}

void TruneLanguagePickerState::chooseLanguage(TruneLanguage language, const OnSelect& onSelect)
{
    TruneLanguage::setCurrent(language);
    setFollowingSystem(false);
    onSelect(language);
}

void TruneLanguagePickerState::setFollowingSystem(bool following)
{
    if (m_isFollowingSystem == following)
        return;
    m_isFollowingSystem = following;
    emit isFollowingSystemChanged(following);
}

#include "kit/ui/TruneLanguagePicker.h"

#include "kit/localization/TruneText.h"
#include "kit/ui/TruneLanguagePickerState.h"

#include <QPointer>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace {

constexpr int systemIndex = 0;
constexpr int minimumUntitledWidth = 190;
constexpr int maximumUntitledWidth = 260;

} // namespace

TruneLanguagePicker::TruneLanguagePicker(TruneLanguage language, Options options, QWidget* parent)
    : QComboBox(parent)
    , m_language(language)
    , m_title(std::move(options.title))
    , m_showTitle(options.showTitle)
    , m_state(new TruneLanguagePickerState(this))
{
    setEditable(false);
    fillEntries();
    refreshTexts();
    showCurrentSelection();
    if (!m_showTitle) {
        setMinimumWidth(minimumUntitledWidth);
        setMaximumWidth(maximumUntitledWidth);
    }
    connect(this, &QComboBox::activated, this, &TruneLanguagePicker::choose);
    connect(
        m_state, &TruneLanguagePickerState::isFollowingSystemChanged, this, &TruneLanguagePicker::showCurrentSelection);
}

void TruneLanguagePicker::setLanguage(TruneLanguage language)
{
    m_language = language;
    // A language set elsewhere (a menu, another window) may also have ended or begun following
    // the system: the stored choice decides which entry shows.
    m_state->syncFromDefaults();
    refreshTexts();
    showCurrentSelection();
}

QString TruneLanguagePicker::title() const
{
    return m_title.value_or(truneText(u"Language"_s, u"Dil"_s, m_language));
}

void TruneLanguagePicker::syncFromDefaults()
{
    m_state->syncFromDefaults();
    refreshTexts(); // the system's language may have changed too
}

void TruneLanguagePicker::showPopup()
{
    syncFromDefaults();
    QComboBox::showPopup();
}

void TruneLanguagePicker::showEvent(QShowEvent* event)
{
    syncFromDefaults();
    QComboBox::showEvent(event);
}

void TruneLanguagePicker::fillEntries()
{
    const QSignalBlocker blocker(this);
    addItem(QString(), QString(TruneLanguage::systemPreferenceCode));
    insertSeparator(count());
    for (const TruneLanguage language : TruneLanguage::sortedCases())
        addItem(language.displayName(), language.rawValue());
}

void TruneLanguagePicker::refreshTexts()
{
    const QSignalBlocker blocker(this);
    setItemText(systemIndex, truneSystemLanguageEntryLabel(m_language));
    setAccessibleName(title());
}

void TruneLanguagePicker::showCurrentSelection()
{
    const QSignalBlocker blocker(this);
    setCurrentIndex(m_state->isFollowingSystem() ? systemIndex : findData(m_language.rawValue()));
}

void TruneLanguagePicker::choose(int index)
{
    const QPointer<TruneLanguagePicker> self(this);
    const auto onSelect = [this](TruneLanguage chosen) { emit languageSelected(chosen); };
    if (index == systemIndex) {
        m_state->chooseSystem(onSelect);
    } else if (const auto language = TruneLanguage::fromRawValue(itemData(index).toString())) {
        m_state->chooseLanguage(*language, onSelect);
    }
    // The owner may have closed the picker in its slot; one that did not adopt the choice keeps
    // showing its own language.
    if (self)
        showCurrentSelection();
}

#include "app/views/settings/SettingsPreferencesCard.h"

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/StudioGlassCard.h"
#include "app/views/parts/StudioPageParts.h"
#include "app/views/parts/StudioPlatformTexts.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneLanguagePicker.h"
#include "kit/ui/TruneSheetParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace StudioPageParts;

namespace {

constexpr int intervalPickerWidth = 150;

QHBoxLayout* rowLayout(QWidget* row)
{
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

} // namespace

const std::array<SettingsPreferencesCard::IntervalEntry, 5>& SettingsPreferencesCard::intervalEntries()
{
    static const std::array<IntervalEntry, 5> entries{{
        {0, u"Manual"_s, u"Manuel"_s},
        {3, u"Every 3 hours"_s, u"3 saatte bir"_s},
        {6, u"Every 6 hours"_s, u"6 saatte bir"_s},
        {12, u"Every 12 hours"_s, u"12 saatte bir"_s},
        {24, u"Daily"_s, u"Günlük"_s},
    }};
    return entries;
}

QKeySequence SettingsPreferencesCard::studioHotkey()
{
    return QKeySequence(Qt::ALT | Qt::CTRL | Qt::Key_U);
}

SettingsPreferencesCard::SettingsPreferencesCard(
    UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
{
    setObjectName(u"preferencesCard"_s);
    QVBoxLayout* column = installStudioGlassCard(*this, 16, 14);

    m_title = label(truneFont(14, QFont::Bold), TruneGlassTokens::textPrimary(), u"preferencesTitle"_s);
    column->addWidget(m_title);
    column->addWidget(makeLanguageRow());
    column->addWidget(divider(TruneGlassTokens::borderSubtle()));
    addToggles(column);
    column->addWidget(divider(TruneGlassTokens::borderSubtle()));
    column->addWidget(makeIntervalRow());
    column->addWidget(divider(TruneGlassTokens::borderSubtle()));
    column->addWidget(makeHotkeyRow());

    syncTexts();
    syncValues();
    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, &SettingsPreferencesCard::sync);
}

QWidget* SettingsPreferencesCard::makeLanguageRow()
{
    auto* row = new QWidget;
    QHBoxLayout* layout = rowLayout(row);
    m_languageLabel = label(truneFont(12.5, QFont::Medium), TruneGlassTokens::textPrimary(), u"languageLabel"_s);
    m_languagePicker
        = new TruneLanguagePicker(m_viewModel.state().language, {.title = std::nullopt, .showTitle = false});
    m_languagePicker->setObjectName(u"languagePicker"_s);
    connect(m_languagePicker, &TruneLanguagePicker::languageSelected, this,
        [this](TruneLanguage language) { m_viewModel.setLanguage(language); });
    layout->addWidget(m_languageLabel);
    layout->addStretch(1);
    layout->addWidget(m_languagePicker);
    return row;
}

SettingsPreferencesCard::Toggle SettingsPreferencesCard::settingToggle(
    const QString& objectName, const QString& english, const QString& turkish, bool TruneUpdateConfig::*field)
{
    return {
        .objectName = objectName,
        .english = english,
        .turkish = turkish,
        .value = [field](const StudioState& state) { return state.config.*field; },
        .change
        = [this, field](
              bool on) { m_viewModel.updateConfig([field, on](TruneUpdateConfig& config) { config.*field = on; }); },
    };
}

void SettingsPreferencesCard::addToggles(QVBoxLayout* column)
{
    m_toggles = {
        {
            .objectName = u"launchAtLoginToggle"_s,
            .english = u"Launch TruneUpdate at Login"_s,
            .turkish = u"Oturum Açıldığında Başlat"_s,
            .value = [](const StudioState& state) { return state.launchAtLogin; },
            .change = [this](bool on) { m_viewModel.toggleLaunchAtLogin(on); },
        },
        settingToggle(u"watchTrashToggle"_s, StudioPlatformTexts::watchTrashToggle().english,
            StudioPlatformTexts::watchTrashToggle().turkish, &TruneUpdateConfig::watchTrashForLeftovers),
        settingToggle(u"prereleaseToggle"_s, u"Include prerelease/beta Sparkle builds"_s,
            u"Beta / ön sürüm Sparkle güncellemelerini dahil et"_s, &TruneUpdateConfig::includePrereleases),
        settingToggle(u"formulaeInBadgeToggle"_s, u"Include Homebrew CLI formulae in menu bar badge"_s,
            u"Menü çubuğu sayacına Homebrew CLI araçlarını ekle"_s, &TruneUpdateConfig::includeHomebrewFormulaeInBadge),
        settingToggle(u"autoCleanupToggle"_s, u"Auto-run brew cleanup after upgrades"_s,
            u"Yükseltme sonrası otomatik brew cleanup çalıştır"_s, &TruneUpdateConfig::autoCleanupAfterBrewUpgrade),
    };
    for (std::size_t index = 0; index < m_toggles.size(); ++index) {
        Toggle& toggle = m_toggles[index];
        toggle.box = new QCheckBox;
        toggle.box->setObjectName(toggle.objectName);
        toggle.box->setFont(truneFont(TruneTextStyle::body));
        syncColor(toggle.box, TruneGlassTokens::textPrimary());
        connect(toggle.box, &QCheckBox::clicked, this, [this, index](bool on) {
            m_toggles[index].change(on);
            // A refused change leaves the state as it was, which announces nothing: show it again.
            syncValues();
        });
        column->addWidget(toggle.box);
    }
}

QWidget* SettingsPreferencesCard::makeIntervalRow()
{
    auto* row = new QWidget;
    QHBoxLayout* layout = rowLayout(row);
    m_intervalLabel = label(truneFont(12.5, QFont::Medium), TruneGlassTokens::textPrimary(), u"intervalLabel"_s);
    m_intervalPicker = new QComboBox;
    m_intervalPicker->setObjectName(u"intervalPicker"_s);
    m_intervalPicker->setFixedWidth(intervalPickerWidth);
    for (const IntervalEntry& entry : intervalEntries())
        m_intervalPicker->addItem(entry.english, entry.hours);
    connect(m_intervalPicker, &QComboBox::activated, this, [this](int index) {
        const qint64 hours = m_intervalPicker->itemData(index).toLongLong();
        m_viewModel.updateConfig([hours](TruneUpdateConfig& config) { config.autoCheckIntervalHours = hours; });
        syncValues();
    });
    layout->addWidget(m_intervalLabel);
    layout->addStretch(1);
    layout->addWidget(m_intervalPicker);
    return row;
}

QWidget* SettingsPreferencesCard::makeHotkeyRow()
{
    auto* row = new QWidget;
    QHBoxLayout* layout = rowLayout(row);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_hotkeyTitle = label(truneFont(12.5, QFont::DemiBold), TruneGlassTokens::textPrimary(), u"hotkeyTitle"_s);
    m_hotkeySubtitle = label(truneFont(11), TruneGlassTokens::textSecondary(), u"hotkeySubtitle"_s, true);
    texts->addWidget(m_hotkeyTitle);
    texts->addWidget(m_hotkeySubtitle);

    auto* caps = new TruneRoundedPanel(7, TruneGlassTokens::surface2());
    auto* capsLayout = new QHBoxLayout(caps);
    capsLayout->setContentsMargins(10, 5, 10, 5);
    m_hotkeyCaps = label(
        truneFont(12, QFont::Bold, TruneFontDesign::monospaced), TruneGlassTokens::textMuted(), u"hotkeyCaps"_s);
    m_hotkeyCaps->setText(studioHotkey().toString(QKeySequence::NativeText));
    capsLayout->addWidget(m_hotkeyCaps);

    layout->addLayout(texts, 1);
    layout->addWidget(caps);
    return row;
}

void SettingsPreferencesCard::sync(StudioFields fields)
{
    if (fields.testFlag(StudioField::language))
        syncTexts();
    if (fields.testAnyFlags(StudioField::config | StudioField::launchAtLogin | StudioField::globalHotkeyRegistered
            | StudioField::language))
        syncValues();
}

void SettingsPreferencesCard::syncTexts()
{
    const auto t = [this](const QString& en, const QString& tr) { return m_viewModel.t(en, tr); };
    truneSetTextIfChanged(*m_title, t(u"Preferences & Automation"_s, u"Tercihler ve Otomasyon"_s));
    truneSetTextIfChanged(*m_languageLabel, t(u"Language"_s, u"Dil"_s));
    for (const Toggle& toggle : m_toggles) {
        if (const QString text = t(toggle.english, toggle.turkish); toggle.box->text() != text)
            toggle.box->setText(text);
    }
    truneSetTextIfChanged(*m_intervalLabel, t(u"Auto-check interval"_s, u"Otomatik denetim aralığı"_s));
    m_intervalPicker->setAccessibleName(m_intervalLabel->text());
    for (std::size_t index = 0; index < intervalEntries().size(); ++index) {
        const IntervalEntry& entry = intervalEntries()[index];
        if (const QString text = t(entry.english, entry.turkish); m_intervalPicker->itemText(int(index)) != text)
            m_intervalPicker->setItemText(int(index), text);
    }
    truneSetTextIfChanged(*m_hotkeyTitle, t(u"Global Quick Hotkey"_s, u"Global Hızlı Kısayol"_s));
    truneSetTextIfChanged(*m_hotkeySubtitle,
        t(u"Focus TruneUpdate Studio from any space"_s, u"Her ekrandan TruneUpdate stüdyosunu öne getirir"_s));
}

void SettingsPreferencesCard::syncValues()
{
    const StudioState& state = m_viewModel.state();
    if (m_languagePicker->language() != state.language)
        m_languagePicker->setLanguage(state.language);
    for (const Toggle& toggle : m_toggles) {
        const QSignalBlocker blocker(toggle.box);
        toggle.box->setChecked(toggle.value(state));
    }
    {
        // A stored period that is none of the entries selects none of them.
        const QSignalBlocker blocker(m_intervalPicker);
        const auto& entries = intervalEntries();
        const auto chosen = std::ranges::find(entries, state.config.autoCheckIntervalHours,
            [](const IntervalEntry& entry) { return qint64(entry.hours); });
        m_intervalPicker->setCurrentIndex(chosen == entries.end() ? -1 : int(chosen - entries.begin()));
    }
    syncColor(m_hotkeyCaps, state.globalHotkeyRegistered ? m_accent : TruneGlassTokens::textMuted());
}

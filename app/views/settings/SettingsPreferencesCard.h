#pragma once

#include "app/viewmodel/StudioState.h"

#include <QColor>
#include <QKeySequence>
#include <QWidget>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class TruneLanguagePicker;
class UpdateStudioViewModel;

// The Settings tab's "Preferences & Automation" card: the interface language, the five toggles,
// the automatic check interval and the global hot key with its registration shown by colour.
// Every control shows the view model's value and writes through its operations.
class SettingsPreferencesCard final : public QWidget {
    Q_OBJECT

public:
    // The entries of the interval picker, in menu order.
    struct IntervalEntry {
        int hours;
        QString english;
        QString turkish;
    };
    static const std::array<IntervalEntry, 5>& intervalEntries();

    // The studio's hot key, Option-Command-U, as this system writes keys.
    static QKeySequence studioHotkey();

    SettingsPreferencesCard(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);

private:
    struct Toggle {
        QString objectName;
        QString english;
        QString turkish;
        std::function<bool(const StudioState&)> value;
        std::function<void(bool)> change;
        QCheckBox* box = nullptr;
    };

    // A toggle of one of the settings record's switches.
    Toggle settingToggle(
        const QString& objectName, const QString& english, const QString& turkish, bool TruneUpdateConfig::*field);

    void addToggles(class QVBoxLayout* column);
    QWidget* makeLanguageRow();
    QWidget* makeIntervalRow();
    QWidget* makeHotkeyRow();
    void sync(StudioFields fields);
    void syncTexts();
    void syncValues();

    UpdateStudioViewModel& m_viewModel;
    QColor m_accent;
    QLabel* m_title = nullptr;
    QLabel* m_languageLabel = nullptr;
    TruneLanguagePicker* m_languagePicker = nullptr;
    std::vector<Toggle> m_toggles;
    QLabel* m_intervalLabel = nullptr;
    QComboBox* m_intervalPicker = nullptr;
    QLabel* m_hotkeyTitle = nullptr;
    QLabel* m_hotkeySubtitle = nullptr;
    QLabel* m_hotkeyCaps = nullptr;
};

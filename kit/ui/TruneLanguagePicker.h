#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QComboBox>

#include <optional>

class TruneLanguagePickerState;

// The interface-language picker: "System Language (...)", a separator, then every language by
// English name. Choosing an entry stores the preference and emits languageSelected(); the owner
// answers with setLanguage() to show the new language.
class TruneLanguagePicker final : public QComboBox {
    Q_OBJECT

public:
    struct Options {
        // "Language" in the picker's language when none is given.
        std::optional<QString> title = std::nullopt;
        // Without a shown title the picker keeps between 190 and 260 wide.
        bool showTitle = true;
    };

    explicit TruneLanguagePicker(TruneLanguage language, Options options, QWidget* parent = nullptr);

    TruneLanguage language() const { return m_language; }
    // The language shown as selected and the language of the picker's own texts.
    void setLanguage(TruneLanguage language);

    // The picker's accessible name; an owner that shows the title places it beside the picker
    // (a form row's label).
    QString title() const;
    bool showTitle() const { return m_showTitle; }
    const TruneLanguagePickerState& uiState() const { return *m_state; }

    // Re-reads the stored preference, as every appearance does.
    void syncFromDefaults();
    void showPopup() override;

signals:
    // The language the user chose; for the system entry, the system's language.
    void languageSelected(TruneLanguage language);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillEntries();
    void refreshTexts();
    void showCurrentSelection();
    void choose(int index);

    TruneLanguage m_language;
    std::optional<QString> m_title;
    bool m_showTitle;
    TruneLanguagePickerState* m_state;
};

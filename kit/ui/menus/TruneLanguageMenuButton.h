#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QToolButton>

class QMenu;
class TruneLanguagePickerState;

// A small globe capsule with the language's short code ("EN", "PT-PT" ...) that opens the same
// choices as TruneLanguagePicker, with a checkmark on the one in force.
class TruneLanguageMenuButton final : public QToolButton {
    Q_OBJECT

public:
    explicit TruneLanguageMenuButton(TruneLanguage language, QWidget* parent = nullptr);

    TruneLanguage language() const { return m_language; }
    void setLanguage(TruneLanguage language);
    const TruneLanguagePickerState& uiState() const { return *m_state; }

    // Re-reads the stored preference and brings the menu's texts and checkmarks up to date, as
    // every appearance of the button and of its menu does.
    void syncFromDefaults();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // The language the user chose; for the system entry, the system's language.
    void languageSelected(TruneLanguage language);

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildMenu();
    void refreshMenu();
    void refreshTexts();
    void chooseSystem();
    void chooseLanguage(TruneLanguage language);

    TruneLanguage m_language;
    TruneLanguagePickerState* m_state;
    QMenu* m_menu;
    QAction* m_systemAction = nullptr;
};

#pragma once

#include "kit/feedback/TruneFeedbackService.h"

#include <QAbstractButton>

enum class TruneFeedbackButtonStyle {
    compactIcon, // the symbol alone in a small capsule, for tight title bars
    labeledPill, // symbol and title in the glass button look
};

// One tap to the maker's feedback form: opens the web form in the default browser, pre-filled for
// the target's app, version, kind and language. Sends nothing itself and reports nothing; the
// browser is handed the form from a worker thread, so a click never waits for it.
class TruneFeedbackButton final : public QAbstractButton {
    Q_OBJECT

public:
    TruneFeedbackButton(TruneFeedbackTarget target, TruneFeedbackButtonStyle style, QWidget* parent = nullptr);

    const TruneFeedbackTarget& target() const { return m_target; }
    TruneFeedbackButtonStyle style() const { return m_style; }
    // Re-renders the title and help text, and sends the form in the new language.
    void setLanguage(TruneLanguage language);

    static QString symbolName();
    static QString title(TruneLanguage language);
    static QString helpText(TruneLanguage language);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void applyTexts();

    TruneFeedbackTarget m_target;
    TruneFeedbackButtonStyle m_style;
};

#pragma once

#include "kit/localization/TruneLanguage.h"
#include "kit/suite/TruneVirtualMemorySummary.h"

#include <QAbstractButton>
#include <QColor>

#include <functional>

// A small capsule for a window's header: a dot, a symbol and a one-line title of the memory
// summary ("VM: Pool 2.00 GB + Swap 1.00 GB"). A click runs `onTap`, or without one brings the
// Lumbra app to the front (starting it when installed). Hosts that poll a new summary hand it
// to setSummary.
class TruneVirtualMemoryHeaderPill final : public QAbstractButton {
    Q_OBJECT

public:
    TruneVirtualMemoryHeaderPill(const TruneVirtualMemorySummary& summary, TruneLanguage language,
        std::function<void()> onTap, QWidget* parent = nullptr);

    const TruneVirtualMemorySummary& summary() const { return m_summary; }
    void setSummary(const TruneVirtualMemorySummary& summary);

    // Critical pressure: danger; Lumbra's expansion active: violet; pressure warning: warning;
    // else swap cyan.
    static QColor tint(const TruneVirtualMemorySummary& summary);
    static QString symbolName(const TruneVirtualMemorySummary& summary);
    // "VM: <compact badge text>", or "VM ON" when that text is empty.
    static QString title(const TruneVirtualMemorySummary& summary, TruneLanguage language);
    static QString helpText(TruneLanguage language);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void activate();

    TruneVirtualMemorySummary m_summary;
    TruneLanguage m_language;
    std::function<void()> m_onTap;
};

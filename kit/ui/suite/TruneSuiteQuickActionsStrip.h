#pragma once

#include "kit/localization/TruneLanguage.h"
#include "kit/suite/HaltrixLiveStatus.h"
#include "kit/suite/TruneSuiteCommandBus.h"
#include "kit/suite/TruneVirtualMemorySummary.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QHBoxLayout;
class QScrollArea;

// A one-line, sideways-scrolling strip of small capsule buttons (chips) that send commands from
// the hosting app to Lumbra, Haltrix and Vantor through the shared suite bus. A group of chips
// is shown when its app is installed and is not the host; with no group the strip is empty and
// takes no room. After each chip the host gets, through `onFeedback`, the confirmation or why
// the command did not go through. Hosts hand new counts to setStatus.
class TruneSuiteQuickActionsStrip final : public QWidget {
    Q_OBJECT

public:
    struct Chip {
        TruneSuiteCommandKind kind;
        TruneSuiteApp target;
        QString symbol;
        QColor tint;
        bool emphasized = false;
        bool bringToFront = false;
        QString title;
        QString helpText;
        QString successText;

        bool operator==(const Chip&) const = default;
    };

    TruneSuiteQuickActionsStrip(TruneSuiteApp currentApp, const std::optional<TruneVirtualMemorySummary>& vmSummary,
        const std::optional<HaltrixLiveStatus>& haltrixStatus, TruneLanguage language, bool compact,
        std::function<void(const QString&)> onFeedback, QWidget* parent = nullptr);

    // Shows the new counts and asks again which apps are installed.
    void setStatus(const std::optional<TruneVirtualMemorySummary>& vmSummary,
        const std::optional<HaltrixLiveStatus>& haltrixStatus);
    // Commands go through this bus instead of the shared one (a host with a folder of its own).
    void setCommandBus(const TruneSuiteCommandBus& bus);

    // The chips to show, in order, for a host and what `isInstalled` says.
    static std::vector<Chip> chips(TruneSuiteApp currentApp, const std::optional<TruneVirtualMemorySummary>& vmSummary,
        const std::optional<HaltrixLiveStatus>& haltrixStatus, TruneLanguage language, bool compact,
        const std::function<bool(TruneSuiteApp)>& isInstalled);

    const std::vector<Chip>& shownChips() const { return m_chips; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();
    void rebuildRow();
    void trigger(const Chip& chip);

    TruneSuiteApp m_currentApp;
    std::optional<TruneVirtualMemorySummary> m_vmSummary;
    std::optional<HaltrixLiveStatus> m_haltrixStatus;
    TruneLanguage m_language;
    bool m_compact;
    std::function<void(const QString&)> m_onFeedback;
    std::optional<TruneSuiteCommandBus> m_bus;

    std::vector<Chip> m_chips;
    QScrollArea* m_scroll = nullptr;
};

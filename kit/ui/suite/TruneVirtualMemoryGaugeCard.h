#pragma once

#include "kit/localization/TruneLanguage.h"
#include "kit/suite/TruneSuiteCommandBus.h"
#include "kit/suite/TruneVirtualMemorySummary.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <optional>

class QBoxLayout;
class TruneCapsuleBadge;
class TruneGlassButton;

// One bar of the gauge card: a title and a value over a thin track filled to `fraction`.
class TruneVirtualMemoryGauge final : public QWidget {
    Q_OBJECT

public:
    explicit TruneVirtualMemoryGauge(QWidget* parent = nullptr);

    void setFigures(const QString& title, const QString& valueText, double fraction, const QColor& tint);

    const QString& title() const { return m_title; }
    const QString& valueText() const { return m_valueText; }
    double fraction() const { return m_fraction; } // 0...1
    const QColor& tint() const { return m_tint; }
    // Where the track lies and how wide its fill is at the current size.
    QRectF trackRect() const;
    qreal fillWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
    QString m_valueText;
    double m_fraction = 0;
    QColor m_tint;
};

// One figure tile of the gauge card: a label, a value in the tile's tint and an optional detail.
class TruneVirtualMemoryStatTile final : public QWidget {
    Q_OBJECT

public:
    explicit TruneVirtualMemoryStatTile(QWidget* parent = nullptr);

    // An empty detail shows no detail line.
    void setFigures(const QString& label, const QString& value, const QString& detail, const QColor& tint);

    const QString& label() const { return m_label; }
    const QString& value() const { return m_value; }
    const QString& detail() const { return m_detail; }
    const QColor& tint() const { return m_tint; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_label;
    QString m_value;
    QString m_detail;
    QColor m_tint;
};

// A glass card of the memory summary: a title with status badges, the commands that drive Lumbra
// (when it is installed), a gauge for physical memory and one for the virtual area (swap and
// Lumbra's expansion), and four figure tiles. Commands are sent from `sourceApp` through the
// shared suite bus; a sent offload or thaw hands its confirmation to `onFeedback`, a failure is
// not reported. Hosts that poll a new summary hand it to setSummary.
class TruneVirtualMemoryGaugeCard final : public QWidget {
    Q_OBJECT

public:
    TruneVirtualMemoryGaugeCard(const TruneVirtualMemorySummary& summary, TruneLanguage language,
        const QColor& accentColor, TruneSuiteApp sourceApp, std::function<void(const QString&)> onFeedback,
        QWidget* parent = nullptr);

    const TruneVirtualMemorySummary& summary() const { return m_summary; }
    // Shows the new figures and asks again whether Lumbra is installed.
    void setSummary(const TruneVirtualMemorySummary& summary);
    // Commands go through this bus instead of the shared one (a host with a folder of its own).
    void setCommandBus(const TruneSuiteCommandBus& bus);

    // Critical pressure: danger; Lumbra's expansion active: violet; swap in use: swap cyan; else
    // success. A warning pressure does not colour the card.
    static QColor statusTint(const TruneVirtualMemorySummary& summary);

private:
    QWidget* buildHeader();
    QWidget* buildGauges();
    QWidget* buildTiles();
    TruneGlassButton* addActionButton(TruneSuiteCommandKind kind, const QString& objectName);
    void sync();
    void syncBadges(const QColor& statusTint);
    void syncActions();
    void syncGauges(const QColor& statusTint);
    void syncTiles();
    void arrangeHeader();
    void send(TruneSuiteCommandKind kind);
    bool eventFilter(QObject* watched, QEvent* event) override;

    TruneVirtualMemorySummary m_summary;
    TruneLanguage m_language;
    QColor m_accentColor;
    TruneSuiteApp m_sourceApp;
    std::function<void(const QString&)> m_onFeedback;
    std::optional<TruneSuiteCommandBus> m_bus;

    QWidget* m_header = nullptr;
    QBoxLayout* m_headerLayout = nullptr;
    QWidget* m_badges = nullptr;
    TruneCapsuleBadge* m_title = nullptr;
    TruneCapsuleBadge* m_status = nullptr;
    TruneCapsuleBadge* m_lumbraLive = nullptr;
    TruneCapsuleBadge* m_effective = nullptr;
    QWidget* m_actions = nullptr;
    TruneGlassButton* m_offload = nullptr;
    TruneGlassButton* m_thaw = nullptr;
    TruneGlassButton* m_diskLab = nullptr;
    TruneVirtualMemoryGauge* m_physicalGauge = nullptr;
    TruneVirtualMemoryGauge* m_virtualGauge = nullptr;
    TruneVirtualMemoryStatTile* m_swapTile = nullptr;
    TruneVirtualMemoryStatTile* m_poolTile = nullptr;
    TruneVirtualMemoryStatTile* m_sparseTile = nullptr;
    TruneVirtualMemoryStatTile* m_ramDiskTile = nullptr;
};

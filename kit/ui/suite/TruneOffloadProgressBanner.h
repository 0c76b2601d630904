#pragma once

#include "kit/localization/TruneLanguage.h"
#include "kit/suite/LumbraLiveStatus.h"

#include <QColor>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;
class TruneCapsuleBadge;
class TruneElidedLabel;
class TruneSpinner;

// One memory-offload run of the Lumbra app as a banner: a step counter, the phase, a progress
// bar with its percentage and byte figures, an optional detail line, four step pills (not when
// compact), and a cancel button while the run is running (when `onCancel` is set) or a dismiss
// button once it is not (when `onDismiss` is set). Hosts hand every new record to setProgress.
class TruneOffloadProgressBanner final : public QWidget {
    Q_OBJECT

public:
    enum class StepState { pending, active, done };

    TruneOffloadProgressBanner(const LumbraOffloadLiveProgress& progress, TruneLanguage language, bool compact,
        std::function<void()> onCancel, std::function<void()> onDismiss, QWidget* parent = nullptr);

    const LumbraOffloadLiveProgress& progress() const { return m_progress; }
    void setProgress(const LumbraOffloadLiveProgress& progress);
    bool isCompact() const { return m_compact; }

    // Success once completed; else danger for a "critical" pressure, warning for "warning", and
    // Lumbra's violet for any other text.
    static QColor accentColor(const LumbraOffloadLiveProgress& progress);
    // The fraction as a whole percentage, halves away from zero, held within 0...100: a fraction
    // beyond 1 or below 0, or not a number, cannot make a percentage that says otherwise.
    static qint64 percent(double fractionCompleted);
    // "DONE", or "STEP <index>/<total>".
    static QString stepText(const LumbraOffloadLiveProgress& progress, TruneLanguage language);
    // The four pills, counted from 1.
    static QString stepTitle(int index, TruneLanguage language);
    static StepState stepState(const LumbraOffloadLiveProgress& progress, int index);

    // Where the progress track lies in the banner and how wide its fill is at the current size.
    QRectF progressTrackRect() const;
    qreal progressFillWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QHBoxLayout* buildHeader();
    QWidget* buildPills();
    void sync();
    void syncHeader(const QColor& accent);
    void syncDetail();
    void syncPills(const QColor& accent);

    LumbraOffloadLiveProgress m_progress;
    TruneLanguage m_language;
    bool m_compact;
    std::function<void()> m_onCancel;
    std::function<void()> m_onDismiss;

    TruneSpinner* m_spinner = nullptr;
    TruneCapsuleBadge* m_seal = nullptr;
    TruneCapsuleBadge* m_stepBadge = nullptr;
    TruneElidedLabel* m_phase = nullptr;
    QLabel* m_bytes = nullptr;
    QLabel* m_percent = nullptr;
    QAbstractButton* m_cancel = nullptr;
    QAbstractButton* m_dismiss = nullptr;
    QWidget* m_track = nullptr;
    QWidget* m_detail = nullptr;
    QList<TruneCapsuleBadge*> m_pills;
};

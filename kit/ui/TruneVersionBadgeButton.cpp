#include "kit/ui/TruneVersionBadgeButton.h"

#include "kit/localization/TruneText.h"
#include "kit/ui/TruneFeedbackButton.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneVersionAndLogsView.h"
#include "kit/ui/TruneVersionBadge.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

// The badge as a plain button: no chrome of its own, a focus ring when it has the keyboard.
class BadgeButton final : public QAbstractButton {
public:
    BadgeButton(const TruneAppVersion& version, bool showBuild)
        : m_badge(new TruneVersionBadge(version, showBuild, this))
    {
        m_badge->setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::TabFocus);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override { return m_badge->sizeHint(); }

protected:
    void resizeEvent(QResizeEvent*) override { m_badge->setGeometry(rect()); }

    void paintEvent(QPaintEvent*) override
    {
        if (!TruneGlassShapes::showsFocusRing(*this))
            return;
        QPainter painter(this);
        TruneGlassShapes::paintFocusRing(
            painter, QRectF(rect()), TruneGlassShapes::capsuleRadius, TruneGlassTokens::textPrimary());
    }

private:
    TruneVersionBadge* m_badge;
};

} // namespace

TruneVersionBadgeButton::TruneVersionBadgeButton(TruneVersionBadgeButtonOptions options, QWidget* parent)
    : QWidget(parent)
    , m_options(std::move(options))
    , m_badge(new BadgeButton(m_options.version, m_options.showBuild))
{
    if (!m_options.logger)
        m_options.logger = &TruneAppLogger::shared(m_options.appName);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(5);
    m_badge->setObjectName(u"versionBadgeButton"_s);
    m_badge->setToolTip(toolTipText());
    m_badge->setAccessibleName(toolTipText());
    connect(m_badge, &QAbstractButton::clicked, this, &TruneVersionBadgeButton::presentSheet);
    layout->addWidget(m_badge);
    if (m_options.showFeedbackButton) {
        auto* feedback = new TruneFeedbackButton({.appName = m_options.appName,
                                                     .version = m_options.version,
                                                     .kind = TruneFeedbackKind::feature,
                                                     .language = m_options.language,
                                                     .baseURL = std::nullopt},
            TruneFeedbackButtonStyle::compactIcon);
        feedback->setObjectName(u"versionBadgeFeedback"_s);
        layout->addWidget(feedback);
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString TruneVersionBadgeButton::toolTipText() const
{
    const TruneLanguage language = m_options.language;
    return truneText(u"Version "_s, u"Sürüm "_s, language) + m_options.version.detailedDisplay()
        + truneText(u" — Click to view Release History & Logs"_s, u" — Sürüm Geçmişi ve Logları görmek için tıklayın"_s,
            language);
}

void TruneVersionBadgeButton::presentSheet()
{
    if (m_sheet) {
        m_sheet->raise();
        m_sheet->activateWindow();
        return;
    }
    // The sheet belongs to the window, which may outlive this button.
    QPointer<TruneVersionBadgeButton> self(this);
    auto* sheet = new TruneVersionAndLogsView({.appName = m_options.appName,
                                                  .version = m_options.version,
                                                  .logger = m_options.logger,
                                                  .palette = m_options.palette,
                                                  .language = m_options.language,
                                                  .fallbackReleases = {},
                                                  .onClose =
                                                      [self] {
                                                          if (self)
                                                              self->m_sheet = nullptr;
                                                      },
                                                  .bundle = m_options.bundle},
        window());
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setMinimumSize(minimumSheetSize);
    m_sheet = sheet;
    sheet->open();
}

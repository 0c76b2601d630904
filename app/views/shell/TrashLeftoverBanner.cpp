#include "app/views/shell/TrashLeftoverBanner.h"

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

QColor warningAt(double opacity)
{
    QColor colour = TruneGlassTokens::warning();
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}

class WarningGlyph final : public QWidget {
public:
    explicit WarningGlyph(QWidget* parent)
        : QWidget(parent)
    {
        setFixedSize(14, 14);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        TruneSymbols::paint(painter, QRectF(rect()), u"exclamationmark.triangle.fill"_s, TruneGlassTokens::warning());
    }
};

} // namespace

TrashLeftoverBanner::TrashLeftoverBanner(UpdateStudioViewModel& viewModel, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_message(new QLabel(this))
    , m_reviewButton(new TrunePrimaryButton(QString(), this))
    , m_closeButton(new TruneGlassButton(QString(), false, this))
{
    setObjectName(u"trashBanner"_s);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(18, 9, 18, 9);
    row->setSpacing(12);
    row->addWidget(new WarningGlyph(this));

    m_message->setObjectName(u"trashBannerMessage"_s);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setFont(truneFont(12, QFont::Medium));
    QPalette palette = m_message->palette();
    palette.setColor(QPalette::WindowText, TruneGlassTokens::textPrimary());
    m_message->setPalette(palette);
    m_message->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    row->addWidget(m_message, 1);

    m_reviewButton->setObjectName(u"trashBannerReview"_s);
    row->addWidget(m_reviewButton);
    m_closeButton->setObjectName(u"trashBannerClose"_s);
    m_closeButton->setSymbol(u"xmark"_s);
    m_closeButton->setFont(truneFont(10.5, QFont::DemiBold));
    row->addWidget(m_closeButton);

    connect(m_reviewButton, &QAbstractButton::clicked, this, [this] {
        if (m_alert)
            m_viewModel.openTrashAlertInUninstaller(*m_alert);
    });
    connect(m_closeButton, &QAbstractButton::clicked, this, [this] {
        if (m_alert)
            m_viewModel.dismissTrashAlert(*m_alert);
    });
    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, [this](StudioFields fields) {
        if (fields.testAnyFlags(StudioField::trashAlerts | StudioField::language))
            sync();
    });
    sync();
}

QString TrashLeftoverBanner::message() const
{
    if (!m_alert)
        return {};
    return m_viewModel
        .t(u"'%1' was moved to Trash with %2 leftover files (%3) still in ~/Library."_s,
            u"'%1' Çöp Sepetine taşındı; ~/Library içinde %2 artık dosya (%3) kaldı."_s)
        .arg(m_alert->appName(), QString::number(m_alert->leftovers().size()),
            TruneByteFormatter::format(m_alert->totalSizeBytes()));
}

void TrashLeftoverBanner::sync()
{
    const std::vector<TrashLeftoverAlert>& alerts = m_viewModel.state().trashAlerts;
    if (alerts.empty())
        m_alert.reset();
    else
        m_alert = alerts.front();
    setVisible(m_alert.has_value());

    const QString text = message();
    if (m_message->text() != text)
        m_message->setText(text);
    const QString review = m_viewModel.t(u"Review & Clean"_s, u"İncele ve Temizle"_s);
    if (m_reviewButton->text() != review)
        m_reviewButton->setText(review);
    const QString close = m_viewModel.t(u"Close"_s, u"Kapat"_s);
    m_closeButton->setToolTip(close);
    m_closeButton->setAccessibleName(close);
}

void TrashLeftoverBanner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    painter.fillRect(bounds, warningAt(0.11));
    painter.fillRect(QRectF(0, bounds.height() - 0.5, bounds.width(), 0.5), warningAt(0.28));
}

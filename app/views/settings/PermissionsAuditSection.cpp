#include "app/views/settings/PermissionsAuditSection.h"

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/StudioGlassCard.h"
#include "app/views/parts/StudioPageParts.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSheetParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace StudioPageParts;

namespace {

constexpr int dotSize = 9;
constexpr int capsulePaddingX = 8;
constexpr int capsulePaddingY = 4;

QFont capsuleFont()
{
    return truneFont(11, QFont::DemiBold);
}

} // namespace

PermissionStatusDot::PermissionStatusDot(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(u"permissionDot"_s);
    setFixedSize(dotSize, dotSize);
}

void PermissionStatusDot::setColor(const QColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QSize PermissionStatusDot::sizeHint() const
{
    return {dotSize, dotSize};
}

void PermissionStatusDot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_color);
    painter.drawEllipse(QRectF(rect()));
}

PermissionStatusCapsule::PermissionStatusCapsule(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(u"permissionStatus"_s);
    setFont(capsuleFont());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PermissionStatusCapsule::setStatus(const QString& text, const QColor& color)
{
    if (text == m_text && color == m_color)
        return;
    m_text = text;
    m_color = color;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QSize PermissionStatusCapsule::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(m_text) + 2 * capsulePaddingX, metrics.height() + 2 * capsulePaddingY};
}

void PermissionStatusCapsule::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(TruneGlassShapes::capsule(QRectF(rect())), truneWithOpacity(m_color, 0.15));
    painter.setPen(m_color);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}

QColor PermissionsAuditSection::systemManagedColor()
{
    return QColor::fromRgb(92, 196, 255);
}

PermissionsAuditSection::PermissionsAuditSection(UpdateStudioViewModel& viewModel, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_title(label(truneFont(14, QFont::Bold), TruneGlassTokens::textPrimary(), u"permissionsTitle"_s))
    , m_subtitle(label(truneFont(11.5), TruneGlassTokens::textSecondary(), u"permissionsSubtitle"_s, true))
    , m_refreshButton(new TruneGlassButton(QString()))
    , m_rows{{{TruneSystemPermissionKind::accessibility}, {TruneSystemPermissionKind::screenRecording},
          {TruneSystemPermissionKind::systemAudio}}}
{
    setObjectName(u"permissionsAuditSection"_s);
    m_refreshButton->setObjectName(u"refreshPermissionsButton"_s);
    m_refreshButton->setSymbol(u"arrow.clockwise"_s);
    connect(m_refreshButton, &QAbstractButton::clicked, this, &PermissionsAuditSection::refresh);

    QVBoxLayout* column = installStudioGlassCard(*this, 16, 12);
    auto* header = new QHBoxLayout;
    auto* headings = new QVBoxLayout;
    headings->setSpacing(2);
    headings->addWidget(m_title);
    headings->addWidget(m_subtitle);
    header->addLayout(headings, 1);
    header->addWidget(m_refreshButton);
    column->addLayout(header);
    column->addWidget(divider(TruneGlassTokens::borderSubtle()));
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        if (index > 0)
            column->addWidget(divider(truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.6)));
        column->addWidget(makeRow(m_rows[index]));
    }

    sync(StudioField::language);
    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, &PermissionsAuditSection::sync);
}

QWidget* PermissionsAuditSection::makeRow(Row& row)
{
    auto* widget = new QWidget;
    widget->setObjectName(u"permissionRow_"_s + rawValue(row.kind));
    auto* layout = new QHBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    row.dot = new PermissionStatusDot;
    row.title = label(truneFont(13, QFont::DemiBold), TruneGlassTokens::textPrimary(), u"permissionTitle"_s);
    row.subtitle = label(truneFont(11.5), TruneGlassTokens::textSecondary(), u"permissionSubtitle"_s, true);
    row.status = new PermissionStatusCapsule;
    row.openSettings = new TruneGlassButton(QString());
    row.openSettings->setObjectName(u"openSettingsButton"_s);
    // Only some systems have a settings pane for a permission; elsewhere the button says why not.
    row.openSettings->setEnabled(settingsURL(row.kind).has_value());
    connect(row.openSettings, &QAbstractButton::clicked, this,
        [this, kind = row.kind] { m_viewModel.openPermissionSettings(kind); });

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(row.title);
    texts->addWidget(row.subtitle);
    layout->addWidget(row.dot);
    layout->addLayout(texts, 1);
    layout->addWidget(row.status);
    layout->addWidget(row.openSettings);
    return widget;
}

void PermissionsAuditSection::refresh()
{
    m_viewModel.refreshPermissions();
    m_viewModel.showToast(m_viewModel.t(u"Permissions refreshed."_s, u"İzin durumu yenilendi."_s), false);
}

void PermissionsAuditSection::sync(StudioFields fields)
{
    if (!fields.testAnyFlags(
            StudioField::language | StudioField::accessibilityGranted | StudioField::screenRecordingGranted))
        return;
    const auto t = [this](const QString& en, const QString& tr) { return m_viewModel.t(en, tr); };
    const StudioState& state = m_viewModel.state();
    truneSetTextIfChanged(
        *m_title, t(u"macOS System Permissions Health Audit"_s, u"macOS Sistem İzinleri Sağlık Denetimi"_s));
    truneSetTextIfChanged(*m_subtitle,
        t(u"Quickly inspect TCC permissions and jump straight to macOS Privacy & Security panes."_s,
            u"TCC gizlilik izinlerini denetleyin ve tek tıkla macOS Gizlilik ve Güvenlik panellerini açın."_s));
    truneSetTextIfChanged(*m_refreshButton, t(u"Refresh"_s, u"Yenile"_s));

    const auto grantText
        = [&](bool granted) { return granted ? t(u"Granted"_s, u"Verildi"_s) : t(u"Not Granted"_s, u"Verilmedi"_s); };
    const auto grantColor
        = [](bool granted) { return granted ? TruneGlassTokens::success() : TruneGlassTokens::warning(); };
    syncRow(m_rows[0], t(u"Accessibility"_s, u"Erişilebilirlik"_s),
        t(u"Used for window automation, app focus controls, and global UI helpers."_s,
            u"Pencere otomasyonu, odak kilidi ve global yardımcı işlemler için kullanılır."_s),
        grantText(state.accessibilityGranted), grantColor(state.accessibilityGranted));
    syncRow(m_rows[1], t(u"Screen Recording"_s, u"Ekran Kaydı"_s),
        t(u"Required by screen capture, OCR, and visual inspection tools across Quorvane."_s,
            u"Quorvane ekran yakalama, OCR ve görsel inceleme araçları için gereklidir."_s),
        grantText(state.screenRecordingGranted), grantColor(state.screenRecordingGranted));
    syncRow(m_rows[2], t(u"System Audio Capture"_s, u"Sistem Sesi Yakalama"_s),
        t(u"Managed per-app in macOS Privacy & Security → System Audio Recording Only."_s,
            u"macOS Gizlilik ve Güvenlik → Yalnızca Sistem Sesi Kaydı bölümünden yönetilir."_s),
        t(u"System Managed"_s, u"Sistem Yönetimli"_s), systemManagedColor());
}

void PermissionsAuditSection::syncRow(
    Row& row, const QString& title, const QString& subtitle, const QString& statusText, const QColor& statusColor)
{
    row.dot->setColor(statusColor);
    truneSetTextIfChanged(*row.title, title);
    truneSetTextIfChanged(*row.subtitle, subtitle);
    row.status->setStatus(statusText, statusColor);
    truneSetTextIfChanged(*row.openSettings, m_viewModel.t(u"Open Settings"_s, u"Ayarları Aç"_s));
    row.openSettings->setToolTip(row.openSettings->isEnabled()
            ? QString()
            : m_viewModel.t(u"No settings pane for this permission on this system."_s,
                u"Bu sistemde bu izin için bir ayar paneli yok."_s));
}

#include "app/views/uninstaller/UninstallerDropZone.h"

#include "app/views/parts/FitWrappedLabel.h"
#include "app/views/uninstaller/DroppedFileUrl.h"
#include "app/views/uninstaller/UninstallerViewState.h"
#include "kit/localization/TruneText.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSheetParts.h"
#include "kit/ui/TruneSymbols.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal cornerRadius = 14;
constexpr int iconPx = 28;
constexpr int cardPadding = 16;
// The left column's width less the card's padding.
constexpr int textWidth = 340 - 2 * cardPadding;

// The dashed ring over the card, drawn only while a usable drag hovers.
class DashedBorder final : public QWidget {
public:
    DashedBorder(const UninstallerViewState& uiState, QColor accent, QWidget* parent)
        : QWidget(parent)
        , m_uiState(uiState)
        , m_accent(std::move(accent))
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (!m_uiState.isDropTargeted())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(m_accent, 2, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setDashPattern({3, 2}); // 6 on, 4 off, in units of the line width
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.drawPath(TruneGlassShapes::roundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), cornerRadius - 1));
    }

private:
    const UninstallerViewState& m_uiState;
    QColor m_accent;
};

} // namespace

UninstallerDropZone::UninstallerDropZone(UninstallerViewState& uiState, const QColor& accent,
    std::function<bool(const QMimeData&)> handleDrop, QWidget* parent)
    : QWidget(parent)
    , m_uiState(uiState)
    , m_accent(accent)
    , m_handleDrop(std::move(handleDrop))
    , m_icon(new QLabel)
    , m_title(truneSheetLabel({}, truneFont(13, QFont::DemiBold), TruneGlassTokens::textPrimary(), u"dropZoneTitle"_s))
    , m_hint(truneSheetLabel({}, truneFont(11), TruneGlassTokens::textSecondary(), u"dropZoneHint"_s))
{
    setObjectName(u"uninstallerDropZone"_s);
    setAcceptDrops(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto* card = new TruneGlassCard(cardPadding, cornerRadius);
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 6, 0, 6);
    layout->setSpacing(8);
    m_icon->setObjectName(u"dropZoneIcon"_s);
    m_icon->setAlignment(Qt::AlignCenter);
    m_title->setAlignment(Qt::AlignCenter);
    m_hint->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_icon);
    layout->addWidget(m_title);
    layout->addWidget(m_hint);
    card->setContent(column);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(card);
    m_border = new DashedBorder(m_uiState, m_accent, this);
    m_border->raise();

    connect(&m_uiState, &UninstallerViewState::dropTargetedChanged, this, &UninstallerDropZone::showTargeted);
    showTargeted(m_uiState.isDropTargeted());
}

void UninstallerDropZone::setLanguage(TruneLanguage language)
{
    const QString title = truneText(u"Drop any .app here"_s, u"Herhangi bir .app dosyasını buraya bırakın"_s, language);
    const QString hint = truneText(u"Scans 10 ~/Library locations safely. System/Apple domains are always protected."_s,
        u"10 ~/Library klasörünü güvenle tarar. Apple sistem alanları daima korunur."_s, language);
    if (m_title->text() != title)
        m_title->setText(title);
    if (m_hint->text() != hint)
        m_hint->setText(hint);
    fitWrappedLabel(*m_title, textWidth);
    fitWrappedLabel(*m_hint, textWidth);
}

void UninstallerDropZone::showTargeted(bool targeted)
{
    const QColor color = targeted ? TruneGlassTokens::success() : m_accent;
    m_icon->setPixmap(TruneSymbols::pixmap(u"arrow.down.app.fill"_s, iconPx, color, devicePixelRatioF()));
    m_border->update();
}

void UninstallerDropZone::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_border->setGeometry(rect());
}

void UninstallerDropZone::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedFileUrl::localFileUriList(*event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_uiState.setDropTargeted(true);
}

void UninstallerDropZone::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_uiState.isDropTargeted())
        event->acceptProposedAction();
    else
        event->ignore();
}

void UninstallerDropZone::dragLeaveEvent(QDragLeaveEvent* event)
{
    m_uiState.setDropTargeted(false);
    QWidget::dragLeaveEvent(event);
}

void UninstallerDropZone::dropEvent(QDropEvent* event)
{
    m_uiState.setDropTargeted(false);
    if (m_handleDrop(*event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

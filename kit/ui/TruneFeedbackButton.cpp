#include "kit/ui/TruneFeedbackButton.h"

#include "kit/localization/TruneText.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QThreadPool>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The compact capsule: a 10 px semibold symbol padded 6.5 on the sides and 3 above and below.
constexpr qreal compactHorizontalPadding = 6.5;
constexpr qreal compactVerticalPadding = 3;

qreal compactSymbolSize(const QFont& font)
{
    return std::round(QFontMetricsF(font).height());
}

} // namespace

TruneFeedbackButton::TruneFeedbackButton(TruneFeedbackTarget target, TruneFeedbackButtonStyle style, QWidget* parent)
    : QAbstractButton(parent)
    , m_target(std::move(target))
    , m_style(style)
{
    setFocusPolicy(Qt::TabFocus);
    if (m_style == TruneFeedbackButtonStyle::compactIcon) {
        setFont(truneFont(10, QFont::DemiBold));
        // Never squeezed by a narrow title bar, never stretched by a wide one.
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    } else {
        setFont(truneFont(TruneTextStyle::caption, QFont::Medium));
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    applyTexts();
    // Resolving the address reads the user defaults and the system's name, and the browser starts
    // as a process: none of that belongs on the GUI thread.
    connect(this, &QAbstractButton::clicked, this, [this] {
        QThreadPool::globalInstance()->start([target = m_target] { TruneFeedbackService::openInBrowser(target); });
    });
}

void TruneFeedbackButton::setLanguage(TruneLanguage language)
{
    if (language == m_target.language)
        return;
    m_target.language = language;
    applyTexts();
}

QString TruneFeedbackButton::symbolName()
{
    return u"bubble.left.and.exclamationmark.bubble.right"_s;
}

QString TruneFeedbackButton::title(TruneLanguage language)
{
    return truneText(u"Send Feedback & Ideas"_s, u"Geri Bildirim & Fikir Gönder"_s, language);
}

QString TruneFeedbackButton::helpText(TruneLanguage language)
{
    return truneText(u"Listening to you — Report a bug or share an idea"_s,
        u"Sizi dinliyoruz — Hata bildir veya fikir paylaş"_s, language);
}

void TruneFeedbackButton::applyTexts()
{
    const QString help = helpText(m_target.language);
    setToolTip(help);
    if (m_style == TruneFeedbackButtonStyle::compactIcon) {
        // No visible words: the help text is what a screen reader announces.
        setAccessibleName(help);
    } else {
        setText(title(m_target.language));
        setAccessibleName(text());
    }
    updateGeometry();
    update();
}

QSize TruneFeedbackButton::sizeHint() const
{
    if (m_style == TruneFeedbackButtonStyle::labeledPill)
        return TruneGlassButtonLook::sizeHint(*this, symbolName());
    const qreal symbol = compactSymbolSize(font());
    return {static_cast<int>(std::ceil(symbol + 2 * compactHorizontalPadding)),
        static_cast<int>(std::ceil(symbol + 2 * compactVerticalPadding))};
}

QSize TruneFeedbackButton::minimumSizeHint() const
{
    return sizeHint();
}

bool TruneFeedbackButton::hitButton(const QPoint& pos) const
{
    if (m_style == TruneFeedbackButtonStyle::labeledPill)
        return TruneGlassButtonLook::hitButton(*this, pos);
    return TruneGlassShapes::capsule(QRectF(rect())).contains(QPointF(pos));
}

void TruneFeedbackButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_style == TruneFeedbackButtonStyle::labeledPill) {
        TruneGlassButtonLook::paint(painter, *this, false, symbolName());
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    TruneGlassShapes::paintGlassShape(painter, bounds, TruneGlassShapes::capsuleRadius, TruneGlassTokens::surface2(),
        TruneGlassTokens::borderSubtle());
    const qreal size = compactSymbolSize(font());
    TruneSymbols::paint(painter, QRectF(bounds.center().x() - size / 2, bounds.center().y() - size / 2, size, size),
        symbolName(), TruneGlassTokens::textSecondary());
    if (TruneGlassShapes::showsFocusRing(*this))
        TruneGlassShapes::paintFocusRing(
            painter, bounds, TruneGlassShapes::capsuleRadius, TruneGlassTokens::textPrimary());
}

#include "kit/ui/menus/TruneLanguageMenuButton.h"

#include "kit/localization/TruneText.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneLanguagePickerState.h"
#include "kit/ui/TruneSymbols.h"

#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal horizontalPadding = 8;
constexpr qreal verticalPadding = 4;
constexpr qreal spacing = 4;
constexpr qreal glyphSize = 11;

QFont codeFont()
{
    return truneFont(11, QFont::DemiBold, TruneFontDesign::rounded);
}

} // namespace

TruneLanguageMenuButton::TruneLanguageMenuButton(TruneLanguage language, QWidget* parent)
    : QToolButton(parent)
    , m_language(language)
    , m_state(new TruneLanguagePickerState(this))
    , m_menu(new QMenu(this))
{
    setAutoRaise(true);
    setFocusPolicy(Qt::TabFocus);
    setPopupMode(QToolButton::InstantPopup);
    setFont(codeFont());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setText(m_language.shortCode());
    buildMenu();
    setMenu(m_menu);
    refreshTexts();
    connect(m_menu, &QMenu::aboutToShow, this, &TruneLanguageMenuButton::syncFromDefaults);
}

void TruneLanguageMenuButton::setLanguage(TruneLanguage language)
{
    m_language = language;
    setText(m_language.shortCode());
    refreshTexts();
    refreshMenu();
    updateGeometry();
    update();
}

void TruneLanguageMenuButton::syncFromDefaults()
{
    m_state->syncFromDefaults();
    refreshMenu();
}

QSize TruneLanguageMenuButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal width = horizontalPadding + glyphSize + spacing + metrics.horizontalAdvance(text()) + horizontalPadding;
    const qreal height = verticalPadding + std::max(metrics.height(), glyphSize) + verticalPadding;
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

QSize TruneLanguageMenuButton::minimumSizeHint() const
{
    return sizeHint();
}

void TruneLanguageMenuButton::showEvent(QShowEvent* event)
{
    syncFromDefaults();
    QToolButton::showEvent(event);
}

void TruneLanguageMenuButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());

    const QColor& border
        = TruneGlassShapes::showsFocusRing(*this) ? TruneGlassTokens::borderStrong() : TruneGlassTokens::borderSubtle();
    TruneGlassShapes::paintGlassShape(
        painter, bounds, TruneGlassShapes::capsuleRadius, TruneGlassTokens::surface2(), border);

    const QRectF content = bounds.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    const QRectF glyph(content.left(), content.center().y() - glyphSize / 2, glyphSize, glyphSize);
    TruneSymbols::paint(painter, glyph, u"globe"_s, TruneGlassTokens::textPrimary());

    painter.setPen(TruneGlassTokens::textPrimary());
    painter.drawText(content.adjusted(glyphSize + spacing, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text());
}

void TruneLanguageMenuButton::buildMenu()
{
    m_systemAction = m_menu->addAction(QString(), this, &TruneLanguageMenuButton::chooseSystem);
    m_menu->addSeparator();
    for (const TruneLanguage language : TruneLanguage::sortedCases()) {
        QAction* action
            = m_menu->addAction(language.displayName(), this, [this, language] { chooseLanguage(language); });
        action->setData(language.rawValue());
    }
    refreshMenu();
}

void TruneLanguageMenuButton::refreshMenu()
{
    const bool following = m_state->isFollowingSystem();
    const QIcon checkmark = TruneSymbols::icon(u"checkmark"_s, m_menu->palette().color(QPalette::WindowText));
    const auto markIf = [&checkmark](QAction* action, bool inForce) { action->setIcon(inForce ? checkmark : QIcon()); };
    m_systemAction->setText(truneSystemLanguageEntryLabel(m_language));
    for (QAction* action : m_menu->actions()) {
        if (action == m_systemAction)
            markIf(action, following);
        else if (!action->isSeparator())
            markIf(action, !following && action->data().toString() == m_language.rawValue());
    }
}

void TruneLanguageMenuButton::refreshTexts()
{
    const QString label = truneText(u"Language"_s, u"Dil"_s, m_language);
    setToolTip(label);
    setAccessibleName(label);
}

void TruneLanguageMenuButton::chooseSystem()
{
    const QPointer<TruneLanguageMenuButton> self(this);
    m_state->chooseSystem([this](TruneLanguage chosen) { emit languageSelected(chosen); });
    if (self)
        refreshMenu();
}

void TruneLanguageMenuButton::chooseLanguage(TruneLanguage language)
{
    const QPointer<TruneLanguageMenuButton> self(this);
    m_state->chooseLanguage(language, [this](TruneLanguage chosen) { emit languageSelected(chosen); });
    if (self)
        refreshMenu();
}

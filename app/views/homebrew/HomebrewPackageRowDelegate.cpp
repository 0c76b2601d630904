#include "app/views/homebrew/HomebrewPackageRowDelegate.h"

#include "app/models/HomebrewPackagesListModel.h"
#include "app/viewmodel/StudioWebLink.h"
#include "app/views/parts/StudioListViewStyle.h"
#include "kit/localization/TruneText.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal horizontalPadding = 16;
constexpr qreal verticalPadding = 9.5;
constexpr qreal columnSpacing = 12;
constexpr qreal minimumSpacer = 10;
constexpr qreal buttonSpacing = 6;
constexpr qreal tileSize = 30;
constexpr qreal tileRadius = 7.5;
constexpr qreal tileSymbolSize = 14.5;
constexpr qreal nameSpacing = 7;
constexpr qreal lineSpacing = 2.5;
constexpr qreal versionSpacing = 5;
constexpr qreal arrowSize = 9.5;
constexpr qreal separatorHeight = 0.5;

const QString emDash = u"\u2014"_s;

QFont fullNameFont()
{
    return truneFont(13, QFont::DemiBold);
}
QFont secondaryNameFont()
{
    return truneFont(10.5, QFont::Normal, TruneFontDesign::monospaced);
}
QFont kindTagFont()
{
    return truneFont(9.5, QFont::Medium);
}
QFont dependencyTagFont()
{
    return truneFont(9, QFont::Medium);
}
QFont descriptionFont()
{
    return truneFont(11.5);
}
QFont installedVersionFont()
{
    return truneFont(11.5, QFont::Normal, TruneFontDesign::monospaced);
}
QFont latestVersionFont()
{
    return truneFont(12, QFont::DemiBold, TruneFontDesign::monospaced);
}
QFont currentVersionFont()
{
    return truneFont(12, QFont::Normal, TruneFontDesign::monospaced);
}

// A capsule tag: its text padded on each side.
struct Tag {
    QString text;
    QFont font;
    QMarginsF padding;
    QColor textColor;
    QColor fill;

    QSizeF size() const
    {
        const QFontMetricsF metrics(font);
        return {metrics.horizontalAdvance(text) + padding.left() + padding.right(),
            metrics.height() + padding.top() + padding.bottom()};
    }

    void paint(QPainter& painter, const QPointF& topLeft) const
    {
        const QRectF bounds(topLeft, size());
        painter.fillPath(TruneGlassShapes::capsule(bounds), fill);
        painter.setFont(font);
        painter.setPen(textColor);
        painter.drawText(bounds.marginsRemoved(padding), Qt::AlignCenter | Qt::TextSingleLine, text);
    }
};

Tag kindTag(const QString& text, const QColor& kindColor)
{
    QColor ink = kindColor;
    ink.setAlphaF(float(kindColor.alphaF() * 0.92));
    QColor fill = kindColor;
    fill.setAlphaF(float(kindColor.alphaF() * 0.11));
    return {text, kindTagFont(), QMarginsF(6, 2, 6, 2), ink, fill};
}

Tag dependencyTag(const QString& text)
{
    return {text, dependencyTagFont(), QMarginsF(5.5, 2, 5.5, 2), TruneGlassTokens::textMuted(),
        truneColor(0xFFFFFF, 0.06)};
}

// Tall enough for any of the first line's texts, so every row's names sit alike.
qreal lineOneHeight()
{
    return std::max({QFontMetricsF(fullNameFont()).height(), QFontMetricsF(secondaryNameFont()).height(),
        kindTag(u"Cask"_s, Qt::white).size().height()});
}

qreal textColumnHeight(bool hasDescription)
{
    return lineOneHeight() + (hasDescription ? lineSpacing + QFontMetricsF(descriptionFont()).height() : 0);
}

QFontMetricsF versionMetrics(const QStringList& version, qsizetype part)
{
    if (version.size() == 1)
        return QFontMetricsF(currentVersionFont());
    return QFontMetricsF(part == 0 ? installedVersionFont() : latestVersionFont());
}

qreal versionBlockWidth(const QStringList& version)
{
    qreal width = 0;
    for (qsizetype part = 0; part < version.size(); ++part)
        width += versionMetrics(version, part).horizontalAdvance(version[part]);
    if (version.size() == 2)
        width += versionSpacing + arrowSize + versionSpacing;
    return width;
}

// The row without its separator line.
QRectF contentRect(const QRect& rowRect)
{
    QRectF row(rowRect);
    row.setHeight(row.height() - separatorHeight);
    return row;
}

void drawLine(QPainter& painter, const QFont& font, const QColor& color, const QRectF& box, const QString& text)
{
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

} // namespace

HomebrewPackageRowDelegate::HomebrewPackageRowDelegate(const QColor& accent, QObject* parent)
    : QStyledItemDelegate(parent)
    , m_accent(accent)
    , m_primaryLook(std::make_unique<TrunePrimaryButton>(QString()))
    , m_glassLook(std::make_unique<TruneGlassButton>(QString()))
{
}

HomebrewPackageRowDelegate::~HomebrewPackageRowDelegate() = default;

void HomebrewPackageRowDelegate::setLanguage(TruneLanguage language)
{
    m_language = language;
}

void HomebrewPackageRowDelegate::setBrewCommandRunning(bool running)
{
    m_brewCommandRunning = running;
}

QString HomebrewPackageRowDelegate::text(const QString& english, const QString& turkish) const
{
    return truneText(english, turkish, m_language);
}

QColor HomebrewPackageRowDelegate::caskOrange()
{
    return truneColor(0xFFA95C);
}

HomebrewPackageRowDelegate::RowTexts HomebrewPackageRowDelegate::rowTexts(const HomebrewItem& item) const
{
    RowTexts texts{
        .fullName = item.fullName,
        .secondaryName = item.fullName != item.name ? item.name : QString(),
        .kindTag = item.isCask ? u"Cask"_s : u"Formula"_s,
        .dependencyTag = item.isDependencyOnly() ? text(u"Dep"_s, u"Bağımlılık"_s) : QString(),
        .description = item.description,
        .version = {},
    };
    if (item.isInstalled && item.isOutdated)
        texts.version = {item.installedVersion.value_or(emDash), item.latestVersion};
    else if (item.isInstalled)
        texts.version = {item.installedVersion.value_or(item.latestVersion)};
    return texts;
}

QColor HomebrewPackageRowDelegate::kindColor(const HomebrewItem& item) const
{
    return item.isCask ? caskOrange() : m_accent;
}

QString HomebrewPackageRowDelegate::buttonText(RowButton button) const
{
    switch (button) {
    case RowButton::upgrade:
        return text(u"Upgrade"_s, u"Yükselt"_s);
    case RowButton::install:
        return text(u"Install"_s, u"Kur"_s);
    case RowButton::homePage:
    case RowButton::uninstall:
        break;
    }
    return {};
}

// The hidden button dressed as `button`, sized to its content.
QAbstractButton& HomebrewPackageRowDelegate::lookOf(RowButton button) const
{
    QAbstractButton* look = nullptr;
    if (button == RowButton::upgrade || button == RowButton::install) {
        look = m_primaryLook.get();
    } else {
        m_glassLook->setSymbol(button == RowButton::homePage ? u"safari"_s : u"trash"_s);
        look = m_glassLook.get();
    }
    look->setText(buttonText(button));
    look->resize(look->sizeHint());
    return *look;
}

std::vector<HomebrewPackageRowDelegate::ButtonPlace> HomebrewPackageRowDelegate::buttonsOf(
    const HomebrewItem& item, const QRect& rowRect) const
{
    std::vector<RowButton> buttons;
    if (studioWebLink(item.homepage))
        buttons.push_back(RowButton::homePage);
    if (item.isInstalled) {
        if (item.isOutdated)
            buttons.push_back(RowButton::upgrade);
        buttons.push_back(RowButton::uninstall);
    } else {
        buttons.push_back(RowButton::install);
    }

    const QRectF row = contentRect(rowRect);
    std::vector<ButtonPlace> places(buttons.size(), ButtonPlace{});
    qreal right = row.right() - horizontalPadding;
    for (size_t i = buttons.size(); i-- > 0;) {
        const QSize size = lookOf(buttons[i]).size();
        const qreal left = right - size.width();
        const QRectF rect(left, row.center().y() - size.height() / 2.0, size.width(), size.height());
        places[i] = {buttons[i], rect.toAlignedRect(), buttons[i] == RowButton::homePage || !m_brewCommandRunning};
        right = left - buttonSpacing;
    }
    return places;
}

std::optional<HomebrewPackageRowDelegate::ButtonPlace> HomebrewPackageRowDelegate::buttonAt(
    const HomebrewItem& item, const QRect& rowRect, const QPoint& position) const
{
    for (const ButtonPlace& place : buttonsOf(item, rowRect)) {
        if (place.rect.contains(position))
            return place;
    }
    return std::nullopt;
}

QSize HomebrewPackageRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return {option.rect.width(), rowHeight()};
}

// As tall as a row with a description and the tallest button, worked out once: the list asks for
// it on every layout, and the buttons' looks lend their height only by laying themselves out.
int HomebrewPackageRowDelegate::rowHeight() const
{
    if (!m_rowHeight) {
        qreal content = std::max(tileSize, textColumnHeight(true));
        for (const RowButton button : {RowButton::upgrade, RowButton::uninstall})
            content = std::max<qreal>(content, lookOf(button).height());
        m_rowHeight = int(std::ceil(content + 2 * verticalPadding + separatorHeight));
    }
    return *m_rowHeight;
}

void HomebrewPackageRowDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* model = qobject_cast<const HomebrewPackagesListModel*>(index.model());
    const HomebrewItem* item = model ? model->itemAt(index) : nullptr;
    if (!item)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF row = contentRect(option.rect);

    if (item->isOutdated) {
        QColor tint = m_accent;
        tint.setAlphaF(float(m_accent.alphaF() * 0.05));
        painter->fillRect(row, tint);
    }
    if (option.state.testFlag(QStyle::State_HasFocus))
        paintCurrentRowMark(*painter, row, m_accent);

    const QRectF tile(row.left() + horizontalPadding, row.center().y() - tileSize / 2, tileSize, tileSize);
    painter->fillPath(TruneGlassShapes::roundedRect(tile, tileRadius), truneColor(0xFFFFFF, 0.06));
    const QRectF glyph(
        tile.center() - QPointF(tileSymbolSize / 2, tileSymbolSize / 2), QSizeF(tileSymbolSize, tileSymbolSize));
    TruneSymbols::paint(*painter, glyph, item->isCask ? u"macwindow"_s : u"terminal"_s, kindColor(*item));

    const std::vector<ButtonPlace> buttons = buttonsOf(*item, option.rect);
    for (const ButtonPlace& place : buttons)
        paintButton(*painter, place);

    const RowTexts texts = rowTexts(*item);
    qreal textRight = buttons.front().rect.left() - columnSpacing;
    if (!texts.version.isEmpty())
        textRight = paintVersionBlock(*painter, texts.version, row, textRight) - columnSpacing;
    textRight -= minimumSpacer + columnSpacing;
    const qreal textLeft = tile.right() + columnSpacing;
    paintTextColumn(
        *painter, *item, texts, QRectF(textLeft, row.top(), std::max<qreal>(0, textRight - textLeft), row.height()));

    QColor separator = TruneGlassTokens::borderSubtle();
    separator.setAlphaF(float(separator.alphaF() * 0.4));
    painter->fillRect(QRectF(row.left(), row.bottom(), row.width(), separatorHeight), separator);
    painter->restore();
}

void HomebrewPackageRowDelegate::paintTextColumn(
    QPainter& painter, const HomebrewItem& item, const RowTexts& texts, const QRectF& column) const
{
    const qreal lineOne = lineOneHeight();
    const qreal top = column.center().y() - textColumnHeight(!texts.description.isEmpty()) / 2;

    const Tag kind = kindTag(texts.kindTag, kindColor(item));
    std::optional<Tag> dependency;
    if (!texts.dependencyTag.isEmpty())
        dependency = dependencyTag(texts.dependencyTag);

    // The tags keep their size; the names share what is left, the full name first.
    qreal tagsWidth = nameSpacing + kind.size().width();
    if (dependency)
        tagsWidth += nameSpacing + dependency->size().width();
    const QFontMetricsF fullNameMetrics(fullNameFont());
    const QFontMetricsF secondaryMetrics(secondaryNameFont());
    const qreal namesRoom = std::max<qreal>(0, column.width() - tagsWidth);
    qreal secondaryWidth = 0;
    if (!texts.secondaryName.isEmpty())
        secondaryWidth = std::min(secondaryMetrics.horizontalAdvance(texts.secondaryName), namesRoom / 3);
    const qreal fullNameRoom = std::max<qreal>(0, namesRoom - (secondaryWidth > 0 ? secondaryWidth + nameSpacing : 0));
    const QString fullName = fullNameMetrics.elidedText(texts.fullName, Qt::ElideRight, fullNameRoom);

    const qreal lineMiddle = top + lineOne / 2;
    qreal x = column.left();
    const qreal fullNameWidth = fullNameMetrics.horizontalAdvance(fullName);
    drawLine(
        painter, fullNameFont(), TruneGlassTokens::textPrimary(), QRectF(x, top, fullNameWidth + 1, lineOne), fullName);
    x += fullNameWidth;
    if (secondaryWidth > 0) {
        x += nameSpacing;
        const QString name = secondaryMetrics.elidedText(texts.secondaryName, Qt::ElideRight, secondaryWidth);
        drawLine(painter, secondaryNameFont(), TruneGlassTokens::textMuted(),
            QRectF(x, top, secondaryWidth + 1, lineOne), name);
        x += secondaryMetrics.horizontalAdvance(name);
    }
    x += nameSpacing;
    kind.paint(painter, QPointF(x, lineMiddle - kind.size().height() / 2));
    x += kind.size().width();
    if (dependency) {
        x += nameSpacing;
        dependency->paint(painter, QPointF(x, lineMiddle - dependency->size().height() / 2));
    }

    if (texts.description.isEmpty())
        return;
    const QFontMetricsF descriptionMetrics(descriptionFont());
    const QString oneLine = QString(texts.description).replace(u'\n', u' ').replace(u'\r', u' ');
    const QRectF descriptionBox(
        column.left(), top + lineOne + lineSpacing, column.width(), descriptionMetrics.height());
    drawLine(painter, descriptionFont(), TruneGlassTokens::textSecondary(), descriptionBox,
        descriptionMetrics.elidedText(oneLine, Qt::ElideRight, column.width()));
}

qreal HomebrewPackageRowDelegate::paintVersionBlock(
    QPainter& painter, const QStringList& version, const QRectF& row, qreal right) const
{
    const qreal left = right - versionBlockWidth(version);
    const qreal lineHeight = QFontMetricsF(latestVersionFont()).height();
    const QRectF line(left, row.center().y() - lineHeight / 2, right - left + 1, lineHeight);
    if (version.size() == 1) {
        drawLine(painter, currentVersionFont(), TruneGlassTokens::textSecondary(), line, version[0]);
        return left;
    }
    qreal x = left;
    const qreal installedWidth = versionMetrics(version, 0).horizontalAdvance(version[0]);
    drawLine(painter, installedVersionFont(), TruneGlassTokens::textMuted(),
        QRectF(x, line.top(), installedWidth + 1, lineHeight), version[0]);
    x += installedWidth + versionSpacing;
    TruneSymbols::paint(painter, QRectF(x, line.center().y() - arrowSize / 2, arrowSize, arrowSize), u"arrow.right"_s,
        TruneGlassTokens::warning());
    x += arrowSize + versionSpacing;
    drawLine(painter, latestVersionFont(), TruneGlassTokens::success(),
        QRectF(x, line.top(), right - x + 1, lineHeight), version[1]);
    return left;
}

// The kit's own button, drawn off screen at the painter's pixel ratio and laid into the row.
void HomebrewPackageRowDelegate::paintButton(QPainter& painter, const ButtonPlace& place) const
{
    QAbstractButton& look = lookOf(place.button);
    look.setEnabled(place.enabled);
    look.resize(place.rect.size());
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QPixmap image(QSize(int(std::ceil(place.rect.width() * ratio)), int(std::ceil(place.rect.height() * ratio))));
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    look.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.drawPixmap(place.rect.topLeft(), image);
}

bool HomebrewPackageRowDelegate::editorEvent(
    QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const auto* packages = qobject_cast<const HomebrewPackagesListModel*>(model);
    const HomebrewItem* item = packages ? packages->itemAt(index) : nullptr;
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (!item || (!press && event->type() != QEvent::MouseButtonRelease))
        return QStyledItemDelegate::editorEvent(event, model, option, index);

    const auto* mouse = static_cast<QMouseEvent*>(event);
    const std::optional<ButtonPlace> place
        = mouse->button() == Qt::LeftButton ? buttonAt(*item, option.rect, mouse->position().toPoint()) : std::nullopt;
    if (press) {
        m_pressedIndex = index;
        m_pressedButton = place && place->enabled ? std::optional(place->button) : std::nullopt;
        return place.has_value();
    }
    const bool clicked = place && place->enabled && m_pressedButton == place->button && m_pressedIndex == index;
    m_pressedIndex = QPersistentModelIndex();
    m_pressedButton.reset();
    if (clicked)
        emit buttonClicked(place->button, index.row());
    return place.has_value();
}

bool HomebrewPackageRowDelegate::helpEvent(
    QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const auto* model = qobject_cast<const HomebrewPackagesListModel*>(index.model());
    const HomebrewItem* item = model ? model->itemAt(index) : nullptr;
    if (!item || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);

    QString tip;
    if (const std::optional<ButtonPlace> place = buttonAt(*item, option.rect, event->pos())) {
        if (place->button == RowButton::homePage)
            tip = item->homepage.value_or(QString()).toHtmlEscaped();
        else if (place->button == RowButton::uninstall)
            tip = text(u"Uninstall via Homebrew"_s, u"Homebrew ile Kaldır"_s);
    }
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), tip, view->viewport());
    return true;
}

#include "app/views/apps/AppRowDelegate.h"

#include "app/views/parts/AppIconThumbnail.h"
#include "app/views/parts/ArchitectureBadge.h"
#include "app/views/parts/OriginPillBadge.h"
#include "app/views/parts/StudioListViewStyle.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/localization/TruneText.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QToolTip>

#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal horizontalPadding = 16;
constexpr qreal verticalPadding = 9.5;
constexpr qreal rowSpacing = 12;
constexpr qreal iconSize = 34;
constexpr qreal nameLineSpacing = 7;
constexpr qreal detailLineSpacing = 8;
constexpr qreal identitySpacing = 2.5;
constexpr qreal minimumVersionGap = 10;
constexpr qreal arrowSpacing = 5;
constexpr qreal actionSpacing = 6;
constexpr qreal menuWidth = 28;
constexpr qreal menuSymbolSize = 14;
constexpr qreal menuPadding = 6;
constexpr qreal arrowSymbolSize = 9.5;
constexpr qreal hairlineHeight = 0.5;
// A long version string may take at most this share of the row; the identity column shrinks first.
constexpr qreal versionColumnShare = 0.3;
// The row pictures kept cover this many views full of rows.
constexpr int picturedViews = 2;

constexpr std::array allButtons{
    AppRowButton::update, AppRowButton::releaseNotes, AppRowButton::uninstall, AppRowButton::menu};

const QString emDash = u"—"_s;

QString sizeText(qint64 bytes)
{
    return bytes >= 1 ? TruneByteFormatter::format(bytes) : emDash;
}

QString identifierText(const InstalledAppRecord& app)
{
    return app.bundleID.isEmpty() ? app.path : app.bundleID;
}

bool showsVersionArrow(const AppsListRow& row)
{
    return row.actionable && row.app.latestVersion && !row.app.latestVersion->isEmpty();
}

QString buttonSymbol(AppRowButton button)
{
    switch (button) {
    case AppRowButton::releaseNotes:
        return u"doc.text"_s;
    case AppRowButton::uninstall:
        return u"trash.slash"_s;
    case AppRowButton::menu:
        return u"ellipsis.circle"_s;
    case AppRowButton::update:
        break;
    }
    return {};
}

QRectF centredRect(qreal left, qreal centreY, QSizeF size)
{
    return {left, centreY - size.height() / 2, size.width(), size.height()};
}

// Clear columns narrower than this are copied with their neighbours.
constexpr int smallestSkippedGap = 24;

// The parts of `image` to copy: its bottom band (the hairline) whole, and above it the runs of
// columns that hold a pixel that is not clear. The parts lie on whole logical pixels, so copying
// them lands on the same device pixels as copying the image; at a fractional ratio the image is
// one part.
QList<QRect> paintedParts(const QImage& image)
{
    const qreal ratio = image.devicePixelRatio();
    const int step = qRound(ratio);
    if (!qFuzzyCompare(ratio, static_cast<qreal>(step)) || image.height() <= step)
        return {image.rect()};
    const int bandTop = image.height() - step;
    // Bytes rather than bits, so the compiler reads many pixels at a time.
    std::vector<quint8> used(static_cast<size_t>(image.width()), 0);
    for (int y = 0; y < bandTop; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (size_t x = 0; x < used.size(); ++x)
            used[x] |= static_cast<quint8>(qAlpha(line[x]));
    }
    QList<QRect> parts{QRect(0, bandTop, image.width(), step)};
    int x = 0;
    while (x < image.width()) {
        if (!used[static_cast<size_t>(x)]) {
            ++x;
            continue;
        }
        const int start = x / step * step;
        int end = x;
        for (int gap = 0; x < image.width() && gap < smallestSkippedGap; ++x) {
            gap = used[static_cast<size_t>(x)] ? 0 : gap + 1;
            end = used[static_cast<size_t>(x)] ? x + 1 : end;
        }
        const int alignedEnd = std::min(image.width(), (end + step - 1) / step * step);
        parts.append(QRect(start, 0, alignedEnd - start, bandTop));
        x = alignedEnd;
    }
    return parts;
}

} // namespace

struct AppRowDelegate::Fonts {
    QFont name = truneFont(13, QFont::DemiBold);
    QFont tag = truneFont(9.5, QFont::Medium);
    QFont detail = truneFont(10.5, QFont::Normal, TruneFontDesign::monospaced);
    QFont separator = truneFont(10.5);
    QFont installedBeforeArrow = truneFont(11.5, QFont::Normal, TruneFontDesign::monospaced);
    QFont latest = truneFont(12, QFont::DemiBold, TruneFontDesign::monospaced);
    QFont plainVersion = truneFont(12, QFont::Medium, TruneFontDesign::monospaced);

    qreal nameLineHeight() const
    {
        const qreal badges = std::max(OriginPillBadge::badgeSize(AppOriginKind::direct, TruneLanguage::en).height(),
            ArchitectureBadge::badgeSize(AppArchitecture::unknown).height());
        return std::max({QFontMetricsF(name).height(), badges, QFontMetricsF(tag).height() + 4});
    }
    qreal detailLineHeight() const { return QFontMetricsF(detail).height(); }
    qreal rowHeight() const
    {
        const qreal identity = nameLineHeight() + identitySpacing + detailLineHeight();
        return std::ceil(2 * verticalPadding + std::max(iconSize, identity) + hairlineHeight);
    }
};

// Where everything of one row goes, worked out from the row's rectangle and its texts.
struct AppRowDelegate::RowLayout {
    QRectF row; // without the hairline
    QRectF icon;
    QRectF identity; // the column the name and detail lines are clipped to
    QPointF nameBaseline;
    QString shownName;
    QPointF originBadge;
    QPointF architectureBadge;
    QRectF ignoredTag;
    qreal detailTop = 0;
    QString shownIdentifier;
    qreal identifierLeft = 0;
    qreal separatorLeft = 0;
    qreal sizeLeft = 0;
    QString size;
    QRectF version;
    std::array<QRectF, 4> buttons{}; // by AppRowButton; empty when the row has none

    QRectF& button(AppRowButton which) { return buttons[static_cast<size_t>(which)]; }
    const QRectF& button(AppRowButton which) const { return buttons[static_cast<size_t>(which)]; }
};

// Everything a row's picture shows: the picture is painted again when any of it changes. Whatever
// else a row comes to show must be added here, or its old picture stays in view.
struct AppRowDelegate::RowLook {
    AppsListRow row;
    TruneLanguage language;
    bool brewCommandRunning = false;
    QSize size;
    qreal devicePixelRatio = 1;
    qint64 iconKey = 0;   // of the icon image the tile shows; 0 for the stand-in glyph
    bool current = false; // the current row of the focused view
    std::optional<AppRowButton> focusedButton;
    std::optional<AppRowButton> pressedButton;

    bool operator==(const RowLook&) const = default;
};

// A row painted on clear ground, with the parts of it that hold anything: most of a row between
// its name and its version is clear but for the hairline, and copying clear pixels changes nothing.
struct AppRowDelegate::PaintedRow {
    QImage image;
    QList<QRect> parts; // in the image's pixels

    void drawAt(QPainter& painter, QPoint topLeft) const
    {
        const qreal ratio = image.devicePixelRatio();
        for (const QRect& part : parts) {
            painter.drawImage(
                QRectF(QPointF(topLeft) + QPointF(part.topLeft()) / ratio, QSizeF(part.size()) / ratio), image, part);
        }
    }
};

struct AppRowDelegate::RowPicture {
    RowLook look;
    PaintedRow painted;
};

AppRowDelegate::AppRowDelegate(const QColor& accent, QAbstractItemView& view)
    : QStyledItemDelegate(&view)
    , m_accent(accent)
    , m_view(view)
    , m_fonts(std::make_unique<Fonts>())
    , m_primaryStamp(std::make_unique<TrunePrimaryButton>(QString()))
    , m_glassStamp(std::make_unique<TruneGlassButton>(QString()))
{
    m_viewport = view.viewport();
    view.installEventFilter(this);
    m_viewport->installEventFilter(this);
    connect(&AppIconLoads::instance(), &AppIconLoads::loaded, this, &AppRowDelegate::repaintRowsShowing);
    if (QItemSelectionModel* selection = view.selectionModel()) {
        connect(selection, &QItemSelectionModel::currentChanged, this, [this] { m_focusedButton.reset(); });
    }
}

AppRowDelegate::~AppRowDelegate() = default;

void AppRowDelegate::setLanguage(TruneLanguage language)
{
    m_language = language;
}

void AppRowDelegate::setBrewCommandRunning(bool running)
{
    m_brewCommandRunning = running;
}

// Only the rows in view can show the icon that arrived; the others paint it when they come into
// view. A row whose picture already shows that icon (a bundle without one keeps the glyph it
// showed while the icon loaded) is left as it is.
void AppRowDelegate::repaintRowsShowing(const QString& appPath)
{
    const auto* model = qobject_cast<const AppsListModel*>(m_view.model());
    if (!model || model->rowCount() == 0 || !m_viewport)
        return;
    const int middle = m_viewport->width() / 2;
    const QModelIndex first = m_view.indexAt(QPoint(middle, 0));
    const QModelIndex last = m_view.indexAt(QPoint(middle, m_viewport->height() - 1));
    const int lastRow = last.isValid() ? last.row() : model->rowCount() - 1;
    for (int row = first.isValid() ? first.row() : 0; row <= lastRow; ++row) {
        if (model->row(row).app.path == appPath && !pictureShowsCurrentIcon(model->row(row)))
            m_view.update(model->index(row));
    }
}

bool AppRowDelegate::pictureShowsCurrentIcon(const AppsListRow& row) const
{
    const RowPicture* kept = m_pictures.object(row.key());
    return kept && kept->look.row.app.path == row.app.path
        && kept->look.iconKey
        == AppIconThumbnail::tileIcon(row.app.path, iconSize, kept->look.devicePixelRatio).cacheKey();
}

const AppsListRow* AppRowDelegate::rowAt(const QModelIndex& index) const
{
    const auto* model = qobject_cast<const AppsListModel*>(index.model());
    if (!model || !index.isValid() || index.row() >= model->rowCount())
        return nullptr;
    return &model->row(index.row());
}

QString AppRowDelegate::text(const QString& english, const QString& turkish) const
{
    return truneText(english, turkish, m_language);
}

QString AppRowDelegate::ignoredText() const
{
    return text(u"Ignored"_s, u"Yoksayıldı"_s);
}

QString AppRowDelegate::updateTitle(const AppsListRow& row) const
{
    return row.brewable ? text(u"Update"_s, u"Güncelle"_s) : text(u"Download"_s, u"İndir"_s);
}

QString AppRowDelegate::updateSymbol(const AppsListRow& row) const
{
    return row.brewable ? u"arrow.down.circle.fill"_s : u"safari.fill"_s;
}

bool AppRowDelegate::isEnabled(const AppsListRow& row, AppRowButton button) const
{
    return button != AppRowButton::update || !(row.brewable && m_brewCommandRunning);
}

AppRowDelegate::RowLayout AppRowDelegate::layout(const QRectF& rect, const AppsListRow& row) const
{
    RowLayout out;
    out.row = rect.adjusted(0, 0, 0, -hairlineHeight);
    const QRectF content = out.row.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding);
    const qreal buttonsLeft = placeButtons(out, content, row);
    placeVersion(out, content, buttonsLeft - rowSpacing, row);
    placeIdentity(out, content, out.version.left() - rowSpacing - minimumVersionGap - rowSpacing, row);
    return out;
}

// Places the buttons from the trailing edge of `content`; returns the left edge of the leftmost.
qreal AppRowDelegate::placeButtons(RowLayout& out, const QRectF& content, const AppsListRow& row) const
{
    const qreal centreY = content.center().y();
    qreal right = content.right();
    const auto placeTrailing = [&](AppRowButton which, QSizeF size) {
        out.button(which) = centredRect(right - size.width(), centreY, size);
        right -= size.width() + actionSpacing;
    };
    placeTrailing(AppRowButton::menu, {menuWidth, menuSymbolSize + 2 * menuPadding});
    m_glassStamp->setText({});
    const QSizeF iconButton = TruneGlassButtonLook::sizeHint(*m_glassStamp, buttonSymbol(AppRowButton::uninstall));
    placeTrailing(AppRowButton::uninstall, iconButton);
    if (row.app.releaseNotesURL)
        placeTrailing(AppRowButton::releaseNotes, iconButton);
    if (row.actionable) {
        m_primaryStamp->setText(updateTitle(row));
        placeTrailing(AppRowButton::update, TrunePrimaryButtonLook::sizeHint(*m_primaryStamp, updateSymbol(row)));
    }
    return right + actionSpacing;
}

// Places the version column against `right`, as wide as its texts up to its share of the row.
void AppRowDelegate::placeVersion(RowLayout& out, const QRectF& content, qreal right, const AppsListRow& row) const
{
    const Fonts& fonts = *m_fonts;
    const QString shownVersion = row.app.displayVersion();
    qreal versionWidth = 0;
    if (showsVersionArrow(row)) {
        versionWidth = QFontMetricsF(fonts.installedBeforeArrow).horizontalAdvance(shownVersion) + arrowSpacing
            + arrowSymbolSize + arrowSpacing + QFontMetricsF(fonts.latest).horizontalAdvance(*row.app.latestVersion);
    } else {
        versionWidth = QFontMetricsF(fonts.plainVersion).horizontalAdvance(shownVersion);
    }
    versionWidth = std::min(versionWidth, content.width() * versionColumnShare);
    out.version = QRectF(right - versionWidth, content.top(), versionWidth, content.height());
}

// Places the icon at the leading edge and, between it and `right`, the identity column: the name
// line over the detail line, centred together.
void AppRowDelegate::placeIdentity(RowLayout& out, const QRectF& content, qreal right, const AppsListRow& row) const
{
    const qreal centreY = content.center().y();
    out.icon = centredRect(content.left(), centreY, {iconSize, iconSize});
    const qreal identityLeft = out.icon.right() + rowSpacing;
    out.identity = QRectF(identityLeft, content.top(), std::max<qreal>(0, right - identityLeft), content.height());
    const qreal nameLine = m_fonts->nameLineHeight();
    const qreal identityTop = centreY - (nameLine + identitySpacing + m_fonts->detailLineHeight()) / 2;
    placeNameLine(out, identityTop + nameLine / 2, row);
    placeDetailLine(out, identityTop + nameLine + identitySpacing, row);
}

// The name, cut short to leave room for what follows it: the origin and architecture badges and,
// for an ignored app, the Ignored tag; all centred on `centreY`.
void AppRowDelegate::placeNameLine(RowLayout& out, qreal centreY, const AppsListRow& row) const
{
    const Fonts& fonts = *m_fonts;
    const qreal left = out.identity.left();
    const QSizeF origin = OriginPillBadge::badgeSize(row.app.origin, m_language);
    const QSizeF architecture = ArchitectureBadge::badgeSize(row.app.architecture);
    const QFontMetricsF tagMetrics(fonts.tag);
    const QSizeF tag(tagMetrics.horizontalAdvance(ignoredText()) + 12, tagMetrics.height() + 4);
    const qreal badgesWidth
        = origin.width() + nameLineSpacing + architecture.width() + (row.ignored ? nameLineSpacing + tag.width() : 0);
    const QFontMetricsF nameMetrics(fonts.name);
    out.shownName = nameMetrics.elidedText(
        row.app.name, Qt::ElideRight, std::max<qreal>(0, out.identity.width() - nameLineSpacing - badgesWidth));
    out.nameBaseline = QPointF(left, centreY - nameMetrics.height() / 2 + nameMetrics.ascent());
    qreal x = left + nameMetrics.horizontalAdvance(out.shownName) + nameLineSpacing;
    out.originBadge = QPointF(x, centreY - origin.height() / 2);
    x += origin.width() + nameLineSpacing;
    out.architectureBadge = QPointF(x, centreY - architecture.height() / 2);
    x += architecture.width() + nameLineSpacing;
    if (row.ignored)
        out.ignoredTag = centredRect(x, centreY, tag);
}

// The identifier, cut short to leave room for a separating dot and the size, from `top`.
void AppRowDelegate::placeDetailLine(RowLayout& out, qreal top, const AppsListRow& row) const
{
    const QFontMetricsF detailMetrics(m_fonts->detail);
    const QFontMetricsF separatorMetrics(m_fonts->separator);
    const qreal left = out.identity.left();
    out.detailTop = top;
    out.size = sizeText(row.app.sizeBytes);
    const qreal tail = detailLineSpacing + separatorMetrics.horizontalAdvance(u"·"_s) + detailLineSpacing
        + detailMetrics.horizontalAdvance(out.size);
    out.shownIdentifier = detailMetrics.elidedText(identifierText(row.app),
        row.app.bundleID.isEmpty() ? Qt::ElideMiddle : Qt::ElideRight, std::max<qreal>(0, out.identity.width() - tail));
    out.identifierLeft = left;
    out.separatorLeft = left + detailMetrics.horizontalAdvance(out.shownIdentifier) + detailLineSpacing;
    out.sizeLeft = out.separatorLeft + separatorMetrics.horizontalAdvance(u"·"_s) + detailLineSpacing;
}

QSize AppRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return {option.rect.width(), static_cast<int>(m_fonts->rowHeight())};
}

void AppRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const AppsListRow* row = rowAt(index);
    if (!row || option.rect.isEmpty())
        return;
    const qreal devicePixelRatio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    rowPicture(*row, index, option.rect.size(), devicePixelRatio).drawAt(*painter, option.rect.topLeft());
}

AppRowDelegate::RowLook AppRowDelegate::lookOf(
    const AppsListRow& row, const QModelIndex& index, QSize size, qreal devicePixelRatio) const
{
    const bool current = m_view.hasFocus() && index == m_view.currentIndex();
    return {.row = row,
        .language = m_language,
        .brewCommandRunning = m_brewCommandRunning,
        .size = size,
        .devicePixelRatio = devicePixelRatio,
        .iconKey = AppIconThumbnail::tileIcon(row.app.path, iconSize, devicePixelRatio).cacheKey(),
        .current = current,
        .focusedButton = current ? m_focusedButton : std::nullopt,
        .pressedButton = m_pressedIndex == index ? m_pressedButton : std::nullopt};
}

AppRowDelegate::PaintedRow AppRowDelegate::rowPicture(
    const AppsListRow& row, const QModelIndex& index, QSize size, qreal devicePixelRatio) const
{
    RowLook look = lookOf(row, index, size, devicePixelRatio);
    const QString key = row.key();
    if (const RowPicture* kept = m_pictures.object(key); kept && kept->look == look)
        return kept->painted;

    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintRow(painter, look);
    painter.end();
    PaintedRow painted{.image = image, .parts = paintedParts(image)};

    const QSize viewSize = m_viewport ? m_viewport->size() : size;
    m_pictures.setMaxCost(static_cast<qsizetype>(
        picturedViews * viewSize.width() * viewSize.height() * 4 * devicePixelRatio * devicePixelRatio));
    // A picture larger than the whole allowance is not kept (the cache lets it go at once).
    m_pictures.insert(key, new RowPicture{.look = std::move(look), .painted = painted}, image.sizeInBytes());
    return painted;
}

void AppRowDelegate::paintRow(QPainter& painter, const RowLook& look) const
{
    const QRectF rect(QPointF(0, 0), QSizeF(look.size));
    const AppsListRow& row = look.row;
    const RowLayout rowLayout = layout(rect, row);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (row.actionable)
        painter.fillRect(rowLayout.row, truneColor(m_accent.rgb(), 0.05));
    if (look.current && !look.focusedButton)
        paintCurrentRowMark(painter, rowLayout.row, m_accent);
    painter.fillRect(QRectF(rect.left(), rowLayout.row.bottom(), rect.width(), hairlineHeight),
        truneColor(TruneGlassTokens::borderSubtle().rgb(), TruneGlassTokens::borderSubtle().alphaF() * 0.4));

    AppIconThumbnail::paintTile(painter, rowLayout.icon, row.app.path);
    paintIdentity(painter, rowLayout, row);
    paintVersion(painter, rowLayout, row);
    paintButtons(painter, rowLayout, look);
}

void AppRowDelegate::paintIdentity(QPainter& painter, const RowLayout& rowLayout, const AppsListRow& row) const
{
    const Fonts& fonts = *m_fonts;
    painter.save();
    painter.setClipRect(rowLayout.identity);
    painter.setFont(fonts.name);
    painter.setPen(TruneGlassTokens::textPrimary());
    painter.drawText(rowLayout.nameBaseline, rowLayout.shownName);
    OriginPillBadge::paint(painter, rowLayout.originBadge, row.app.origin, m_language);
    ArchitectureBadge::paint(painter, rowLayout.architectureBadge, row.app.architecture);
    if (row.ignored) {
        painter.fillPath(TruneGlassShapes::capsule(rowLayout.ignoredTag), truneColor(0xFFFFFF, 0.06));
        painter.setFont(fonts.tag);
        painter.setPen(TruneGlassTokens::textMuted());
        painter.drawText(rowLayout.ignoredTag, Qt::AlignCenter, ignoredText());
    }

    const qreal detailHeight = fonts.detailLineHeight();
    const auto detailRect = [&](qreal left) {
        return QRectF(left, rowLayout.detailTop, rowLayout.identity.right() - left, detailHeight);
    };
    painter.setFont(fonts.detail);
    painter.setPen(TruneGlassTokens::textMuted());
    painter.drawText(detailRect(rowLayout.identifierLeft), Qt::AlignLeft | Qt::AlignVCenter, rowLayout.shownIdentifier);
    painter.setFont(fonts.separator);
    painter.drawText(detailRect(rowLayout.separatorLeft), Qt::AlignLeft | Qt::AlignVCenter, u"·"_s);
    painter.setFont(fonts.detail);
    painter.setPen(TruneGlassTokens::textSecondary());
    painter.drawText(detailRect(rowLayout.sizeLeft), Qt::AlignLeft | Qt::AlignVCenter, rowLayout.size);
    painter.restore();
}

void AppRowDelegate::paintVersion(QPainter& painter, const RowLayout& rowLayout, const AppsListRow& row) const
{
    const Fonts& fonts = *m_fonts;
    const QRectF& column = rowLayout.version;
    painter.save();
    painter.setClipRect(column);
    if (!showsVersionArrow(row)) {
        painter.setFont(fonts.plainVersion);
        painter.setPen(TruneGlassTokens::textSecondary());
        painter.drawText(column, Qt::AlignRight | Qt::AlignVCenter,
            QFontMetricsF(fonts.plainVersion).elidedText(row.app.displayVersion(), Qt::ElideMiddle, column.width()));
        painter.restore();
        return;
    }
    // Laid out from the trailing edge so the latest version stays in view when space runs out.
    const QString& latest = *row.app.latestVersion;
    const qreal latestWidth = QFontMetricsF(fonts.latest).horizontalAdvance(latest);
    QRectF latestRect(column.right() - latestWidth, column.top(), latestWidth, column.height());
    painter.setFont(fonts.latest);
    painter.setPen(TruneGlassTokens::success());
    painter.drawText(latestRect, Qt::AlignRight | Qt::AlignVCenter, latest);
    const QRectF arrow(latestRect.left() - arrowSpacing - arrowSymbolSize, column.center().y() - arrowSymbolSize / 2,
        arrowSymbolSize, arrowSymbolSize);
    TruneSymbols::paint(painter, arrow, u"arrow.right"_s, TruneGlassTokens::warning());
    painter.setFont(fonts.installedBeforeArrow);
    painter.setPen(TruneGlassTokens::textMuted());
    painter.drawText(QRectF(column.left(), column.top(), arrow.left() - arrowSpacing - column.left(), column.height()),
        Qt::AlignRight | Qt::AlignVCenter, row.app.displayVersion());
    painter.restore();
}

void AppRowDelegate::paintButtons(QPainter& painter, const RowLayout& rowLayout, const RowLook& look) const
{
    const AppsListRow& row = look.row;
    for (const AppRowButton which : allButtons) {
        const QRectF& rect = rowLayout.button(which);
        if (rect.isEmpty())
            continue;
        const bool pressed = look.pressedButton == which;
        painter.save();
        painter.translate(rect.topLeft());
        if (which == AppRowButton::menu) {
            if (pressed)
                painter.setOpacity(0.6);
            TruneSymbols::paint(painter, QRectF(menuPadding, menuPadding, menuSymbolSize, menuSymbolSize),
                buttonSymbol(which), TruneGlassTokens::textSecondary());
        } else if (which == AppRowButton::update) {
            m_primaryStamp->setText(updateTitle(row));
            m_primaryStamp->resize(rect.size().toSize());
            m_primaryStamp->setEnabled(isEnabled(row, which));
            TrunePrimaryButtonLook::paint(painter, *m_primaryStamp, pressed ? 1 : 0, updateSymbol(row));
        } else {
            m_glassStamp->resize(rect.size().toSize());
            m_glassStamp->setDown(pressed);
            TruneGlassButtonLook::paint(painter, *m_glassStamp, false, buttonSymbol(which));
        }
        painter.restore();
        // Around the button rather than inside it: a light ring inside the white primary button
        // would not show.
        if (look.focusedButton == which)
            TruneGlassShapes::paintFocusRing(painter, rect.adjusted(-3, -3, 3, 3), 10, TruneGlassTokens::textPrimary());
    }
}

QRect AppRowDelegate::buttonRect(const QModelIndex& index, AppRowButton button) const
{
    const AppsListRow* row = rowAt(index);
    if (!row)
        return {};
    return layout(QRectF(m_view.visualRect(index)), *row).button(button).toAlignedRect();
}

bool AppRowDelegate::isButtonEnabled(const QModelIndex& index, AppRowButton button) const
{
    const AppsListRow* row = rowAt(index);
    return row && !buttonRect(index, button).isEmpty() && isEnabled(*row, button);
}

QStringList AppRowDelegate::paintedTexts(const QModelIndex& index) const
{
    const AppsListRow* row = rowAt(index);
    if (!row)
        return {};
    const RowLayout rowLayout = layout(QRectF(m_view.visualRect(index)), *row);
    QString version = row->app.displayVersion();
    if (showsVersionArrow(*row))
        version += u" → "_s + *row->app.latestVersion;
    QStringList texts{rowLayout.shownName, rowLayout.shownIdentifier, rowLayout.size, version};
    if (row->ignored)
        texts.append(ignoredText());
    if (row->actionable)
        texts.append(updateTitle(*row));
    return texts;
}

bool AppRowDelegate::helpEvent(
    QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const AppsListRow* row = rowAt(index);
    if (!row || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const RowLayout rowLayout = layout(QRectF(option.rect), *row);
    const QPointF pos = event->pos();
    QString tip;
    QRectF area;
    if (rowLayout.button(AppRowButton::releaseNotes).contains(pos)) {
        area = rowLayout.button(AppRowButton::releaseNotes);
        tip = text(u"Open Release Notes"_s, u"Sürüm Notlarını Aç"_s);
    } else if (rowLayout.button(AppRowButton::uninstall).contains(pos)) {
        area = rowLayout.button(AppRowButton::uninstall);
        tip = text(u"Inspect Leftovers & Uninstall"_s, u"Artıkları İncele ve Kaldır"_s);
    } else if (rowLayout.identity.contains(pos) && pos.y() >= rowLayout.detailTop
        && rowLayout.shownIdentifier != identifierText(row->app)) {
        area = rowLayout.identity;
        tip = identifierText(row->app);
    } else if (rowLayout.identity.contains(pos) && pos.y() < rowLayout.detailTop
        && rowLayout.shownName != row->app.name) {
        area = rowLayout.identity;
        tip = row->app.name;
    }
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal), view->viewport(),
        area.toAlignedRect());
    return true;
}

bool AppRowDelegate::editorEvent(
    QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const AppsListRow* row = rowAt(index);
    if (!row)
        return false;
    const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    const bool release = event->type() == QEvent::MouseButtonRelease;
    if (!press && !release)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const RowLayout rowLayout = layout(QRectF(option.rect), *row);
    std::optional<AppRowButton> hit;
    for (const AppRowButton which : allButtons) {
        if (rowLayout.button(which).contains(mouse->position()))
            hit = which;
    }
    if (press) {
        if (!hit || !isEnabled(*row, *hit))
            return false;
        setPressed(index, hit);
        return true;
    }
    const bool clicked = hit && m_pressedButton == hit && m_pressedIndex == index && isEnabled(*row, *hit);
    setPressed({}, std::nullopt);
    if (clicked)
        activate(index, *hit);
    return clicked;
}

void AppRowDelegate::setPressed(const QModelIndex& index, std::optional<AppRowButton> button)
{
    if (m_pressedIndex == index && m_pressedButton == button)
        return;
    m_pressedIndex = index;
    m_pressedButton = button;
    m_view.viewport()->update();
}

void AppRowDelegate::activate(const QModelIndex& index, AppRowButton button)
{
    const AppsListRow* row = rowAt(index);
    if (row && isEnabled(*row, button))
        emit buttonClicked(button, index.row());
}

bool AppRowDelegate::handleKey(QKeyEvent& event)
{
    const QModelIndex current = m_view.currentIndex();
    const AppsListRow* row = rowAt(current);
    if (!row)
        return false;
    std::vector<AppRowButton> present;
    for (const AppRowButton which : allButtons) {
        if (!buttonRect(current, which).isEmpty())
            present.push_back(which);
    }
    const auto position = m_focusedButton ? std::find(present.begin(), present.end(), *m_focusedButton) : present.end();
    switch (event.key()) {
    case Qt::Key_Right:
        m_focusedButton
            = position == present.end() || position + 1 == present.end() ? present.front() : *(position + 1);
        break;
    case Qt::Key_Left:
        m_focusedButton = position == present.end() || position == present.begin() ? present.back() : *(position - 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (position == present.end())
            return false;
        activate(current, *m_focusedButton);
        return true;
    default:
        return false;
    }
    m_view.viewport()->update();
    return true;
}

// Only the events named here reach the view itself: others arrive while it is being destroyed.
bool AppRowDelegate::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == &m_view && type == QEvent::KeyPress)
        return handleKey(*static_cast<QKeyEvent*>(event));
    if (watched == &m_view && (type == QEvent::FocusIn || type == QEvent::FocusOut) && m_viewport)
        m_viewport->update();
    // A list on another tab holds no pictures; it paints its rows again when it is shown.
    if (watched == &m_view && type == QEvent::Hide)
        m_pictures.clear();
    // A press that ends outside every row still lets go of its button.
    if (watched == m_viewport && type == QEvent::MouseButtonRelease && m_pressedButton) {
        const QModelIndex under = m_view.indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
        if (under != m_pressedIndex)
            setPressed({}, std::nullopt);
    }
    // Not the base class's filter: that one is for editors, which the view is not.
    return false;
}

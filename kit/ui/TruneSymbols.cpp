#include "kit/ui/TruneSymbols.h"

#include <QCache>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QPaintDevice>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

// The resource lives in a static library, so nothing registers it before the first glyph.
static void initSymbolResources()
{
    static const bool initialised = [] {
        Q_INIT_RESOURCE(symbols);
        return true;
    }();
    Q_UNUSED(initialised);
}

namespace TruneSymbols {
namespace {

// Glyph images are small (a 24 pt glyph at 2x is 9 KiB); this keeps a few hundred of them.
constexpr int cacheCostLimitBytes = 4 * 1024 * 1024;
constexpr int largestSidePx = 1024;
const QColor placeholderColor(255, 0, 255);

// Names come from code and from stored records; only plain dotted names reach the resources.
bool isWellFormedName(const QString& name)
{
    if (name.isEmpty() || name.size() > 64 || name.startsWith(u'.') || name.endsWith(u'.') || name.contains(u".."_s)) {
        return false;
    }
    return std::ranges::all_of(
        name, [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'.'; });
}

QString resourcePath(const QString& name)
{
    return u":/trune/symbols/"_s + name + u".svg"_s;
}

int physicalSide(int logicalPx, qreal devicePixelRatio)
{
    return std::clamp(static_cast<int>(std::ceil(logicalPx * devicePixelRatio)), 1, largestSidePx);
}

// The artwork is black ink on a transparent ground; white in it marks holes cut into the ink
// (the knocked-out check inside a filled circle). This turns ink into alpha and holes into
// transparency, so one tint can fill everything that is drawn.
void keepInkAsAlpha(QImage& canvas)
{
    for (int y = 0; y < canvas.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        for (int x = 0; x < canvas.width(); ++x) {
            // Premultiplied: a white pixel has green == alpha, a black one green == 0.
            const int ink = qAlpha(line[x]) - qGreen(line[x]);
            line[x] = qRgba(0, 0, 0, std::max(ink, 0));
        }
    }
}

void tint(QImage& mask, const QColor& color)
{
    QPainter painter(&mask);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(mask.rect(), color);
}

// A magenta box with both diagonals: impossible to miss, and never a real glyph.
void drawPlaceholder(QPainter& painter, const QRectF& rect)
{
    const qreal inset = std::max<qreal>(1, rect.width() / 12);
    const QRectF box = rect.adjusted(inset, inset, -inset, -inset);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(placeholderColor, std::max<qreal>(1, rect.width() / 12)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    painter.drawLine(box.topLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomLeft());
    painter.restore();
}

QImage renderGlyph(const QString& name, int side, const QColor& color)
{
    QImage canvas(side, side, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QSvgRenderer renderer;
    if (contains(name) && renderer.load(resourcePath(name))) {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, side, side));
        painter.end();
        keepInkAsAlpha(canvas);
        tint(canvas, color);
    } else {
        QPainter painter(&canvas);
        drawPlaceholder(painter, QRectF(0, 0, side, side));
    }
    return canvas;
}

struct GlyphCache {
    QMutex mutex;
    QCache<QString, QImage> images{cacheCostLimitBytes};
};

GlyphCache& glyphCache()
{
    static GlyphCache cache;
    return cache;
}

QString cacheKey(const QString& name, int side, const QColor& color, qreal devicePixelRatio)
{
    return u"%1|%2|%3|%4"_s.arg(name).arg(side).arg(color.rgba(), 8, 16, QChar(u'0')).arg(devicePixelRatio);
}

} // namespace

bool contains(const QString& name)
{
    initSymbolResources();
    return isWellFormedName(name) && QFile::exists(resourcePath(name));
}

QStringList names()
{
    initSymbolResources();
    QStringList result;
    for (const QString& file : QDir(u":/trune/symbols"_s).entryList({u"*.svg"_s}, QDir::Files, QDir::Name))
        result.append(file.chopped(4));
    return result;
}

QImage image(const QString& name, int logicalPx, const QColor& color, qreal devicePixelRatio)
{
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1;
    const int side = physicalSide(std::max(logicalPx, 1), ratio);
    const QString key = cacheKey(name, side, color, ratio);
    GlyphCache& cache = glyphCache();
    {
        const QMutexLocker lock(&cache.mutex);
        if (const QImage* cached = cache.images.object(key)) {
            return *cached;
        }
    }
    QImage rendered = renderGlyph(name, side, color);
    rendered.setDevicePixelRatio(ratio);
    const QMutexLocker lock(&cache.mutex);
    cache.images.insert(key, new QImage(rendered), static_cast<int>(rendered.sizeInBytes()));
    return rendered;
}

QPixmap pixmap(const QString& name, int logicalPx, const QColor& color, qreal devicePixelRatio)
{
    return QPixmap::fromImage(image(name, logicalPx, color, devicePixelRatio));
}

void paint(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color)
{
    const qreal side = std::min(rect.width(), rect.height());
    if (side <= 0) {
        return;
    }
    // Rendered at the pixels the painter really covers, so the glyph stays crisp at 2x and
    // under a scaling transform.
    const qreal deviceRatio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    const QTransform& transform = painter.worldTransform();
    const qreal transformScale
        = std::max(std::hypot(transform.m11(), transform.m12()), std::hypot(transform.m21(), transform.m22()));
    const qreal ratio = deviceRatio * (transformScale > 0 ? transformScale : 1.0);
    const int logicalPx = static_cast<int>(std::ceil(side));
    const QImage glyph = image(name, logicalPx, color, ratio);
    const QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, glyph);
    painter.restore();
}

QIcon icon(const QString& name, const QColor& color)
{
    QIcon result;
    for (const int logicalPx : {16, 24, 32}) {
        for (const qreal ratio : {1.0, 2.0}) {
            result.addPixmap(pixmap(name, logicalPx, color, ratio));
        }
    }
    return result;
}

} // namespace TruneSymbols

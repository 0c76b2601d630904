#include "kit/emblems/TruneEmblemRenderer.h"

#include "kit/emblems/TruneEmblemArtworkMedia.h"
#include "kit/emblems/TruneEmblemArtworkProductivity.h"
#include "kit/emblems/TruneEmblemArtworkSystemNet.h"
#include "kit/emblems/TruneEmblemGrammar.h"
#include "kit/emblems/TruneEmblemInterpreter.h"
#include "kit/emblems/TruneFlatDraw.h"

#include <QBuffer>
#include <QCache>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace TruneEmblemRenderer {

namespace {

using namespace TruneEmblemGrammar;

constexpr int mediaFirstIndex = 27;
constexpr int mediaLastIndex = 42;
constexpr TruneAppIdentity screenWithPlay = TruneAppIdentity::snaplume;
constexpr int cachedImageCount = 256;
constexpr int minimumPixelSize = 16;
constexpr qreal minimumPointSize = 10;
constexpr qreal minimumScale = 1;
constexpr qreal maximumScale = 3;

struct EmblemCache {
    QMutex mutex;
    QCache<QString, QImage> images{cachedImageCount};
};

EmblemCache& emblemCache()
{
    static EmblemCache cache;
    return cache;
}

// The one media entry without a drawing of the group's own: a screen playing, with a dot.
constexpr std::array screenWithPlayOps = joined(TruneFlatDraw::Shapes::displayFrame,
    std::array{
        fill(polygon({{44, 36.5}, {60, 44.5}, {44, 52.5}}), primary),
        fill(disc(31, 33.5, 6.4), accent),
    });

bool isMedia(TruneAppIdentity app)
{
    const int index = static_cast<int>(app);
    return index >= mediaFirstIndex && index <= mediaLastIndex;
}

std::span<const TruneEmblemOp> mediaDrawing(TruneAppIdentity app)
{
    return app == screenWithPlay ? std::span<const TruneEmblemOp>(screenWithPlayOps)
                                 : TruneEmblemArtworkMedia::drawing(app);
}

qreal countedPointSize(qreal pointSize)
{
    return std::isnan(pointSize) ? minimumPointSize : std::max(pointSize, minimumPointSize);
}

qreal countedScale(qreal scale)
{
    return scale < maximumScale ? std::max(scale, minimumScale) : maximumScale;
}

// Rounded half away from zero, at least the minimum and at most the maximum side.
int pixelSizeFor(qreal points, qreal scale)
{
    const qreal rounded = std::round(points * scale);
    return int(std::clamp(rounded, qreal(minimumPixelSize), qreal(maximumPixelSize)));
}

// The point size is part of the key: two requests with the same pixel count but different point
// sizes need images of different logical sizes.
QString cacheKey(TruneAppIdentity app, int pixelSize, qreal points, bool asTemplate)
{
    return u"%1_%2_%3_%4"_s.arg(rawValue(app))
        .arg(pixelSize)
        .arg(QString::number(points, 'g', 17), asTemplate ? u"tpl"_s : u"glass"_s);
}

// A fresh transparent bitmap is the emblem's own layer: its cutouts erase only the emblem.
QImage drawnBitmap(TruneAppIdentity app, int pixelSize)
{
    QImage bitmap(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    if (bitmap.isNull())
        return bitmap;
    bitmap.fill(Qt::transparent);
    QPainter painter(&bitmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    // QImage rows already run downward, as design y does, so the design square needs no flip.
    const qreal k = pixelSize * TruneEmblemGrammar::bodyCoverage / TruneEmblemGrammar::bodySpan;
    painter.translate(pixelSize / 2.0, pixelSize / 2.0);
    painter.scale(k, k);
    painter.translate(-TruneEmblemGrammar::designCentre);
    drawFlatEmblem(app, painter, TruneEmblemTone::whiteGlass());
    return bitmap;
}

} // namespace

bool drawFlatEmblem(TruneAppIdentity app, QPainter& painter, const TruneEmblemTone& tone)
{
    if (TruneEmblemArtworkProductivity::draw(app, painter, tone))
        return true;
    if (isMedia(app)) {
        TruneEmblemInterpreter::run(painter, tone, mediaDrawing(app));
        return true;
    }
    return TruneEmblemArtworkSystemNet::draw(app, painter, tone);
}

std::span<const TruneEmblemOp> drawing(TruneAppIdentity app)
{
    if (const std::span<const TruneEmblemOp> ops = TruneEmblemArtworkProductivity::drawing(app); !ops.empty())
        return ops;
    if (isMedia(app))
        return mediaDrawing(app);
    return TruneEmblemArtworkSystemNet::drawing(app);
}

QImage image(TruneAppIdentity app, qreal pointSize, qreal scale, bool asTemplate)
{
    if (std::isinf(pointSize) && pointSize > 0)
        return {};
    const qreal points = countedPointSize(pointSize);
    const int pixelSize = pixelSizeFor(points, countedScale(scale));
    const QString key = cacheKey(app, pixelSize, points, asTemplate);

    EmblemCache& cache = emblemCache();
    {
        const QMutexLocker locker(&cache.mutex);
        if (const QImage* cached = cache.images.object(key))
            return *cached;
    }
    // Drawn outside the lock: two threads missing the same key both draw, and the later store wins.
    QImage drawn = drawnBitmap(app, pixelSize);
    if (drawn.isNull())
        return drawn;
    drawn.setDevicePixelRatio(pixelSize / points);
    const QMutexLocker locker(&cache.mutex);
    cache.images.insert(key, new QImage(drawn));
    return drawn;
}

QByteArray pngData(TruneAppIdentity app, int pixelSize)
{
    if (pixelSize < 1)
        return {};
    const QImage bitmap = drawnBitmap(app, std::min(pixelSize, maximumPixelSize));
    QByteArray data;
    QBuffer buffer(&data);
    if (bitmap.isNull() || !buffer.open(QIODevice::WriteOnly) || !bitmap.save(&buffer, "PNG"))
        return {};
    return data;
}

} // namespace TruneEmblemRenderer

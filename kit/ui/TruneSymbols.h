#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

// The kit's symbol glyphs, keyed by the symbol names the views use ("checkmark.circle.fill" ...),
// drawn from our own vector artwork and tinted at paint time. An unknown name draws a visible
// placeholder, so a missing glyph shows up in every screenshot.
namespace TruneSymbols {

bool contains(const QString& name);

// Every glyph the kit has, sorted by name.
QStringList names();

// The glyph tinted in `color`, `logicalPx` square at the given device pixel ratio (cached).
QPixmap pixmap(const QString& name, int logicalPx, const QColor& color, qreal devicePixelRatio);

// The same glyph as an image; safe to call from any thread.
QImage image(const QString& name, int logicalPx, const QColor& color, qreal devicePixelRatio);

// Paints the glyph tinted in `color`, fitted into `rect`.
void paint(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color);

// An icon for buttons and menus, tinted in `color`.
QIcon icon(const QString& name, const QColor& color);

} // namespace TruneSymbols

#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>

// Apple icon files (.icns) for tests: every image becomes one PNG entry of the type its edge calls
// for (16, 32, 64, 128, 256, 512 or 1024 px, square).
namespace IcnsMaker {

QByteArray icns(const QList<QImage>& images);

// A square image of one colour.
QImage filled(int edge, const QColor& color);

} // namespace IcnsMaker

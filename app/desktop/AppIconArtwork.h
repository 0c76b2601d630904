#pragma once

#include <QIcon>
#include <QImage>

#include <array>
#include <vector>

class QPainter;

// The program's icon: its own emblem in white glass on a rounded tile of its deep-emerald ground.
// It is drawn from vectors at every size, so the icon theme's bitmaps, its scalable picture and the
// window icon are one picture.
namespace AppIconArtwork {

// The bitmap sizes the icon theme gets, in pixels.
inline constexpr std::array themePixelSizes{16, 22, 24, 32, 48, 64, 96, 128, 256, 512};

// Paints the icon over the square (0, 0) to (side, side) in the painter's coordinates, as vectors
// only: the emblem goes straight onto the tile, as a picture without layers needs it.
void paint(QPainter& painter, qreal side);

// The icon as a pixelSize x pixelSize bitmap; the emblem is drawn in a layer of its own, so its
// cutouts show the tile beneath. Null when pixelSize is below 1.
QImage image(int pixelSize);

// The icon's bitmaps at the sizes windows are shown with (task bars, the tray host,
// notifications). Callable from any thread.
std::vector<QImage> windowImages();

// Those bitmaps as an icon, on the GUI thread.
QIcon icon(const std::vector<QImage>& windowImages);

} // namespace AppIconArtwork

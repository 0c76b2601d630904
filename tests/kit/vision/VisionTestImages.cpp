#include "tests/kit/vision/VisionTestImages.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>

namespace {

QString dejaVuFamily()
{
    static const QString family = [] {
        const int id
            = QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
        EXPECT_GE(id, 0) << "the DejaVu Sans font (fonts-dejavu-core) is missing";
        return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
    }();
    return family;
}

// The box of the pixels darker than mid-grey inside `band`, or an empty box.
QRect inkBox(const QImage& image, QRect band)
{
    QRect box;
    for (int y = band.top(); y <= band.bottom(); ++y)
        for (int x = band.left(); x <= band.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) > 128 && qGray(pixel) < 128)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

} // namespace

QImage VisionTestImages::scene(unsigned seed, QSize size)
{
    std::mt19937 random(seed);
    const auto between = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };

    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, QColor(between(0, 255), between(0, 255), between(0, 255)));
    gradient.setColorAt(1, QColor(between(0, 255), between(0, 255), between(0, 255)));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::NoPen);
    const int shapes = size.width() * size.height() / 2000;
    for (int shape = 0; shape < shapes; ++shape) {
        painter.setBrush(QColor(between(0, 255), between(0, 255), between(0, 255)));
        const QRect area(between(-40, size.width()), between(-40, size.height()), between(10, 90), between(10, 90));
        if (between(0, 1) == 0)
            painter.drawEllipse(area);
        else
            painter.drawRect(area);
    }
    return image;
}

QImage VisionTestImages::cropped(const QImage& image, QRect area)
{
    return image.copy(area);
}

QImage VisionTestImages::plain(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage VisionTestImages::text(const QStringList& lines, QColor background, std::vector<QRect>* inkBoxes)
{
    QFont font(dejaVuFamily());
    font.setPixelSize(40);
    const QFontMetrics metrics(font);
    const int margin = 40;
    const int lineStep = metrics.height() * 2;
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));

    QImage image(width + 2 * margin, margin * 2 + lineStep * int(lines.size()), QImage::Format_ARGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(Qt::black);
    std::vector<QRect> bands;
    for (int index = 0; index < lines.size(); ++index) {
        const int top = margin + index * lineStep;
        painter.drawText(margin, top + metrics.ascent(), lines[index]);
        bands.emplace_back(0, top, image.width(), metrics.height());
    }
    painter.end();
    if (inkBoxes)
        for (const QRect& band : bands)
            inkBoxes->push_back(inkBox(image, band));
    return image;
}

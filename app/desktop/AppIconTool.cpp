// Writes the program's icon into an icon theme folder at build time, so the install carries the
// same picture the running program shows: truneupdate-icons <folder> fills
// <folder>/hicolor/<n>x<n>/apps/<id>.png for each theme size and
// <folder>/hicolor/scalable/apps/<id>.svg, where <id> is the program's bundle identifier.

#include "app/desktop/AppIconArtwork.h"
#include "kit/platform/TruneBuildInfo.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The scalable picture's own coordinate square; any size draws from it.
constexpr int scalableSide = 128;

QString iconFileName(const QString& extension)
{
    return QString::fromUtf8(TruneBuildInfo::bundleIdentifier) + u'.' + extension;
}

// The folder <theme>/<size>/apps, made when missing; empty when it cannot be made.
QString appsFolder(const QString& theme, const QString& size)
{
    const QString folder = theme + u'/' + size + u"/apps"_s;
    return QDir().mkpath(folder) ? folder : QString();
}

bool writeBitmap(const QString& theme, int pixelSize)
{
    const QString folder = appsFolder(theme, u"%1x%1"_s.arg(pixelSize));
    return !folder.isEmpty() && AppIconArtwork::image(pixelSize).save(folder + u'/' + iconFileName(u"png"_s), "PNG");
}

bool writeScalable(const QString& theme)
{
    const QString folder = appsFolder(theme, u"scalable"_s);
    if (folder.isEmpty())
        return false;
    QSvgGenerator generator;
    generator.setFileName(folder + u'/' + iconFileName(u"svg"_s));
    generator.setSize(QSize(scalableSide, scalableSide));
    generator.setViewBox(QRect(0, 0, scalableSide, scalableSide));
    generator.setTitle(QString::fromUtf8(TruneBuildInfo::bundleName));
    QPainter painter;
    if (!painter.begin(&generator))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    AppIconArtwork::paint(painter, scalableSide);
    return painter.end();
}

} // namespace

int main(int argc, char* argv[])
{
    // Drawing needs no display: the build may run where there is none.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: truneupdate-icons <icon theme folder>\n");
        return 2;
    }
    const QString theme = QDir(QString::fromLocal8Bit(argv[1])).absoluteFilePath(u"hicolor"_s);
    for (const int pixelSize : AppIconArtwork::themePixelSizes) {
        if (!writeBitmap(theme, pixelSize)) {
            std::fprintf(stderr, "truneupdate-icons: cannot write the %dx%d icon under %s\n", pixelSize, pixelSize,
                qPrintable(theme));
            return 1;
        }
    }
    if (!writeScalable(theme)) {
        std::fprintf(stderr, "truneupdate-icons: cannot write the scalable icon under %s\n", qPrintable(theme));
        return 1;
    }
    return 0;
}

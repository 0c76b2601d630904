#include "tests/support/Screenshots.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

namespace {

QString screenshotPath(const QWidget& widget, const QString& name)
{
    const QString configured = qEnvironmentVariable("TRUNE_SCREENSHOT_DIR");
    const QString folder = configured.isEmpty() ? QStringLiteral(TRUNE_SCREENSHOT_DEFAULT_DIR) : configured;
    // A run at a higher scale (QT_SCALE_FACTOR=2) keeps its pictures beside the 1x ones.
    const QString scale = widget.devicePixelRatioF() > 1 ? QStringLiteral("@2x") : QString();
    const QString path = QDir(folder).filePath(name + scale + QStringLiteral(".png"));
    QDir().mkpath(folder);
    return path;
}

} // namespace

QString saveScreenshot(QWidget& widget, const QString& name)
{
    const QString path = screenshotPath(widget, name);
    const bool saved = widget.grab().save(path, "PNG");
    EXPECT_TRUE(saved) << "could not save the screenshot " << path.toStdString();
    return path;
}

QString saveScreenshotWithPopup(QWidget& window, QWidget& popup, const QString& name)
{
    const QString path = screenshotPath(window, name);
    QPixmap canvas = window.grab();
    {
        QPainter painter(&canvas);
        painter.drawPixmap(popup.mapToGlobal(QPoint()) - window.mapToGlobal(QPoint()), popup.grab());
    }
    const bool saved = canvas.save(path, "PNG");
    EXPECT_TRUE(saved) << "could not save the screenshot " << path.toStdString();
    return path;
}

void expectEveryWidgetShownWhole(const QWidget& ground)
{
    for (const QWidget* widget : ground.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&ground) || widget->isWindow())
            continue;
        const QRect placed(widget->mapTo(&ground, QPoint()), widget->size());
        const std::string name
            = (QString::fromLatin1(widget->metaObject()->className()) + u' ' + widget->objectName()).toStdString();
        EXPECT_FALSE(placed.isEmpty()) << name << " has no size";
        EXPECT_TRUE(ground.rect().contains(placed))
            << name << " at " << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height()
            << " lies outside its " << ground.width() << "x" << ground.height() << " ground";
    }
}

void expectNoneOverlap(const QList<QWidget*>& widgets)
{
    for (qsizetype first = 0; first < widgets.size(); ++first) {
        for (qsizetype second = first + 1; second < widgets.size(); ++second)
            EXPECT_FALSE(widgets[first]->geometry().intersects(widgets[second]->geometry()))
                << "widgets " << first << " and " << second << " overlap";
    }
}

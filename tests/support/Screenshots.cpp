#include "tests/support/Screenshots.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <QWidget>

QString saveScreenshot(QWidget& widget, const QString& name)
{
    const QString configured = qEnvironmentVariable("TRUNE_SCREENSHOT_DIR");
    const QString folder = configured.isEmpty() ? QStringLiteral(TRUNE_SCREENSHOT_DEFAULT_DIR) : configured;
    // A run at a higher scale (QT_SCALE_FACTOR=2) keeps its pictures beside the 1x ones.
    const QString scale = widget.devicePixelRatioF() > 1 ? QStringLiteral("@2x") : QString();
    const QString path = QDir(folder).filePath(name + scale + QStringLiteral(".png"));
    const bool saved = QDir().mkpath(folder) && widget.grab().save(path, "PNG");
    EXPECT_TRUE(saved) << "could not save the screenshot " << path.toStdString();
    return path;
}

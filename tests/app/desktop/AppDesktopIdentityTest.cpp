#include "app/desktop/AppDesktopIdentity.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QWidget>

using namespace Qt::StringLiterals;

// The running program names the desktop entry the install puts in place (task bars and the tray
// host group its windows under it, and a Wayland compositor takes it as the program's id), and its
// windows show the very picture the icon theme gets.
TEST(AppDesktopIdentityTest, NamesTheInstalledDesktopEntryAndShowsTheThemesIconOnWindows)
{
    AppDesktopIdentity::finishApplying(AppDesktopIdentity::startApplying());

    EXPECT_EQ(QGuiApplication::desktopFileName() + u".desktop"_s,
        QFileInfo(QStringLiteral(TRUNE_DESKTOP_ENTRY_PATH)).fileName());
    const QWidget window;
    for (const int size : {16, 32, 48, 128}) {
        SCOPED_TRACE(size);
        const QString themeIcon = u"%1/hicolor/%2x%2/apps/%3.png"_s.arg(
            QStringLiteral(TRUNE_ICON_THEME_DIR), QString::number(size), QGuiApplication::desktopFileName());
        const QImage expected(themeIcon);
        ASSERT_FALSE(expected.isNull()) << themeIcon.toStdString();
        const QImage shown = window.windowIcon().pixmap(QSize(size, size)).toImage();
        EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32), expected.convertToFormat(QImage::Format_ARGB32));
    }
}

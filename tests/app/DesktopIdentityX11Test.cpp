#include "tests/app/StudioTestHome.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

QString runTool(const QString& tool, const QStringList& arguments)
{
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString studioWindowOf(qint64 pid)
{
    return runTool(u"xdotool"_s,
        {u"search"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(pid), u"--name"_s,
            u"TruneUpdate — by Quorvane"_s})
        .section(u'\n', 0, 0);
}

// The value of `key` in the [Desktop Entry] group of the installed desktop entry.
QString desktopEntryValue(const QString& key)
{
    QFile file(QStringLiteral(TRUNE_DESKTOP_ENTRY_PATH));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return {};
}

// The sizes of the pictures in a window's _NET_WM_ICON (each is width, height, then its pixels).
QStringList windowIconSizes(const QString& window)
{
    const QString raw
        = runTool(u"xprop"_s, {u"-id"_s, window, u"-f"_s, u"_NET_WM_ICON"_s, u"32c"_s, u"_NET_WM_ICON"_s});
    QList<qint64> values;
    for (const QString& number : raw.section(u'=', 1).split(u',', Qt::SkipEmptyParts))
        values.append(number.trimmed().toLongLong());
    QStringList sizes;
    for (qsizetype at = 0; at + 1 < values.size(); at += 2 + values[at] * values[at + 1])
        sizes.append(u"%1x%2"_s.arg(values[at]).arg(values[at + 1]));
    return sizes;
}

} // namespace

// The real program on the private X server: the desktop groups its windows under its desktop entry
// by the window class the entry names, and shows the icon the window carries.
TEST(DesktopIdentityTest, TheStudioWindowCarriesTheClassItsDesktopEntryNamesAndTheProgramsIcon)
{
    const TempHome home;
    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(TRUNE_PROGRAM_PATH), {});
    ASSERT_TRUE(program.waitForStarted());
    QString window;
    ASSERT_TRUE(waitUntil([&] { return !(window = studioWindowOf(program.processId())).isEmpty(); }));

    const QString entryClass = desktopEntryValue(u"StartupWMClass"_s);
    ASSERT_FALSE(entryClass.isEmpty());
    EXPECT_EQ(runTool(u"xprop"_s, {u"-id"_s, window, u"WM_CLASS"_s}),
        u"WM_CLASS(STRING) = \"truneupdate\", \"%1\""_s.arg(entryClass));
    const QStringList iconSizes = windowIconSizes(window);
    for (const QString& size : {u"16x16"_s, u"32x32"_s, u"48x48"_s, u"64x64"_s, u"128x128"_s})
        EXPECT_TRUE(iconSizes.contains(size)) << size.toStdString() << " in " << iconSizes.join(u' ').toStdString();

    program.terminate();
    EXPECT_TRUE(program.waitForFinished(20000));
}

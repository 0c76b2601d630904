#include "tests/support/demo/DemoHome.h"

#include "core/records/TruneUpdateConfig.h"
#include "core/records/UpdateConfigStore.h"
#include "core/records/UpdateLogEntry.h"
#include "kit/platform/TruneTrash.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/demo/DemoBrew.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QUuid>
#include <QtEndian>

using namespace Qt::StringLiterals;
using namespace BundleMaker;

namespace {

// What an app's appcast offers.
enum class Feed { none, newer, same, newerAfterDelay };

// The Library entries an app left; "%name" and "%id" stand for its name and bundle identifier.
// Entries ending in ".plist" are files, the others folders holding a little data.
const QString appSupport = u"Application Support/%name"_s;
const QString caches = u"Caches/%id"_s;
const QString preferences = u"Preferences/%id.plist"_s;
const QString containers = u"Containers/%id"_s;
const QString logs = u"Logs/%name"_s;
const QString launchAgent = u"LaunchAgents/%id.helper.plist"_s;
const QString savedState = u"Saved Application State/%id.savedState"_s;

struct SampleApp {
    QString name;
    QString bundleID;
    QString version;
    QString build;
    QList<quint32> processors; // one: a thin executable; more: a universal one
    Feed feed = Feed::none;
    QString feedVersion = {};
    QString feedBuild = {};
    QString caskToken = {};      // a cask installed the app
    QString caskNewVersion = {}; // its version once the cask is upgraded
    bool appStoreReceipt = false;
    bool icon = false;
    int payloadKiB = 512;
    QStringList leftovers = {};
};

const std::vector<SampleApp>& sampleApps()
{
    static const std::vector<SampleApp> apps{
        {.name = u"Kestrel Notes"_s,
            .bundleID = u"com.kestrelsoft.notes"_s,
            .version = u"2.3.1"_s,
            .build = u"231"_s,
            .processors = {kCpuTypeArm64},
            .feed = Feed::newer,
            .feedVersion = u"2.4.0"_s,
            .feedBuild = u"240"_s,
            .icon = true,
            .payloadKiB = 2048,
            .leftovers = {appSupport, caches, preferences, savedState}},
        {.name = u"Pixel Harbor"_s,
            .bundleID = u"com.pixelharbor.harbor"_s,
            .version = u"5.0.2"_s,
            .build = u"502"_s,
            .processors = {kCpuTypeX86_64, kCpuTypeArm64},
            .feed = Feed::newer,
            .feedVersion = u"5.1.0"_s,
            .feedBuild = u"510"_s,
            .payloadKiB = 3072,
            .leftovers = {containers, logs, preferences}},
        {.name = u"Tidewater FTP"_s,
            .bundleID = u"com.tidewater.ftp"_s,
            .version = u"1.9.0"_s,
            .build = u"190"_s,
            .processors = {kCpuTypeX86_64},
            .feed = Feed::same,
            .feedVersion = u"1.9.0"_s,
            .feedBuild = u"190"_s,
            .payloadKiB = 1024,
            .leftovers = {caches, preferences}},
        {.name = u"Lumen Reader"_s,
            .bundleID = u"com.lumenreader.mac"_s,
            .version = u"3.2"_s,
            .build = u"320"_s,
            .processors = {kCpuTypeArm64},
            .feed = Feed::same,
            .feedVersion = u"3.2"_s,
            .feedBuild = u"320"_s,
            .payloadKiB = 1536},
        {.name = u"Orbit Clock"_s,
            .bundleID = u"com.orbitclock.app"_s,
            .version = u"1.0.4"_s,
            .build = u"104"_s,
            .processors = {kCpuTypeX86_64, kCpuTypeArm64},
            .feed = Feed::newerAfterDelay,
            .feedVersion = u"1.1.0"_s,
            .feedBuild = u"110"_s,
            .payloadKiB = 768},
        {.name = u"Firefox"_s,
            .bundleID = u"org.mozilla.firefox"_s,
            .version = u"124.0.2"_s,
            .build = u"12424"_s,
            .processors = {kCpuTypeX86_64, kCpuTypeArm64},
            .caskToken = u"firefox"_s,
            .caskNewVersion = u"125.0.3"_s,
            .payloadKiB = 4096,
            .leftovers = {appSupport, caches}},
        {.name = u"Visual Studio Code"_s,
            .bundleID = u"com.microsoft.VSCode"_s,
            .version = u"1.88.1"_s,
            .build = u"1.88.1"_s,
            .processors = {kCpuTypeX86_64, kCpuTypeArm64},
            .caskToken = u"visual-studio-code"_s,
            .caskNewVersion = u"1.89.0"_s,
            .payloadKiB = 3584,
            .leftovers = {caches, savedState}},
        {.name = u"iTerm"_s,
            .bundleID = u"com.googlecode.iterm2"_s,
            .version = u"3.4.23"_s,
            .build = u"3.4.23"_s,
            .processors = {kCpuTypeX86_64, kCpuTypeArm64},
            .caskToken = u"iterm2"_s,
            .payloadKiB = 1280,
            .leftovers = {preferences}},
        {.name = u"Docker"_s,
            .bundleID = u"com.docker.docker"_s,
            .version = u"4.28.0"_s,
            .build = u"139021"_s,
            .processors = {kCpuTypeArm64},
            .caskToken = u"docker"_s,
            .caskNewVersion = u"4.29.0"_s,
            .payloadKiB = 2560,
            .leftovers = {appSupport, containers}},
        {.name = u"Lumbra"_s,
            .bundleID = u"com.quorvane.lumbra"_s,
            .version = u"2.0.1"_s,
            .build = u"201"_s,
            .processors = {kCpuTypeArm64},
            .payloadKiB = 896},
        {.name = u"Sketchbook Lite"_s,
            .bundleID = u"com.sketchbook.lite"_s,
            .version = u"1.6"_s,
            .build = u"16"_s,
            .processors = {kCpuTypeArm64},
            .appStoreReceipt = true,
            .payloadKiB = 1024,
            .leftovers = {containers}},
        {.name = u"Legacy Tool"_s,
            .bundleID = u"com.oldsoft.legacytool"_s,
            .version = u"0.9.8"_s,
            .build = u"98"_s,
            .processors = {kCpuTypeX86},
            .payloadKiB = 256,
            .leftovers = {appSupport, logs}},
        {.name = QString::fromLatin1(DemoHome::lateTrashedAppName),
            .bundleID = u"com.snapframe.app"_s,
            .version = u"4.1"_s,
            .build = u"41"_s,
            .processors = {kCpuTypeArm64},
            .payloadKiB = 1024,
            .leftovers = {appSupport, caches, preferences, containers, launchAgent, savedState}},
    };
    return apps;
}

QString feedPath(const SampleApp& app)
{
    return u"/appcasts/"_s + app.bundleID + u".xml"_s;
}

QByteArray appcast(const QString& appName, const QString& version, const QString& build)
{
    return uR"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>%1</title>
<item><title>%1 %2</title><pubDate>Mon, 07 Dec 2026 10:00:00 +0000</pubDate>
<description><![CDATA[<h2>%1 %2</h2><ul><li>Faster start-up</li><li>Fixes a crash when closing a window</li></ul>]]></description>
<sparkle:minimumSystemVersion>12.0</sparkle:minimumSystemVersion>
<enclosure url="https://downloads.example.com/%4/%2.zip" sparkle:version="%3" sparkle:shortVersionString="%2" length="48213504" type="application/octet-stream"/>
</item></channel></rss>
)"_s.arg(appName, version, build, QString(appName).remove(u' ').toLower())
        .toUtf8();
}

LoopbackHttpServer::Response feedResponse(const SampleApp& app, bool slowFeed)
{
    const bool newer = app.feed == Feed::newer || app.feed == Feed::newerAfterDelay;
    LoopbackHttpServer::Response response = LoopbackHttpServer::Response::ok(
        appcast(app.name, newer ? app.feedVersion : app.version, newer ? app.feedBuild : app.build));
    response.headers = {{"Content-Type", "application/rss+xml"}};
    if (app.feed == Feed::newerAfterDelay && slowFeed)
        response.delayMs = 6000; // long enough to watch "Check Updates" at work
    return response;
}

QVariantMap infoOf(const SampleApp& app, const QString& version, const std::optional<QString>& feedUrl)
{
    QVariantMap info{{u"CFBundleName"_s, app.name}, {u"CFBundleIdentifier"_s, app.bundleID},
        {u"CFBundleShortVersionString"_s, version}, {u"CFBundleVersion"_s, app.build},
        {u"CFBundlePackageType"_s, u"APPL"_s}, {u"LSMinimumSystemVersion"_s, u"12.0"_s}};
    if (feedUrl)
        info.insert(u"SUFeedURL"_s, *feedUrl);
    if (app.icon)
        info.insert(u"CFBundleIconFile"_s, u"AppIcon"_s);
    return info;
}

QByteArray executableFor(const QList<quint32>& processors)
{
    if (processors.size() > 1)
        return fatMachO(processors);
    return thinMachO(processors.first(), ByteOrder::little, processors.first() != kCpuTypeX86);
}

// A rounded tile with a page on it, as an .icns holding one 128 x 128 PNG ("ic07").
QByteArray sampleIcon()
{
    QImage image(128, 128, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient tile(0, 0, 0, 128);
        tile.setColorAt(0, QColor(0x2f, 0xb8, 0x9a));
        tile.setColorAt(1, QColor(0x1d, 0x5f, 0xa8));
        painter.setPen(Qt::NoPen);
        painter.setBrush(tile);
        painter.drawRoundedRect(QRectF(6, 6, 116, 116), 26, 26);
        painter.setBrush(QColor(255, 255, 255, 235));
        painter.drawRoundedRect(QRectF(34, 26, 60, 76), 8, 8);
        painter.setPen(QPen(QColor(0x1d, 0x5f, 0xa8), 5, Qt::SolidLine, Qt::RoundCap));
        for (int line = 0; line < 4; ++line)
            painter.drawLine(QPointF(44, 44 + line * 14), QPointF(line == 3 ? 68 : 84, 44 + line * 14));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");

    const auto bigEndian = [](quint32 value) {
        QByteArray bytes(4, '\0');
        qToBigEndian(value, bytes.data());
        return bytes;
    };
    const QByteArray entry = "ic07" + bigEndian(quint32(png.size() + 8)) + png;
    return "icns" + bigEndian(quint32(entry.size() + 8)) + entry;
}

void makeLeftovers(const QString& library, const SampleApp& app)
{
    for (QString entry : app.leftovers) {
        entry.replace(u"%name"_s, app.name).replace(u"%id"_s, app.bundleID);
        const QString path = library + u'/' + entry;
        if (entry.endsWith(u".plist"_s))
            writeFile(path, propertyList(QVariantMap{{u"LastLaunch"_s, u"2026-12-01"_s}}));
        else
            writeFile(path + u"/data.bin"_s, QByteArray(64 * 1024 + int(entry.size()) * 4096, 'd'));
    }
}

QDateTime hoursAgo(int hours)
{
    return QDateTime::currentDateTimeUtc().addSecs(-3600LL * hours);
}

std::vector<UpdateLogEntry> sampleHistory()
{
    const auto entry = [](int hours, const QString& name, UpdateLogAction action, std::optional<QString> from,
                           std::optional<QString> to, UpdateLogStatus status, const QString& details) {
        return UpdateLogEntry(
            QUuid::createUuid(), hoursAgo(hours), name, action, std::move(from), std::move(to), status, details);
    };
    using Action = UpdateLogAction;
    using Status = UpdateLogStatus;
    return {
        entry(2, u"wget"_s, Action::brewUpgrade, u"1.24.4"_s, u"1.24.5"_s, Status::success, u"brew upgrade wget"_s),
        entry(26, u"Lumen Reader"_s, Action::sparkleDownload, u"3.1"_s, u"3.2"_s, Status::success,
            u"https://downloads.example.com/lumenreader/3.2.zip"_s),
        entry(50, u"terraform"_s, Action::brewInstall, std::nullopt, u"1.8.1"_s, Status::success,
            u"brew install terraform"_s),
        entry(75, u"Photo Booth Pro"_s, Action::appUninstall, u"2.2"_s, std::nullopt, Status::success,
            u"Moved the app and 5 leftovers to the Trash"_s),
        entry(98, u"Homebrew"_s, Action::brewCleanup, std::nullopt, std::nullopt, Status::failed,
            u"Error: Permission denied @ rb_file_s_rename"_s),
        entry(122, u"Old Game"_s, Action::leftoverTrash, std::nullopt, std::nullopt, Status::success,
            u"3 leftovers (12.4 MB)"_s),
        entry(146, u"Upgrade all Homebrew packages"_s, Action::brewUpgrade, std::nullopt, std::nullopt,
            Status::cancelled, u"Cancelled after 2 of 5 packages"_s),
    };
}

} // namespace

DemoHome::DemoHome(const Options& options)
    : m_feeds(std::make_unique<LoopbackHttpServer>())
{
    makeSampleApps(options.slowFeed);
    makeFillerApps(options.fillerBundles);

    std::vector<DemoBrew::CaskApp> caskApps;
    for (const SampleApp& app : sampleApps()) {
        if (app.caskNewVersion.isEmpty())
            continue;
        caskApps.push_back({.token = app.caskToken,
            .infoPlistPath = applications() + u'/' + app.name + u".app/Contents/Info.plist"_s,
            .upgradedInfoPlist = propertyList(infoOf(app, app.caskNewVersion, std::nullopt))});
    }
    m_brew = DemoBrew::write(
        {.folder = m_home.filePath(u".linuxbrew"_s), .caskApps = caskApps, .linePause = options.brewLinePause});
    makeHistoryAndSettings();
}

DemoHome::~DemoHome() = default;

int DemoHome::sampleAppCount()
{
    return int(sampleApps().size());
}

QString DemoHome::applications() const
{
    return m_home.filePath(u"Applications"_s);
}

QString DemoHome::library() const
{
    return m_home.filePath(u"Library"_s);
}

void DemoHome::makeSampleApps(bool slowFeed)
{
    for (const SampleApp& app : sampleApps()) {
        std::optional<QString> feedUrl;
        if (app.feed != Feed::none) {
            feedUrl = m_feeds->url(feedPath(app));
            m_feeds->setResponse(feedPath(app), feedResponse(app, slowFeed));
        }
        const QString bundle = makeAppBundle(applications() + u'/' + app.name + u".app"_s,
            {.info = infoOf(app, app.version, feedUrl),
                .executableName = QString(app.name).remove(u' '),
                .executable = executableFor(app.processors),
                .appStoreReceipt = app.appStoreReceipt});
        writeFile(bundle + u"/Contents/Resources/payload.bin"_s, QByteArray(app.payloadKiB * 1024, 'p'));
        if (app.icon)
            writeFile(bundle + u"/Contents/Resources/AppIcon.icns"_s, sampleIcon());
        makeLeftovers(library(), app);
        m_appNames << app.name;
    }
}

void DemoHome::makeFillerApps(int count)
{
    const QString feed = u"/appcasts/sample.xml"_s;
    m_feeds->setResponse(feed, LoopbackHttpServer::Response::ok(appcast(u"Sample App"_s, u"1.0"_s, u"100"_s)));
    for (int index = 1; index <= count; ++index) {
        const QString number = u"%1"_s.arg(index, 3, 10, QLatin1Char('0'));
        const QString name = u"Sample App "_s + number;
        QVariantMap info{{u"CFBundleName"_s, name}, {u"CFBundleIdentifier"_s, u"com.example.sample"_s + number},
            {u"CFBundleShortVersionString"_s, u"1.0"_s}, {u"CFBundleVersion"_s, u"100"_s}};
        if (index % 4 == 0)
            info.insert(u"SUFeedURL"_s, m_feeds->url(feed));
        makeAppBundle(applications() + u'/' + name + u".app"_s,
            {.info = info, .executableName = u"SampleApp"_s, .executable = thinMachO(kCpuTypeArm64)});
        m_appNames << name;
    }
}

void DemoHome::makeHistoryAndSettings() const
{
    UpdateConfigStore store(UpdateConfigStore::defaultDirectoryURL(), 100);
    store.saveConfig({.includeHomebrewFormulaeInBadge = true});
    store.saveHistory(sampleHistory());
}

void DemoHome::applyToEnvironment() const
{
    const QString brewFolder = QFileInfo(m_brew).path();
    qputenv("PATH", (brewFolder + u':' + qEnvironmentVariable("PATH")).toUtf8());

    const QString sessionRuntime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString runtime = m_home.filePath(u".run"_s);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    if (sessionRuntime.isEmpty())
        return;
    // The display and the session bus are still found in the session's own runtime folder.
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (!wayland.isEmpty() && !wayland.startsWith(u'/'))
        qputenv("WAYLAND_DISPLAY", (sessionRuntime + u'/' + wayland).toUtf8());
    const QString bus = sessionRuntime + u"/bus"_s;
    if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS") && QFileInfo::exists(bus))
        qputenv("DBUS_SESSION_BUS_ADDRESS", (u"unix:path="_s + bus).toUtf8());
}

bool DemoHome::trashLateApp() const
{
    const QString bundle = applications() + u'/' + QString::fromLatin1(lateTrashedAppName) + u".app"_s;
    return QFileInfo::exists(bundle) && TruneTrash::trashItem(bundle).has_value();
}

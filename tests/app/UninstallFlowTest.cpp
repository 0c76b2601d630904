#include "app/viewmodel/UpdateStudioViewModel.h"

#include "core/inventory/InstalledAppScanner.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/platform/TruneTrash.h"
#include "tests/app/StudioTestHome.h"
#include "tests/app/ToastLog.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>

#include <atomic>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Relative path -> SHA-256 of every file below `root` (or of `root` itself when it is a file).
QMap<QString, QByteArray> checksums(const QString& root)
{
    const auto hashOf = [](const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    };
    QMap<QString, QByteArray> sums;
    if (QFileInfo(root).isFile()) {
        sums.insert(u"."_s, hashOf(root));
        return sums;
    }
    QDirIterator files(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        sums.insert(QDir(root).relativeFilePath(path), hashOf(path));
    }
    return sums;
}

class UninstallFlowTest : public ::testing::Test {
protected:
    QString library(const QString& relative) const { return home.home.filePath(u"Library/"_s + relative); }
    QString trashFiles(const QString& name) const { return home.home.dataHome() + u"/Trash/files/"_s + name; }
    QString trashInfo(const QString& name) const
    {
        return home.home.dataHome() + u"/Trash/info/"_s + name + u".trashinfo"_s;
    }
    // Original path -> path in the Trash, from the Trash's records.
    QMap<QString, QString> trashedOriginals() const
    {
        const QString infoFolder = home.home.dataHome() + u"/Trash/info"_s;
        QMap<QString, QString> originals;
        for (const QString& infoName : QDir(infoFolder).entryList(QDir::Files | QDir::Hidden)) {
            QFile info(infoFolder + u"/"_s + infoName);
            if (!info.open(QIODevice::ReadOnly))
                continue;
            for (const QByteArray& line : info.readAll().split('\n')) {
                if (line.startsWith("Path="))
                    originals.insert(QFile::decodeName(QByteArray::fromPercentEncoding(line.sliced(5))),
                        trashFiles(infoName.chopped(u".trashinfo"_s.size())));
            }
        }
        return originals;
    }

    // "Lumen" (com.example.lumen) in Applications, with leftovers in three Library folders.
    QString makeLumen()
    {
        BundleMaker::writeFile(library(u"Application Support/com.example.lumen/store.bin"_s), QByteArray(30000, 's'));
        BundleMaker::writeFile(library(u"Caches/com.example.lumen/cache.db"_s), QByteArray(9000, 'c'));
        BundleMaker::writeFile(library(u"Preferences/com.example.lumen.plist"_s), QByteArray(300, 'p'));
        return makeApp(u"Lumen"_s, u"com.example.lumen"_s);
    }

    QString makeApp(const QString& name, const QString& bundleID, const QString& folder = {})
    {
        const QVariantMap info{{u"CFBundleIdentifier"_s, bundleID}, {u"CFBundleName"_s, name},
            {u"CFBundleShortVersionString"_s, u"1.2.3"_s}, {u"CFBundleVersion"_s, u"123"_s}};
        return BundleMaker::makeAppBundle((folder.isEmpty() ? home.applications() : folder) + u"/"_s + name + u".app"_s,
            {.info = info, .executableName = name});
    }

    std::unique_ptr<UpdateStudioViewModel> makeModel(UpdateStudioEnvironment environment)
    {
        auto model = std::make_unique<UpdateStudioViewModel>(std::move(environment));
        toasts.follow(*model);
        EXPECT_TRUE(waitForFirstRefresh(*model));
        return model;
    }
    std::unique_ptr<UpdateStudioViewModel> makeModel() { return makeModel(home.environment()); }

    static std::optional<InstalledAppRecord> installed(const UpdateStudioViewModel& model, const QString& name)
    {
        for (const InstalledAppRecord& app : model.state().installedApps) {
            if (app.name == name)
                return app;
        }
        return std::nullopt;
    }

    static bool inspectAndWait(UpdateStudioViewModel& model, const InstalledAppRecord& app)
    {
        model.inspectAppForUninstall(app, true);
        return waitUntil([&] { return !model.state().isScanningLeftovers; });
    }

    static bool moveAndWait(UpdateStudioViewModel& model)
    {
        const size_t before = model.state().history.size();
        model.trashSelectedLeftovers();
        return waitUntil([&] { return model.state().history.size() > before && !model.state().isMovingToTrash; });
    }

    NoBrewAnywhere noBrew;
    StudioTestHome home;
    ToastLog toasts; // of every model makeModel() made
};

TEST_F(UninstallFlowTest, UninstallingMovesBundleAndLeftoversIntoTheHomeTrashUnchanged)
{
    const QString bundle = makeLumen();
    auto model = makeModel();
    const std::optional<InstalledAppRecord> lumen = installed(*model, u"Lumen"_s);
    ASSERT_TRUE(lumen);

    ASSERT_TRUE(inspectAndWait(*model, *lumen));
    const StudioState& state = model->state();
    EXPECT_EQ(state.selectedTab, UpdateStudioTab::uninstaller);
    EXPECT_TRUE(state.includeAppBundleInTrash);
    ASSERT_EQ(state.leftoverItems.size(), 3u);
    EXPECT_TRUE(std::ranges::all_of(state.leftoverItems, &LeftoverFileItem::isSelected));
    EXPECT_GT(state.uninstallerTargetApp->sizeBytes, 0); // measured, as the record had no size yet
    EXPECT_EQ(installed(*model, u"Lumen"_s)->sizeBytes, state.uninstallerTargetApp->sizeBytes);
    EXPECT_EQ(home.logMessages(TruneLogLevel::info, u"uninstall"_s),
        QStringList{u"Scanned uninstall leftovers for Lumen: 3 item(s) found"_s});

    std::map<QString, QMap<QString, QByteArray>> before;
    qint64 expectedBytes = FastDirectorySizeReader::allocatedSize(bundle, false);
    before[bundle] = checksums(bundle);
    for (const LeftoverFileItem& item : state.leftoverItems) {
        before[item.path] = checksums(item.path);
        expectedBytes += item.sizeBytes;
    }
    const QString size = TruneByteFormatter::format(expectedBytes);

    ASSERT_TRUE(moveAndWait(*model));
    const QMap<QString, QString> trashed = trashedOriginals();
    EXPECT_EQ(trashed.size(), qsizetype(before.size()));
    for (const auto& [original, sums] : before) {
        SCOPED_TRACE(original.toStdString());
        EXPECT_FALSE(QFileInfo::exists(original));
        ASSERT_TRUE(trashed.contains(original));
        EXPECT_EQ(checksums(trashed.value(original)), sums);
    }

    ASSERT_EQ(state.history.size(), 1u);
    const UpdateLogEntry& entry = state.history.front();
    EXPECT_EQ(entry.appName, u"Lumen"_s);
    EXPECT_EQ(entry.action, UpdateLogAction::appUninstall);
    EXPECT_EQ(entry.fromVersion, u"1.2.3"_s);
    EXPECT_EQ(entry.toVersion, std::nullopt);
    EXPECT_EQ(entry.status, UpdateLogStatus::success);
    EXPECT_EQ(entry.details, u"Moved 4 item(s) to Trash (%1)"_s.arg(size));
    EXPECT_EQ(UpdateConfigStore(home.configFolder(), 500).loadHistory().front().id(), entry.id());
    EXPECT_EQ(toasts.lastMessage(), u"Safely moved 4 items (%1) to Trash."_s.arg(size));
    EXPECT_FALSE(toasts.lastIsError());
    EXPECT_EQ(home.logMessages(TruneLogLevel::info, u"uninstall"_s).last(),
        u"Moved 4 item(s) (%1) to Trash for Lumen (includeBundle=true)"_s.arg(size));

    EXPECT_EQ(state.uninstallerTargetApp, std::nullopt);
    EXPECT_TRUE(state.leftoverItems.empty());
    ASSERT_TRUE(waitUntil([&] { return !installed(*model, u"Lumen"_s) && !state.isCheckingUpdates; }));
}

TEST_F(UninstallFlowTest, LeftoversOnlyKeepTheBundleAndRescanWhatIsLeft)
{
    const QString bundle = makeLumen();
    auto model = makeModel();
    ASSERT_TRUE(inspectAndWait(*model, *installed(*model, u"Lumen"_s)));
    const StudioState& state = model->state();
    const QString preferences = library(u"Preferences/com.example.lumen.plist"_s);

    model->setIncludeAppBundleInTrash(false);
    model->toggleLeftoverSelection(preferences);
    model->toggleLeftoverSelection(u"/no/such/leftover"_s); // changes nothing
    EXPECT_EQ(std::ranges::count_if(state.leftoverItems, &LeftoverFileItem::isSelected), 2);

    ASSERT_TRUE(moveAndWait(*model));
    EXPECT_TRUE(QFileInfo::exists(bundle));
    EXPECT_TRUE(QFileInfo::exists(preferences));
    EXPECT_EQ(state.history.front().action, UpdateLogAction::leftoverTrash);
    EXPECT_TRUE(state.history.front().details.startsWith(u"Moved 2 item(s) to Trash ("_s));
    EXPECT_EQ(state.uninstallerTargetApp->name, u"Lumen"_s);
    EXPECT_EQ(state.selectedTab, UpdateStudioTab::uninstaller);
    // The rescan shows what stayed, selected again.
    ASSERT_TRUE(waitUntil([&] { return !state.isScanningLeftovers; }));
    ASSERT_EQ(state.leftoverItems.size(), 1u);
    EXPECT_EQ(state.leftoverItems.front().path, preferences);
    EXPECT_TRUE(state.leftoverItems.front().isSelected);
}

TEST_F(UninstallFlowTest, NothingSelectedStillWritesAnEmptyMoveEntry)
{
    makeLumen();
    auto model = makeModel();
    ASSERT_TRUE(inspectAndWait(*model, *installed(*model, u"Lumen"_s)));
    model->setAllLeftoversSelected(false);
    model->setIncludeAppBundleInTrash(false);

    ASSERT_TRUE(moveAndWait(*model));
    const UpdateLogEntry& entry = model->state().history.front();
    EXPECT_EQ(entry.action, UpdateLogAction::leftoverTrash);
    EXPECT_EQ(entry.status, UpdateLogStatus::success);
    EXPECT_EQ(entry.details, u"Moved 0 item(s) to Trash (0 B)"_s);
    EXPECT_EQ(toasts.lastMessage(), u"Safely moved 0 items (0 B) to Trash."_s);
    EXPECT_EQ(QDir(home.home.dataHome() + u"/Trash/files"_s).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList());
}

TEST_F(UninstallFlowTest, WithoutATargetNothingIsMovedOrRecorded)
{
    auto model = makeModel();
    model->trashSelectedLeftovers();
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_TRUE(model->state().history.empty());
    EXPECT_TRUE(toasts.shown().empty());
    EXPECT_FALSE(model->state().isMovingToTrash);
}

// A path the move refuses (here one outside the scanned Library folders) fails alone: the rest is
// moved, the entry is marked failed, and the leftovers are scanned again.
TEST_F(UninstallFlowTest, APartialFailureIsRecordedWarnedAndRescanned)
{
    makeLumen();
    const QString outside = home.home.filePath(u"Documents/precious.txt"_s);
    BundleMaker::writeFile(outside, "precious");
    auto model = makeModel();
    const InstalledAppRecord lumen = *installed(*model, u"Lumen"_s);
    ASSERT_TRUE(inspectAndWait(*model, lumen));
    const QString caches = library(u"Caches/com.example.lumen"_s);
    const TrashLeftoverAlert alert(QUuid::createUuid(), u"Lumen"_s, u"com.example.lumen"_s, lumen.path,
        QDateTime::currentDateTimeUtc(),
        {LeftoverFileItem(std::nullopt, caches, LeftoverCategory::caches, 9000, true),
            LeftoverFileItem(std::nullopt, outside, LeftoverCategory::other, 8, true)});
    model->openTrashAlertInUninstaller(alert);

    model->setLanguage(TruneLanguage::tr);
    ASSERT_TRUE(moveAndWait(*model));
    const StudioState& state = model->state();
    EXPECT_EQ(state.history.front().status, UpdateLogStatus::failed);
    EXPECT_EQ(state.history.front().action, UpdateLogAction::leftoverTrash);
    EXPECT_EQ(state.history.front().fromVersion, u"Trashed"_s);
    EXPECT_EQ(toasts.lastMessage(), u"1 öğe Çöp Sepetine taşındı; 1 öğede hata oluştu."_s);
    EXPECT_TRUE(toasts.lastIsError());
    EXPECT_EQ(home.logMessages(TruneLogLevel::warn, u"uninstall"_s),
        QStringList{u"Uninstall trash for Lumen moved 1 item(s) with 1 failure(s) (includeBundle=false)"_s});
    EXPECT_TRUE(QFileInfo::exists(outside));
    EXPECT_FALSE(QFileInfo::exists(caches));
    ASSERT_TRUE(waitUntil([&] { return state.leftoverItems.size() == 2 && !state.isScanningLeftovers; }));

    // The English text quotes the refusal.
    model->setLanguage(TruneLanguage::en);
    model->openTrashAlertInUninstaller(alert);
    ASSERT_TRUE(moveAndWait(*model));
    EXPECT_EQ(toasts.lastMessage(),
        u"Moved 0 items to Trash; 1 failed (Only items found in the Library folders searched for leftovers can be "
        "moved to the Trash.)."_s);
    TruneLanguage::setFollowSystem();
}

TEST_F(UninstallFlowTest, DroppedBundlesAreReadOrRefusedWithAReason)
{
    const QString shout = makeApp(u"Shout"_s, u"com.example.shout"_s, home.home.filePath(u"Downloads"_s));
    const QString capital = home.home.filePath(u"Downloads/LOUD.APP"_s);
    ASSERT_TRUE(QDir().rename(shout, capital));
    const QString archive = home.home.filePath(u"Downloads/Shout.zip"_s);
    BundleMaker::writeFile(archive, "PK");
    // A file with the bundle's extension: nothing to read a bundle from.
    const QString unreadable = home.home.filePath(u"Downloads/Broken.app"_s);
    BundleMaker::writeFile(unreadable, "PK");
    auto model = makeModel();
    const StudioState& state = model->state();

    struct Case {
        QUrl url;
        std::optional<QString> errorToast; // none: accepted
    };
    const QString notABundle = u"Please drop a valid macOS .app bundle."_s;
    const Case cases[] = {
        {QUrl::fromLocalFile(archive), notABundle},
        {QUrl::fromLocalFile(home.home.filePath(u"Downloads"_s)), notABundle},
        {QUrl(u"https://example.com/Shout.app"_s), notABundle},
        {QUrl::fromLocalFile(unreadable), u"Could not read app bundle metadata."_s},
        {QUrl::fromLocalFile(capital + u"/"_s), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url.toString().toStdString());
        model->setSelectedTab(UpdateStudioTab::settings);
        model->showToast(u"-"_s, false);
        model->inspectDroppedAppURL(c.url);
        if (c.errorToast) {
            ASSERT_TRUE(waitUntil([&] { return toasts.lastMessage() != u"-"_s; }));
            EXPECT_EQ(toasts.lastMessage(), c.errorToast);
            EXPECT_TRUE(toasts.lastIsError());
            EXPECT_EQ(state.uninstallerTargetApp, std::nullopt);
            EXPECT_EQ(state.selectedTab, UpdateStudioTab::settings);
        } else {
            ASSERT_TRUE(waitUntil([&] { return state.uninstallerTargetApp && !state.isScanningLeftovers; }));
            EXPECT_EQ(state.uninstallerTargetApp->bundleID, u"com.example.shout"_s);
            EXPECT_EQ(state.uninstallerTargetApp->path, capital);
            EXPECT_GT(state.uninstallerTargetApp->sizeBytes, 0);
            EXPECT_TRUE(state.includeAppBundleInTrash);
            EXPECT_EQ(state.selectedTab, UpdateStudioTab::uninstaller);
        }
    }
}

// A bundle dragged to the Trash by hand, with its leftovers still in the Library, raises an alert
// through the real Trash watcher.
TEST_F(UninstallFlowTest, TheTrashWatcherFilesAnAlertThatOpensInTheUninstaller)
{
    const QString bundle = makeLumen();
    auto model = makeModel();
    const StudioState& state = model->state();
    const TrashLeftoverAlert older(QUuid::createUuid(), u"Older"_s, u"com.example.older"_s, trashFiles(u"Older.app"_s),
        QDateTime::currentDateTimeUtc(), {});
    model->receiveTrashAlert(older);

    ASSERT_TRUE(TruneTrash::trashItem(bundle).has_value());
    ASSERT_TRUE(waitUntil([&] { return state.trashAlerts.size() == 2; }));
    const TrashLeftoverAlert alert = state.trashAlerts.front();
    EXPECT_EQ(alert.appName(), u"Lumen"_s);
    EXPECT_EQ(alert.trashedAppPath(), trashFiles(u"Lumen.app"_s));
    ASSERT_EQ(alert.leftovers().size(), 3u);
    EXPECT_EQ(state.trashAlerts.back(), older);
    const QString size = TruneByteFormatter::format(alert.totalSizeBytes());
    EXPECT_EQ(toasts.lastMessage(), u"Lumen moved to Trash — 3 leftovers found (%1)."_s.arg(size));
    EXPECT_EQ(home.logMessages(TruneLogLevel::info, u"uninstall"_s).last(),
        u"Trash watcher detected Lumen with 3 leftover(s)"_s);

    // Another alert for the same path, whatever it found, is dropped.
    model->showToast(u"-"_s, false);
    model->receiveTrashAlert(TrashLeftoverAlert(QUuid::createUuid(), u"Lumen"_s, u"com.example.lumen"_s,
        alert.trashedAppPath(), QDateTime::currentDateTimeUtc(), {}));
    EXPECT_EQ(state.trashAlerts.size(), 2u);
    EXPECT_EQ(toasts.lastMessage(), u"-"_s);

    std::vector<LeftoverFileItem> shown = alert.leftovers();
    model->openTrashAlertInUninstaller(alert);
    EXPECT_EQ(state.selectedTab, UpdateStudioTab::uninstaller);
    EXPECT_EQ(state.trashAlerts, std::vector{older});
    EXPECT_EQ(state.leftoverItems, shown);
    EXPECT_FALSE(state.includeAppBundleInTrash);
    ASSERT_TRUE(state.uninstallerTargetApp);
    const InstalledAppRecord& target = *state.uninstallerTargetApp;
    EXPECT_EQ(target.id(), u"com.example.lumen::"_s + alert.trashedAppPath());
    EXPECT_EQ(target.installedVersion, u"Trashed"_s);
    EXPECT_EQ(target.path, alert.trashedAppPath());
    EXPECT_EQ(target.origin, AppOriginKind::direct);
    EXPECT_EQ(target.architecture, AppArchitecture::unknown);
    EXPECT_EQ(target.sizeBytes, 0);

    model->dismissTrashAlert(older);
    EXPECT_TRUE(state.trashAlerts.empty());
}

// The bundle the user just uninstalled, leftovers kept on purpose, arrives in the Trash: that is
// no news, and the uninstall's own toast stays. A bundle the user trashes elsewhere still is, and
// so is this one once a minute has passed.
TEST_F(UninstallFlowTest, TheTrashWatcherPassesOverABundleThisProgramJustMoved)
{
    makeLumen();
    BundleMaker::writeFile(library(u"Caches/com.example.quill/cache.db"_s), QByteArray(5000, 'q'));
    const QString quill = makeApp(u"Quill"_s, u"com.example.quill"_s);
    UpdateStudioEnvironment environment = home.environment();
    const auto clockOffset = std::make_shared<qint64>(0);
    environment.now = [clockOffset] { return QDateTime::currentDateTimeUtc().addSecs(*clockOffset); };
    auto model = makeModel(environment);
    const StudioState& state = model->state();
    toasts.clear();

    ASSERT_TRUE(inspectAndWait(*model, *installed(*model, u"Lumen"_s)));
    model->toggleLeftoverSelection(library(u"Preferences/com.example.lumen.plist"_s));
    ASSERT_TRUE(moveAndWait(*model));
    ASSERT_EQ(state.history.front().action, UpdateLogAction::appUninstall);
    ASSERT_TRUE(toasts.lastMessage());
    const QString moved = *toasts.lastMessage();
    EXPECT_TRUE(moved.startsWith(u"Safely moved 3 items"_s));

    // Quill goes to the Trash after Lumen, so its alert comes after anything Lumen's arrival raised.
    ASSERT_TRUE(TruneTrash::trashItem(quill).has_value());
    ASSERT_TRUE(waitUntil([&] { return !state.trashAlerts.empty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(state.trashAlerts.size(), 1u);
    EXPECT_EQ(state.trashAlerts.front().appName(), u"Quill"_s);
    EXPECT_EQ(toasts.shown().front().message, moved);
    EXPECT_EQ(std::ranges::count_if(
                  toasts.shown(), [](const ToastLog::Toast& toast) { return toast.message.startsWith(u"Lumen"_s); }),
        0);

    *clockOffset = 61;
    model->receiveTrashAlert(TrashLeftoverAlert(QUuid::createUuid(), u"Lumen"_s, u"com.example.lumen"_s,
        trashFiles(u"Lumen.app"_s), QDateTime::currentDateTimeUtc(), {}));
    ASSERT_EQ(state.trashAlerts.size(), 2u);
    EXPECT_EQ(state.trashAlerts.front().appName(), u"Lumen"_s);
}

// Race: the user turns the bundle option on for a bundle that lies in the Trash. Moving it would
// only rename it there and separate it from its restore record, so it stays.
TEST_F(UninstallFlowTest, ABundleInTheTrashIsNeverTakenAgain)
{
    const QString bundle = makeLumen();
    auto model = makeModel();
    const StudioState& state = model->state();
    ASSERT_TRUE(TruneTrash::trashItem(bundle).has_value());
    ASSERT_TRUE(waitUntil([&] { return !state.trashAlerts.empty(); }));
    const QString trashed = trashFiles(u"Lumen.app"_s);
    QFile info(trashInfo(u"Lumen.app"_s));
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    const QByteArray record = info.readAll();
    info.close();

    // Inspected directly (as a dropped bundle would be), the bundle is not offered...
    InstalledAppRecord inTrash = *InstalledAppScanner::inspectAppBundle(trashed, false);
    ASSERT_TRUE(inspectAndWait(*model, inTrash));
    EXPECT_FALSE(state.includeAppBundleInTrash);
    // ... and turned on by hand, the move still leaves it.
    model->openTrashAlertInUninstaller(state.trashAlerts.front());
    model->setIncludeAppBundleInTrash(true);
    ASSERT_TRUE(moveAndWait(*model));
    EXPECT_EQ(state.history.front().action, UpdateLogAction::leftoverTrash);
    EXPECT_EQ(state.history.front().status, UpdateLogStatus::success);
    EXPECT_TRUE(state.history.front().details.startsWith(u"Moved 3 item(s)"_s));
    EXPECT_TRUE(QFileInfo(trashed).isDir());
    ASSERT_TRUE(info.open(QIODevice::ReadOnly));
    EXPECT_EQ(info.readAll(), record);
    EXPECT_FALSE(QFileInfo::exists(trashFiles(u"Lumen 2.app"_s)));
}

// Race: the user picks another app while the first app's scan still runs. The late result is
// dropped, whether the new target came from the list or from a Trash alert.
TEST_F(UninstallFlowTest, AScanThatEndsAfterTheUserMovedOnIsDropped)
{
    makeLumen();
    BundleMaker::writeFile(library(u"Caches/com.example.other"_s), "o");
    makeApp(u"Other"_s, u"com.example.other"_s);
    // Lumen's measurements wait at the gate, and each gives a new size, so its arrival shows.
    auto gate = std::make_shared<QSemaphore>();
    auto lumenMeasurements = std::make_shared<std::atomic<int>>(0);
    UpdateStudioEnvironment environment = home.environment();
    environment.measureSize = [gate, lumenMeasurements](const QString& path) {
        if (!path.endsWith(u"/Lumen.app"_s))
            return qint64(4096);
        gate->acquire();
        return qint64(4096) * ++*lumenMeasurements;
    };
    auto model = makeModel(std::move(environment));
    const StudioState& state = model->state();
    const auto lumenSize = [&] { return installed(*model, u"Lumen"_s)->sizeBytes; };
    gate->release(); // the refresh's own measurement
    ASSERT_TRUE(waitUntil([&] { return lumenSize() == 4096; }));

    for (const bool nextFromAlert : {false, true}) {
        SCOPED_TRACE(nextFromAlert ? "alert" : "list");
        InstalledAppRecord lumen = *installed(*model, u"Lumen"_s);
        lumen.sizeBytes = 0; // so its inspection measures, and waits at the gate
        model->inspectAppForUninstall(lumen, true);
        std::vector<LeftoverFileItem> expected;
        if (nextFromAlert) {
            expected = {LeftoverFileItem(
                std::nullopt, library(u"Caches/com.example.other"_s), LeftoverCategory::caches, 1, false)};
            model->openTrashAlertInUninstaller(TrashLeftoverAlert(QUuid::createUuid(), u"Other"_s,
                u"com.example.other"_s, trashFiles(u"Other.app"_s), QDateTime::currentDateTimeUtc(), expected));
            EXPECT_FALSE(state.isScanningLeftovers);
        } else {
            ASSERT_TRUE(inspectAndWait(*model, *installed(*model, u"Other"_s)));
            expected = state.leftoverItems;
            ASSERT_EQ(expected.size(), 1u);
        }
        const qint64 sizeBefore = lumenSize();
        gate->release();
        ASSERT_TRUE(waitUntil([&] { return lumenSize() > sizeBefore; })); // the late result has arrived
        EXPECT_EQ(state.uninstallerTargetApp->name, u"Other"_s);
        EXPECT_EQ(state.leftoverItems, expected);
        EXPECT_FALSE(state.isScanningLeftovers);
    }
}

// Race: a second click while the move runs, and another app picked before the move ends.
TEST_F(UninstallFlowTest, ASecondMoveIsIgnoredAndTheEndOfAMoveLeavesANewTargetAlone)
{
    const QString bundle = makeLumen();
    makeApp(u"Other"_s, u"com.example.other"_s);
    auto model = makeModel();
    const StudioState& state = model->state();
    ASSERT_TRUE(inspectAndWait(*model, *installed(*model, u"Lumen"_s)));

    model->trashSelectedLeftovers();
    EXPECT_TRUE(state.isMovingToTrash);
    model->trashSelectedLeftovers();
    const InstalledAppRecord other = *installed(*model, u"Other"_s);
    model->inspectAppForUninstall(other, false);
    ASSERT_TRUE(waitUntil([&] { return !state.isMovingToTrash && !state.history.empty(); }));
    ASSERT_TRUE(waitForStudioWork());

    EXPECT_EQ(state.history.size(), 1u);
    EXPECT_EQ(state.history.front().action, UpdateLogAction::appUninstall);
    EXPECT_FALSE(QFileInfo::exists(bundle));
    // Compared by place: the target's measured size may arrive after `other` was taken.
    ASSERT_TRUE(state.uninstallerTargetApp);
    EXPECT_EQ(state.uninstallerTargetApp->path, other.path);
    ASSERT_TRUE(waitUntil([&] { return !installed(*model, u"Lumen"_s) && !state.isCheckingUpdates; }));
    EXPECT_TRUE(installed(*model, u"Other"_s));
}

// The confirmation's selection is moved as it was taken: not what the list gained since, and
// nothing at all once the target changed or while its leftovers are being scanned.
TEST_F(UninstallFlowTest, ATakenSelectionMovesExactlyItsItemsAndOnlyForItsTarget)
{
    const QString bundle = makeLumen();
    makeApp(u"Other"_s, u"com.example.other"_s);
    auto model = makeModel();
    const StudioState& state = model->state();
    const InstalledAppRecord lumen = *installed(*model, u"Lumen"_s);
    ASSERT_TRUE(inspectAndWait(*model, lumen));
    const QString caches = library(u"Caches/com.example.lumen"_s);
    model->setIncludeAppBundleInTrash(false);
    model->toggleLeftoverSelection(caches);
    const UninstallSelection taken = *StudioDerived::uninstallSelection(state, true);
    ASSERT_EQ(taken.leftovers.size(), 2u);
    model->toggleLeftoverSelection(caches); // ticked again after the selection was taken

    ASSERT_TRUE(inspectAndWait(*model, *installed(*model, u"Other"_s)));
    model->trashUninstallSelection(taken);
    EXPECT_FALSE(state.isMovingToTrash) << "another target";
    model->inspectAppForUninstall(lumen, false);
    model->trashUninstallSelection(taken);
    EXPECT_FALSE(state.isMovingToTrash) << "a scan runs";
    ASSERT_TRUE(waitUntil([&] { return !state.isScanningLeftovers; }));
    EXPECT_TRUE(state.history.empty());

    model->trashUninstallSelection(taken);
    EXPECT_TRUE(state.isMovingToTrash);
    ASSERT_TRUE(waitUntil([&] { return !state.history.empty() && !state.isMovingToTrash; }));
    EXPECT_TRUE(state.history.front().details.startsWith(u"Moved 2 item(s)"_s));
    EXPECT_TRUE(QFileInfo::exists(caches));
    EXPECT_TRUE(QFileInfo::exists(bundle));
    for (const LeftoverFileItem& item : taken.leftovers)
        EXPECT_FALSE(QFileInfo::exists(item.path)) << item.path.toStdString();
}

} // namespace

#include "app/views/uninstaller/AppUninstallerView.h"

#include "app/models/LeftoverListModel.h"
#include "app/models/UninstallerAppListModel.h"
#include "app/viewmodel/StudioThreadPools.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/SortMenuButton.h"
#include "app/views/uninstaller/LeftoverReviewView.h"
#include "app/views/uninstaller/LeftoverRowDelegate.h"
#include "app/views/uninstaller/UninstallerAppPicker.h"
#include "app/views/uninstaller/UninstallerAppRowDelegate.h"
#include "app/views/uninstaller/UninstallerDropZone.h"
#include "app/views/uninstaller/UninstallerTexts.h"
#include "app/views/uninstaller/UninstallerViewState.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/platform/TruneTrash.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneApplicationStyle.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneGroundBackground.h"
#include "tests/app/StudioTestHome.h"
#include "tests/app/ToastLog.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/Screenshots.h"
#include "tests/support/ViewTestHarness.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSemaphore>
#include <QStackedWidget>
#include <QTest>
#include <QVBoxLayout>

#include <sys/time.h>

#include <atomic>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Close enough to tell the accent (71, 230, 193) from the success green (62, 230, 168).
bool near(QRgb pixel, const QColor& color, int tolerance = 12)
{
    return std::abs(qRed(pixel) - color.red()) + std::abs(qGreen(pixel) - color.green())
        + std::abs(qBlue(pixel) - color.blue())
        < tolerance;
}

// How many pixels of `area` in `image` look like `color`.
int pixelsLike(const QImage& image, const QRect& area, const QColor& color)
{
    int count = 0;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += near(image.pixel(x, y), color) ? 1 : 0;
    }
    return count;
}

QMimeData* fileDrag(const QList<QString>& paths)
{
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    mime->setUrls(urls);
    return mime;
}

class AppUninstallerViewTest : public ::testing::Test {
protected:
    void SetUp() override { TruneAnimations::setEnabled(false); }
    void TearDown() override
    {
        for (const std::shared_ptr<QSemaphore>& gate : m_gates)
            gate->release(); // a failed test must not leave workers waiting
        host.reset();
        model.reset();
        StudioThreadPools::files().waitForDone();
        TruneLanguage::setFollowSystem();
    }

    QString library(const QString& relative) const { return home.home.filePath(u"Library/"_s + relative); }
    QString trashFiles(const QString& name) const { return home.home.dataHome() + u"/Trash/files/"_s + name; }

    // The Trash's restore records: original path -> the item's path in the Trash.
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

    QString makeApp(const QString& name, const QString& bundleID, const QString& folder = {})
    {
        const QVariantMap info{{u"CFBundleIdentifier"_s, bundleID}, {u"CFBundleName"_s, name},
            {u"CFBundleShortVersionString"_s, u"1.2.3"_s}, {u"CFBundleVersion"_s, u"123"_s}};
        return BundleMaker::makeAppBundle((folder.isEmpty() ? home.applications() : folder) + u"/"_s + name + u".app"_s,
            {.info = info, .executableName = name});
    }

    // How many pixels of a row's size line (right of the icon, below the name) are painted in a
    // strong colour, as the accent is, rather than in the muted white.
    static int strongColourPixelsOfSizeLine(QListView& list, int row)
    {
        const QRect rowRect = list.visualRect(list.model()->index(row, 0));
        const int textLeft = rowRect.left() + 12 + int(UninstallerAppRowDelegate::iconSize) + 10;
        const QRect line(textLeft, rowRect.center().y() + 1, 90, rowRect.bottom() - rowRect.center().y() - 3);
        const QImage shot = list.viewport()->grab(line).toImage();
        int strong = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x) {
                const QColor pixel = shot.pixelColor(x, y);
                strong += pixel.alphaF() > 0.3 && pixel.hsvSaturationF() > 0.4 ? 1 : 0;
            }
        }
        return strong;
    }

    // "Lumen" in Applications, with leftovers in three Library folders.
    QString makeLumen()
    {
        BundleMaker::writeFile(library(u"Application Support/com.example.lumen/store.bin"_s), QByteArray(30000, 's'));
        BundleMaker::writeFile(library(u"Caches/com.example.lumen/cache.db"_s), QByteArray(9000, 'c'));
        BundleMaker::writeFile(library(u"Preferences/com.example.lumen.plist"_s), QByteArray(300, 'p'));
        return makeApp(u"Lumen"_s, u"com.example.lumen"_s);
    }

    // `count` small files in `folder`, written without the helpers' per-file checks, for speed.
    static void fillFolder(const QString& folder, int count)
    {
        ASSERT_TRUE(QDir().mkpath(folder));
        for (int index = 0; index < count; ++index) {
            QFile file(folder + u"/f"_s + QString::number(index));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
    }

    void start(UpdateStudioEnvironment environment)
    {
        model = std::make_unique<UpdateStudioViewModel>(std::move(environment));
        toasts.follow(*model);
        ASSERT_TRUE(waitForFirstRefresh(*model));
        host = std::make_unique<ViewHost<AppUninstallerView>>(new AppUninstallerView(*model, studioAccent()));
        view = host->view;
    }
    void start() { start(home.environment()); }

    // An environment in which every measurement of the bundle `name` (and so its leftover scan,
    // as the bundle is never measured before) waits until `gate` is released.
    UpdateStudioEnvironment gatedEnvironment(const QString& name, std::shared_ptr<QSemaphore> gate)
    {
        m_gates.push_back(gate);
        UpdateStudioEnvironment environment = home.environment();
        environment.measureSize = [suffix = u"/"_s + name + u".app"_s, gate](const QString& path) {
            if (path.endsWith(suffix)) {
                gate->acquire();
                gate->release();
            }
            return FastDirectorySizeReader::allocatedSize(path, true);
        };
        return environment;
    }

    const StudioState& state() const { return model->state(); }

    // Saves what the window shows where `part` lies, so that the part is seen on its ground.
    void saveShotOf(QWidget& part, const QString& name) const
    {
        const QRect area(part.mapTo(host->window.get(), QPoint(0, 0)), part.size());
        QLabel shot;
        shot.setPixmap(host->window->grab(area));
        shot.resize(area.size());
        saveScreenshot(shot, name);
    }
    // Lets the view model announce what changed, and nothing else happen: no result of a worker
    // reaches the main thread meanwhile, so a race stays where the test put it.
    void announceOnly() const { QCoreApplication::sendPostedEvents(model.get(), QEvent::MetaCall); }
    std::optional<InstalledAppRecord> installed(const QString& name) const
    {
        for (const InstalledAppRecord& app : state().installedApps) {
            if (app.name == name)
                return app;
        }
        return std::nullopt;
    }

    template <typename T> T& find(const QString& name) const { return *findNamed<T>(*view, name); }
    TrunePrimaryButton& moveButton() const { return find<TrunePrimaryButton>(u"moveSelectedToTrash"_s); }
    QCheckBox& bundleCheckbox() const { return find<QCheckBox>(u"bundleCheckbox"_s); }
    QString labelText(const QString& name) const { return find<QLabel>(name).text(); }

    bool scanDone() const { return state().uninstallerTargetApp && !state().isScanningLeftovers; }
    bool waitForScan()
    {
        const bool done = waitUntil([&] { return scanDone(); });
        settle();
        return done;
    }

    // Clicks the picker's row of `name`.
    void pickApp(const QString& name)
    {
        QListView& list = view->picker().listView();
        const int row = view->picker().listModel().rowOf(installed(name)->id());
        ASSERT_GE(row, 0) << name.toStdString();
        list.scrollTo(list.model()->index(row, 0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(row, 0)).center());
        settle();
    }

    // Clicks the checkbox of the leftover at `path`.
    void clickLeftoverCheckbox(const QString& path)
    {
        QListView& list = view->inspector().listView();
        const int row = view->inspector().listModel().rowOf(path);
        ASSERT_GE(row, 0) << path.toStdString();
        const QModelIndex index = list.model()->index(row, 0);
        list.scrollTo(index);
        const QPoint at = view->inspector().rowDelegate().checkboxRect(list.visualRect(index)).center().toPoint();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        settle();
    }

    // Presses the primary button and, when the confirmation comes up, its button `buttonName`.
    void confirmWith(const QString& buttonName)
    {
        QTest::mouseClick(&moveButton(), Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return view->confirmation() && view->confirmation()->isVisible(); }));
        auto* button = view->confirmation()->findChild<QPushButton*>(buttonName);
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
        // Only the closed box goes: the move it started stays where the test finds it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_EQ(view->confirmation(), nullptr);
    }

    bool moveDone(size_t historyBefore) const
    {
        return waitUntil([&] { return state().history.size() > historyBefore && !state().isMovingToTrash; });
    }

    NoBrewAnywhere noBrew;
    StudioTestHome home;
    ToastLog toasts;
    std::unique_ptr<UpdateStudioViewModel> model;
    std::unique_ptr<ViewHost<AppUninstallerView>> host;
    AppUninstallerView* view = nullptr;

private:
    std::vector<std::shared_ptr<QSemaphore>> m_gates;
};

TEST_F(AppUninstallerViewTest, TheDropZoneTakesOnlyDragsOfLocalFiles)
{
    const QString downloads = home.home.filePath(u"Downloads"_s);
    const QString loud = makeApp(u"Loud"_s, u"com.example.loud"_s, downloads);
    const QString shouting = downloads + u"/X.APP"_s;
    ASSERT_TRUE(QDir().rename(loud, shouting));
    const QString second = makeApp(u"Second"_s, u"com.example.second"_s, downloads);
    const QString notes = downloads + u"/notes.txt"_s;
    BundleMaker::writeFile(notes, "notes");
    const QString bare = BundleMaker::makeAppBundle(downloads + u"/Bare.app"_s, {.info = std::nullopt});
    start();
    UninstallerDropZone& zone = view->dropZone();
    const auto image = [&] { return zone.grab().toImage(); };
    const QRect leftEdge(0, 10, 3, zone.height() - 20);
    const QRect icon = find<QLabel>(u"dropZoneIcon"_s)
                           .geometry()
                           .translated(find<QLabel>(u"dropZoneIcon"_s).parentWidget()->mapTo(&zone, QPoint(0, 0)));
    const qreal dpr = zone.devicePixelRatioF();
    const auto scaled = [&](const QRect& rect) {
        return QRect((QPointF(rect.topLeft()) * dpr).toPoint(), (QSizeF(rect.size()) * dpr).toSize());
    };
    EXPECT_EQ(pixelsLike(image(), scaled(leftEdge), studioAccent()), 0);
    EXPECT_EQ(pixelsLike(image(), scaled(icon), TruneGlassTokens::success()), 0);
    EXPECT_GT(pixelsLike(image(), scaled(icon), studioAccent()), 0);

    // A drag of files: the targeted look, until the drag leaves.
    std::unique_ptr<QMimeData> files(fileDrag({shouting}));
    QDragEnterEvent enter(zone.rect().center(), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&zone, &enter);
    EXPECT_TRUE(enter.isAccepted());
    EXPECT_TRUE(view->uiState().isDropTargeted());
    EXPECT_GT(pixelsLike(image(), scaled(leftEdge), studioAccent()), 0) << "the dashed accent border";
    EXPECT_GT(pixelsLike(image(), scaled(icon), TruneGlassTokens::success()), 0);
    QDragLeaveEvent leave;
    QApplication::sendEvent(&zone, &leave);
    EXPECT_FALSE(view->uiState().isDropTargeted());
    EXPECT_EQ(pixelsLike(image(), scaled(leftEdge), studioAccent()), 0);

    // A text snippet is refused on entering and on dropping, and changes nothing.
    QMimeData text;
    text.setText(u"Lumen.app"_s);
    QDragEnterEvent textEnter(zone.rect().center(), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&zone, &textEnter);
    EXPECT_FALSE(textEnter.isAccepted());
    EXPECT_FALSE(view->uiState().isDropTargeted());
    EXPECT_FALSE(view->handleDrop(text));
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_TRUE(toasts.shown().empty());
    EXPECT_EQ(state().uninstallerTargetApp, std::nullopt);

    // Dropped files: the first is inspected, whatever it is; the view model judges it.
    struct Case {
        const char* what;
        QList<QString> paths;
        std::optional<QString> errorToast;
        QString targetName;
        QString identifier;
    };
    const Case cases[] = {
        {"a text file before two bundles", {notes, shouting, second}, u"Please drop a valid macOS .app bundle."_s, {},
            {}},
        {"a capitalised extension", {shouting}, std::nullopt, u"Loud"_s, u"com.example.loud"_s},
        {"a bundle without Info.plist", {bare, second}, std::nullopt, u"Bare"_s, bare},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        model->showToast(u"-"_s, false);
        const std::optional<InstalledAppRecord> before = state().uninstallerTargetApp;
        std::unique_ptr<QMimeData> dropped(fileDrag(c.paths));
        QDragEnterEvent dropEnter(zone.rect().center(), Qt::CopyAction, dropped.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&zone, &dropEnter);
        QDropEvent drop(QPointF(zone.rect().center()), Qt::CopyAction, dropped.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&zone, &drop);
        EXPECT_TRUE(drop.isAccepted());
        EXPECT_FALSE(view->uiState().isDropTargeted());
        if (c.errorToast) {
            ASSERT_TRUE(waitUntil([&] { return toasts.lastMessage() != u"-"_s; }));
            EXPECT_EQ(toasts.lastMessage(), c.errorToast);
            EXPECT_TRUE(toasts.lastIsError());
            EXPECT_EQ(state().uninstallerTargetApp, before);
            continue;
        }
        ASSERT_TRUE(waitUntil([&] { return scanDone() && state().uninstallerTargetApp->name == c.targetName; }));
        settle();
        EXPECT_EQ(state().selectedTab, UpdateStudioTab::uninstaller);
        EXPECT_EQ(labelText(u"targetName"_s), c.targetName);
        EXPECT_EQ(find<TruneElidedLabel>(u"targetIdentifier"_s).text(), c.identifier);
        EXPECT_EQ(toasts.lastMessage(), u"-"_s);
    }
}

TEST_F(AppUninstallerViewTest, ThePickerSearchesCountsAndSortsWithOneCheckmark)
{
    const QString lumen = makeLumen();
    makeApp(u"Nimbus"_s, u"com.example.nimbus"_s);
    makeApp(u"Orbit"_s, u"org.sample.orbit"_s);
    const qint64 longAgo = QDateTime(QDate(2025, 1, 2), QTime(10, 0), Qt::UTC).toSecsSinceEpoch();
    const timeval times[2] = {{longAgo, 0}, {longAgo, 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(lumen).constData(), times), 0);
    start();
    ASSERT_TRUE(waitUntil([&] { return installed(u"Orbit"_s) && installed(u"Orbit"_s)->sizeBytes > 0; }));
    settle();
    const QString count = u"uninstallerAppCount"_s;
    UninstallerAppListModel& rows = view->picker().listModel();
    EXPECT_EQ(labelText(count), u"3 apps"_s);

    auto& search = find<QLineEdit>(u"uninstallerSearchField"_s);
    EXPECT_EQ(search.placeholderText(), u"Select an installed app..."_s);
    QTest::keyClicks(&search, u"EXAMPLE"_s);
    settle();
    EXPECT_EQ(state().uninstallerSearchQuery, u"EXAMPLE"_s);
    EXPECT_EQ(labelText(count), u"2 apps"_s) << "by bundle identifier, case ignored";
    search.clear();
    QTest::keyClicks(&search, u"  orb "_s);
    settle();
    EXPECT_EQ(labelText(count), u"1 apps"_s);
    model->setLanguage(TruneLanguage::tr);
    settle();
    EXPECT_EQ(labelText(count), u"1 uygulama"_s);
    EXPECT_EQ(search.placeholderText(), u"Kurulu uygulama seçin..."_s);
    search.clear();
    QTest::keyClicks(&search, u"zzz"_s);
    settle();
    EXPECT_EQ(labelText(count), u"0 uygulama"_s);
    EXPECT_EQ(rows.rowCount(), 0);
    search.clear();
    QTest::keyClicks(&search, u"x"_s);
    settle();
    QTest::keyClick(&search, Qt::Key_Backspace);
    settle();
    EXPECT_EQ(rows.rowCount(), 3);
    model->setLanguage(TruneLanguage::en);
    settle();

    SortMenuButton& menu = find<SortMenuButton>(u"uninstallerSortMenu"_s);
    EXPECT_EQ(menu.accessibleName(), u"Sort installed applications"_s);
    const QList<QAction*> entries = menu.entriesMenu().actions();
    const auto orders = allCases<UninstallerAppSortOrder>();
    ASSERT_EQ(entries.size(), qsizetype(orders.size()));
    const QStringList shortTitles{u"Size ↓"_s, u"Size ↑"_s, u"Name A–Z"_s, u"Name Z–A"_s, u"Newest"_s, u"Oldest"_s};
    for (size_t index = 0; index < orders.size(); ++index) {
        const UninstallerAppSortOrder order = orders[index];
        SCOPED_TRACE(rawValue(order).toStdString());
        entries[qsizetype(index)]->trigger();
        settle();
        EXPECT_EQ(state().uninstallerSortOrder, order);
        EXPECT_EQ(menu.label(), shortTitles[qsizetype(index)]);
        EXPECT_EQ(entries[qsizetype(index)]->text(), UninstallerTexts::sortTitle(order, TruneLanguage::en));
        int checked = 0;
        for (const QAction* entry : entries)
            checked += entry->isChecked() ? 1 : 0;
        EXPECT_EQ(checked, 1);
        EXPECT_TRUE(entries[qsizetype(index)]->isChecked());

        const bool bySize = index < 2;
        const bool byDate = index >= 4;
        EXPECT_EQ(strongColourPixelsOfSizeLine(find<QListView>(u"uninstallerAppList"_s), 0) > 0, bySize)
            << "the size text is painted in the accent only under a size order";
        for (const UninstallerAppRow& row : rows.rows()) {
            EXPECT_EQ(row.sizeHighlighted, bySize) << row.name.toStdString();
            EXPECT_EQ(row.dateText.has_value(), byDate) << row.name.toStdString();
            EXPECT_NE(row.sizeText, u"—"_s);
        }
    }
    EXPECT_EQ(rows.rows().front().name, u"Lumen"_s) << "the oldest first";
    model->setLanguage(TruneLanguage::tr);
    settle();
    EXPECT_EQ(menu.label(), u"En Eski"_s);
    EXPECT_EQ(entries[0]->text(), u"Boyut (Büyükten Küçüğe)"_s);

    // A click on a row makes its app the target, highlighted while it stays in the list.
    pickApp(u"Lumen"_s);
    ASSERT_TRUE(waitForScan());
    EXPECT_EQ(state().uninstallerTargetApp->name, u"Lumen"_s);
    EXPECT_EQ(state().selectedTab, UpdateStudioTab::updates) << "the picker stays on its tab";
    QTest::keyClicks(&search, u"lu"_s);
    settle();
    ASSERT_EQ(rows.rowCount(), 1);
    EXPECT_TRUE(rows.rowAt(0).isSelected);
}

TEST_F(AppUninstallerViewTest, TheInspectorGroupsTagsAndAddsUpTheSelection)
{
    const QString bundle = makeLumen();
    BundleMaker::writeFile(library(u"Caches/com.example.lumen.savedcache"_s), QByteArray(2000, 'c'));
    start();
    EXPECT_TRUE(find<QWidget>(u"inspectorWelcome"_s).isVisible());
    EXPECT_EQ(labelText(u"welcomeTitle"_s), u"Complete Safe App Uninstaller"_s);
    model->inspectAppForUninstall(*installed(u"Lumen"_s), true);
    ASSERT_TRUE(waitForScan());
    ASSERT_TRUE(waitUntil([&] { return bundleCheckbox().isVisible(); }));

    LeftoverListModel& rows = view->inspector().listModel();
    QStringList titles;
    for (const LeftoverListRow& row : rows.rows()) {
        if (row.kind == LeftoverListRow::Kind::header)
            titles.append(row.title + u" "_s + QString::number(row.count));
    }
    EXPECT_EQ(
        titles, (QStringList{u"APPLICATION SUPPORT 1"_s, u"CACHES & WEB STORAGE 2"_s, u"PREFERENCES (.PLIST) 1"_s}));
    model->setLanguage(TruneLanguage::tr);
    settle();
    EXPECT_EQ(rows.rowAt(0).title, u"UYGULAMA DESTEĞİ (APPLİCATİON SUPPORT)"_s);
    find<SortMenuButton>(u"leftoverSortMenu"_s).entriesMenu().actions()[1]->trigger();
    settle();
    EXPECT_EQ(state().leftoverSortOrder, LeftoverSortOrder::sizeDescending);
    EXPECT_EQ(find<SortMenuButton>(u"leftoverSortMenu"_s).label(), u"Boyut ↓"_s);
    QStringList tags;
    for (const LeftoverListRow& row : rows.rows())
        tags.append(row.tag.value_or(u"-"_s));
    // Both small files take one 4 KiB block: equal sizes go by name.
    EXPECT_EQ(tags, (QStringList{u"App Support"_s, u"Önbellek"_s, u"Tercihler"_s, u"Önbellek"_s}));
    model->setLanguage(TruneLanguage::en);
    settle();

    const qint64 bundleSize = state().uninstallerTargetApp->sizeBytes;
    const auto sizeOf = [&](const QString& path) {
        for (const LeftoverFileItem& item : state().leftoverItems) {
            if (item.path == path)
                return item.sizeBytes;
        }
        return qint64(-1);
    };
    qint64 allItems = 0;
    for (const LeftoverFileItem& item : state().leftoverItems)
        allItems += item.sizeBytes;
    const QString total = u"reclaimableTotal"_s;
    EXPECT_EQ(labelText(total), TruneByteFormatter::format(allItems + bundleSize));
    EXPECT_EQ(
        bundleCheckbox().text(), u"Also move .app bundle to Trash (%1)"_s.arg(TruneByteFormatter::format(bundleSize)));

    const QString preferences = library(u"Preferences/com.example.lumen.plist"_s);
    clickLeftoverCheckbox(preferences);
    settle();
    EXPECT_EQ(labelText(total), TruneByteFormatter::format(allItems - sizeOf(preferences) + bundleSize));
    QTest::mouseClick(&find<TruneGlassButton>(u"clearLeftovers"_s), Qt::LeftButton);
    settle();
    EXPECT_EQ(labelText(total), TruneByteFormatter::format(bundleSize));
    QTest::mouseClick(&bundleCheckbox(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(state().includeAppBundleInTrash);
    EXPECT_EQ(labelText(total), u"0 B"_s);
    QTest::mouseClick(&find<TruneGlassButton>(u"selectAllLeftovers"_s), Qt::LeftButton);
    settle();
    EXPECT_EQ(labelText(total), TruneByteFormatter::format(allItems));

    // Clicking the row anywhere but its checkbox changes nothing.
    QListView& list = view->inspector().listView();
    const QModelIndex first = list.model()->index(0, 0);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(first).center());
    settle();
    EXPECT_EQ(labelText(total), TruneByteFormatter::format(allItems));
    EXPECT_TRUE(QFileInfo::exists(bundle));
}

// When the primary button may ask for the move: something selected, or the bundle chosen while it
// is still on disk; never while a scan runs.
TEST_F(AppUninstallerViewTest, ThePrimaryButtonFollowsTheSelectionTheBundleAndTheScan)
{
    const QString bundle = makeLumen();
    // Lumen's measurement waits at the gate while `hold` is set, and its scan with it.
    auto hold = std::make_shared<std::atomic<bool>>(false);
    auto gate = std::make_shared<QSemaphore>();
    UpdateStudioEnvironment environment = home.environment();
    environment.measureSize = [hold, gate](const QString& path) {
        if (*hold && path.endsWith(u"/Lumen.app"_s))
            gate->acquire();
        return qint64(4096);
    };
    start(std::move(environment));
    InstalledAppRecord lumen = *installed(u"Lumen"_s);
    model->inspectAppForUninstall(lumen, true);
    ASSERT_TRUE(waitForScan());
    const QString preferences = library(u"Preferences/com.example.lumen.plist"_s);

    struct Case {
        const char* what;
        bool oneSelected;
        bool bundleChosen;
        bool deleteBundle;
        bool enabled;
    };
    const Case cases[] = {
        {"nothing, bundle off", false, false, false, false},
        {"nothing, bundle on", false, true, false, true},
        {"one item, bundle off", true, false, false, true},
        {"nothing, bundle on but deleted meanwhile", false, true, true, false},
        {"one item, bundle deleted", true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.deleteBundle && QFileInfo::exists(bundle)) {
            ASSERT_TRUE(QDir(bundle).removeRecursively());
        }
        model->setIncludeAppBundleInTrash(c.bundleChosen);
        settle();
        model->setAllLeftoversSelected(false);
        settle();
        if (c.oneSelected)
            clickLeftoverCheckbox(preferences);
        settle();
        ASSERT_TRUE(waitUntil([&] { return bundleCheckbox().isVisible() != c.deleteBundle; }));
        EXPECT_EQ(moveButton().isEnabled(), c.enabled);
        EXPECT_EQ(state().includeAppBundleInTrash, c.bundleChosen) << "the option itself is left as it was";
    }

    // A scan running: no confirmation, whatever is selected.
    lumen.sizeBytes = 0;
    *hold = true;
    model->inspectAppForUninstall(lumen, false);
    settle();
    EXPECT_FALSE(moveButton().isEnabled());
    EXPECT_TRUE(view->inspector().findChild<QWidget*>(u"leftoverScanning"_s)->isVisible());
    view->uiState().setConfirmTrashSheet(true);
    EXPECT_EQ(view->confirmation(), nullptr);
    EXPECT_FALSE(view->uiState().confirmTrashSheet());
    *hold = false;
    gate->release(100);
    ASSERT_TRUE(waitForScan());
    EXPECT_TRUE(moveButton().isEnabled());
}

// A new user's walk: from an app row's uninstall button to the inspector, one leftover unticked,
// cancel, then confirm; the files are found in the Trash with their restore records, the unticked
// one stays in the Library, and the app leaves the list. Then a bundle dropped from the file
// manager gives up only its leftovers.
TEST_F(AppUninstallerViewTest, TheMainRoadMovesWhatTheUserChoseToTheTrashAndNothingElse)
{
    const QString bundle = makeLumen();
    const QString downloads = home.home.filePath(u"Downloads"_s);
    const QString shout = makeApp(u"Shout"_s, u"com.example.shout"_s, downloads);
    const QString shoutLogs = library(u"Logs/com.example.shout"_s);
    BundleMaker::writeFile(shoutLogs + u"/today.log"_s, QByteArray(5000, 'l'));
    start();
    ASSERT_TRUE(installed(u"Lumen"_s));

    model->inspectAppForUninstall(*installed(u"Lumen"_s), true); // the Apps tab's uninstall button
    ASSERT_TRUE(waitForScan());
    ASSERT_TRUE(waitUntil([&] { return bundleCheckbox().isVisible(); }));
    EXPECT_TRUE(find<QWidget>(u"leftoverList"_s).isVisible());
    const QString preferences = library(u"Preferences/com.example.lumen.plist"_s);
    clickLeftoverCheckbox(preferences);
    settle();
    EXPECT_EQ(state().leftoverItems.size(), 3u);

    qint64 expected = state().uninstallerTargetApp->sizeBytes;
    QStringList moved{bundle};
    for (const LeftoverFileItem& item : state().leftoverItems) {
        if (item.isSelected) {
            expected += item.sizeBytes;
            moved.append(item.path);
        }
    }
    const QString size = TruneByteFormatter::format(expected);
    EXPECT_EQ(labelText(u"reclaimableTotal"_s), size);

    // Cancel first: the default and escape button, and nothing moves.
    QTest::mouseClick(&moveButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return view->confirmation() && view->confirmation()->isVisible(); }));
    QMessageBox& box = *view->confirmation();
    EXPECT_EQ(box.text(), u"Move Selected Items to Trash?"_s);
    EXPECT_EQ(box.informativeText(),
        u"TruneUpdate never runs permanent deletion (rm -rf). Selected items (%1) will be safely moved to the "
        u"Trash.\n\nThe app bundle also goes to the Trash: Lumen.app"_s.arg(size));
    EXPECT_GE(box.width(), 440) << "wide enough that the message reads as lines, not a column";
    EXPECT_EQ(box.defaultButton()->text(), u"Cancel"_s);
    EXPECT_EQ(box.escapeButton(), box.defaultButton());
    EXPECT_TRUE(view->uiState().confirmTrashSheet());
    QTest::keyClick(&box, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return !view->confirmation(); }));
    EXPECT_FALSE(view->uiState().confirmTrashSheet());
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_TRUE(state().history.empty());
    EXPECT_TRUE(QFileInfo::exists(bundle));

    confirmWith(u"confirmationMove"_s);
    ASSERT_TRUE(moveDone(0));
    EXPECT_EQ(toasts.lastMessage(), u"Safely moved 3 items (%1) to Trash."_s.arg(size));
    EXPECT_FALSE(toasts.lastIsError());
    EXPECT_EQ(state().history.front().action, UpdateLogAction::appUninstall);
    const QMap<QString, QString> trashed = trashedOriginals();
    for (const QString& original : moved) {
        SCOPED_TRACE(original.toStdString());
        EXPECT_FALSE(QFileInfo::exists(original));
        ASSERT_TRUE(trashed.contains(original)) << "a restore record with Path= the original";
        EXPECT_TRUE(QFileInfo::exists(trashed.value(original)));
    }
    EXPECT_EQ(trashed.size(), moved.size());
    EXPECT_TRUE(QFileInfo::exists(preferences));
    ASSERT_TRUE(waitUntil([&] { return !installed(u"Lumen"_s) && !state().isCheckingUpdates; }));
    settle();
    EXPECT_EQ(view->picker().listModel().rowCount(), 0);
    EXPECT_TRUE(find<QWidget>(u"inspectorWelcome"_s).isVisible());

    // A bundle dropped from the file manager: only its leftovers go.
    std::unique_ptr<QMimeData> dropped(fileDrag({shout}));
    UninstallerDropZone& zone = view->dropZone();
    QDragEnterEvent enter(zone.rect().center(), Qt::CopyAction, dropped.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&zone, &enter);
    QDropEvent drop(QPointF(zone.rect().center()), Qt::CopyAction, dropped.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&zone, &drop);
    ASSERT_TRUE(waitUntil([&] { return scanDone() && state().uninstallerTargetApp->name == u"Shout"_s; }));
    settle();
    ASSERT_TRUE(waitUntil([&] { return bundleCheckbox().isVisible(); }));
    EXPECT_TRUE(bundleCheckbox().isChecked());
    QTest::mouseClick(&bundleCheckbox(), Qt::LeftButton);
    settle();
    EXPECT_EQ(labelText(u"reclaimableTotal"_s), TruneByteFormatter::format(state().leftoverItems.front().sizeBytes));
    confirmWith(u"confirmationMove"_s);
    ASSERT_TRUE(moveDone(1));
    EXPECT_EQ(state().history.front().action, UpdateLogAction::leftoverTrash);
    EXPECT_TRUE(QFileInfo(shout).isDir());
    EXPECT_FALSE(QFileInfo::exists(shoutLogs));
    EXPECT_EQ(trashedOriginals().value(shoutLogs), trashFiles(u"com.example.shout"_s));
    EXPECT_FALSE(trashedOriginals().contains(shout));
}

// A slow scan for A (a folder of 20,000 files), then B picked at once: no confirmation until B's
// leftovers are in, and A's late result never shows under B.
TEST_F(AppUninstallerViewTest, NoConfirmationWhileLeftoversAreScanned)
{
    makeApp(u"Alpha"_s, u"com.example.alpha"_s);
    makeApp(u"Beta"_s, u"com.example.beta"_s);
    fillFolder(library(u"Application Support/com.example.alpha"_s), 20000);
    const QString betaCache = library(u"Caches/com.example.beta"_s);
    BundleMaker::writeFile(betaCache + u"/c"_s, "b");
    auto betaGate = std::make_shared<QSemaphore>();
    start(gatedEnvironment(u"Beta"_s, betaGate));
    bool alphaShownUnderBeta = false;
    QObject::connect(model.get(), &UpdateStudioViewModel::changed, view, [&] {
        if (state().uninstallerTargetApp && state().uninstallerTargetApp->name == u"Beta"_s) {
            for (const LeftoverFileItem& item : state().leftoverItems)
                alphaShownUnderBeta |= item.path.contains(u"alpha"_s);
        }
    });

    pickApp(u"Alpha"_s);
    pickApp(u"Beta"_s);
    announceOnly();
    EXPECT_TRUE(state().isScanningLeftovers);
    EXPECT_FALSE(moveButton().isEnabled());
    QTest::mouseClick(&moveButton(), Qt::LeftButton);
    view->uiState().setConfirmTrashSheet(true); // even when asked for directly
    EXPECT_EQ(view->confirmation(), nullptr);
    EXPECT_FALSE(view->uiState().confirmTrashSheet());

    // Alpha's scan ends while Beta's still waits; then Beta's.
    ASSERT_TRUE(waitUntil([] { return StudioThreadPools::files().activeThreadCount() == 1; }));
    settle();
    EXPECT_TRUE(state().isScanningLeftovers);
    EXPECT_TRUE(state().leftoverItems.empty());
    EXPECT_FALSE(moveButton().isEnabled());
    betaGate->release();
    ASSERT_TRUE(waitForScan());
    EXPECT_FALSE(alphaShownUnderBeta);
    EXPECT_EQ(state().uninstallerTargetApp->name, u"Beta"_s);
    ASSERT_EQ(state().leftoverItems.size(), 1u);
    EXPECT_EQ(state().leftoverItems.front().path, betaCache);
    EXPECT_TRUE(moveButton().isEnabled());
}

// A move of A (a bundle of 20,000 files, slow to measure) while B is picked: no second
// confirmation while it runs; A goes to the Trash, B and its files stay.
TEST_F(AppUninstallerViewTest, NoConfirmationWhileAMoveRuns)
{
    const QString alpha = makeApp(u"Alpha"_s, u"com.example.alpha"_s);
    fillFolder(alpha + u"/Contents/Resources"_s, 20000);
    BundleMaker::writeFile(library(u"Caches/com.example.alpha/a"_s), "a");
    const QString beta = makeApp(u"Beta"_s, u"com.example.beta"_s);
    const QString betaCache = library(u"Caches/com.example.beta"_s);
    BundleMaker::writeFile(betaCache + u"/c"_s, "b");
    auto betaGate = std::make_shared<QSemaphore>();
    start(gatedEnvironment(u"Beta"_s, betaGate));
    pickApp(u"Alpha"_s);
    ASSERT_TRUE(waitForScan());
    ASSERT_TRUE(waitUntil([&] { return bundleCheckbox().isVisible(); }));

    confirmWith(u"confirmationMove"_s);
    EXPECT_TRUE(state().isMovingToTrash);
    pickApp(u"Beta"_s);
    announceOnly();
    EXPECT_FALSE(moveButton().isEnabled());
    view->uiState().setConfirmTrashSheet(true);
    EXPECT_EQ(view->confirmation(), nullptr);

    ASSERT_TRUE(moveDone(0));
    settle();
    EXPECT_FALSE(moveButton().isEnabled()) << "Beta's leftovers are still being scanned";
    betaGate->release();
    ASSERT_TRUE(waitForScan());
    EXPECT_EQ(state().history.size(), 1u);
    EXPECT_EQ(state().history.front().appName, u"Alpha"_s);
    EXPECT_EQ(trashedOriginals().value(alpha), trashFiles(u"Alpha.app"_s));
    EXPECT_FALSE(QFileInfo::exists(alpha));
    EXPECT_TRUE(QFileInfo::exists(beta));
    EXPECT_TRUE(QFileInfo::exists(betaCache));
    EXPECT_EQ(state().uninstallerTargetApp->name, u"Beta"_s);
    ASSERT_EQ(state().leftoverItems.size(), 1u);
    EXPECT_TRUE(moveButton().isEnabled());
}

// A scan of the target starting, and its result landing, while the confirmation is up: the
// confirmation closes at once and moves nothing; asked again, it shows and moves the new list.
TEST_F(AppUninstallerViewTest, TheConfirmationClosesWhenItsListChangesUnderIt)
{
    const QString bundle = makeLumen();
    auto hold = std::make_shared<std::atomic<bool>>(false);
    auto gate = std::make_shared<QSemaphore>();
    UpdateStudioEnvironment environment = home.environment();
    environment.measureSize = [hold, gate](const QString& path) {
        if (*hold && path.endsWith(u"/Lumen.app"_s))
            gate->acquire();
        return qint64(4096);
    };
    start(std::move(environment));
    InstalledAppRecord lumen = *installed(u"Lumen"_s);
    model->inspectAppForUninstall(lumen, true);
    ASSERT_TRUE(waitForScan());
    model->setIncludeAppBundleInTrash(false);
    settle();
    QTest::mouseClick(&moveButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return view->confirmation() && view->confirmation()->isVisible(); }));

    // The tray or a Trash alert starts a new inspection of the same app; a leftover appears meanwhile.
    const QString newcomer = library(u"Logs/com.example.lumen.log"_s);
    BundleMaker::writeFile(newcomer, "new");
    *hold = true;
    lumen.sizeBytes = 0;
    model->inspectAppForUninstall(lumen, false);
    model->setIncludeAppBundleInTrash(false);
    ASSERT_TRUE(waitUntil([&] { return !view->confirmation(); }));
    EXPECT_FALSE(view->uiState().confirmTrashSheet());
    *hold = false;
    gate->release(10);
    ASSERT_TRUE(waitForScan());
    EXPECT_EQ(state().leftoverItems.size(), 4u);
    EXPECT_EQ(view->confirmation(), nullptr) << "the result landing opens nothing";
    EXPECT_TRUE(state().history.empty());
    EXPECT_TRUE(trashedOriginals().isEmpty());

    // Asked again, it shows the new list and moves exactly that.
    qint64 expected = 0;
    for (const LeftoverFileItem& item : state().leftoverItems)
        expected += item.sizeBytes;
    QTest::mouseClick(&moveButton(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return view->confirmation() && view->confirmation()->isVisible(); }));
    EXPECT_TRUE(view->confirmation()->informativeText().contains(u"(%1)"_s.arg(TruneByteFormatter::format(expected))));
    QTest::mouseClick(view->confirmation()->findChild<QPushButton*>(u"confirmationMove"_s), Qt::LeftButton);
    ASSERT_TRUE(moveDone(0));
    EXPECT_TRUE(trashedOriginals().contains(newcomer));
    EXPECT_EQ(trashedOriginals().size(), 4);
    EXPECT_TRUE(QFileInfo::exists(bundle));
}

// A target that lies in the Trash (opened from a Trash alert): no bundle option, the bundle never
// counts, and only its leftovers can be moved.
TEST_F(AppUninstallerViewTest, ATargetInTheTrashOffersOnlyItsLeftovers)
{
    const QString bundle = makeLumen();
    start();
    ASSERT_TRUE(TruneTrash::trashItem(bundle).has_value());
    ASSERT_TRUE(waitUntil([&] { return !state().trashAlerts.empty(); }));
    const TrashLeftoverAlert alert = state().trashAlerts.front();
    model->openTrashAlertInUninstaller(alert);
    model->setIncludeAppBundleInTrash(true); // as if something turned it on
    InstalledAppRecord target = *state().uninstallerTargetApp;
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_FALSE(bundleCheckbox().isVisible());
    EXPECT_EQ(labelText(u"reclaimableTotal"_s), TruneByteFormatter::format(alert.totalSizeBytes()));
    QTest::mouseClick(&find<TruneGlassButton>(u"clearLeftovers"_s), Qt::LeftButton);
    settle();
    EXPECT_EQ(labelText(u"reclaimableTotal"_s), u"0 B"_s);
    EXPECT_FALSE(moveButton().isEnabled()) << "the bundle alone is never on offer";
    QTest::mouseClick(&find<TruneGlassButton>(u"selectAllLeftovers"_s), Qt::LeftButton);
    settle();
    EXPECT_TRUE(moveButton().isEnabled());
    confirmWith(u"confirmationMove"_s);
    ASSERT_TRUE(moveDone(0));
    EXPECT_EQ(state().history.front().action, UpdateLogAction::leftoverTrash);
    EXPECT_TRUE(QFileInfo(target.path).isDir()) << "the bundle stays where it lies in the Trash";
    EXPECT_EQ(trashedOriginals().size(), 4); // the bundle's own record and its three leftovers
}

TEST_F(AppUninstallerViewTest, Screenshots)
{
    makeLumen();
    makeApp(u"Nimbus"_s, u"com.example.nimbus"_s);
    BundleMaker::writeFile(library(u"LaunchAgents/com.example.lumen.helper.plist"_s), "agent");
    BundleMaker::writeFile(library(u"Saved Application State/com.example.lumen.savedState/window_1.data"_s), "w");
    BundleMaker::writeFile(
        library(u"Containers/com.example.lumen/Data/Library/Caches/deep/very/long/path/file"_s), "x");
    auto hold = std::make_shared<std::atomic<bool>>(false);
    auto gate = std::make_shared<QSemaphore>();
    UpdateStudioEnvironment environment = home.environment();
    environment.measureSize = [hold, gate](const QString& path) {
        if (*hold && path.endsWith(u"/Lumen.app"_s))
            gate->acquire();
        return FastDirectorySizeReader::allocatedSize(path, true);
    };
    truneApplyStudioApplicationStyle();
    start(std::move(environment));
    ASSERT_TRUE(waitUntil([&] { return installed(u"Lumen"_s)->sizeBytes > 0; }));
    settle();

    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        model->setLanguage(language);
        settle();
        saveScreenshot(*host->window, u"uninstaller-welcome-"_s + (language == TruneLanguage::en ? u"en"_s : u"tr"_s));
    }
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        const QString tag = language == TruneLanguage::en ? u"en"_s : u"tr"_s;
        model->setLanguage(language);
        model->setLeftoverSortOrder(LeftoverSortOrder::category);
        model->setUninstallerSortOrder(UninstallerAppSortOrder::sizeDescending);
        model->setSelectedTab(UpdateStudioTab::updates);
        settle();

        model->inspectAppForUninstall(*installed(u"Lumen"_s), true);
        ASSERT_TRUE(waitForScan());
        ASSERT_TRUE(waitUntil([&] { return bundleCheckbox().isVisible(); }));
        clickLeftoverCheckbox(library(u"Preferences/com.example.lumen.plist"_s));
        settle();
        saveScreenshot(*host->window, u"uninstaller-grouped-"_s + tag);
        saveShotOf(view->inspector(), u"inspector-grouped-"_s + tag);

        model->setLeftoverSortOrder(LeftoverSortOrder::sizeDescending);
        model->setUninstallerSortOrder(UninstallerAppSortOrder::newestFirst);
        settle();
        saveScreenshot(*host->window, u"uninstaller-flat-"_s + tag);

        // The sort menu in the studio's dark look.
        auto& sortButton = find<SortMenuButton>(u"uninstallerSortMenu"_s);
        QMenu& sortMenu = sortButton.entriesMenu();
        sortMenu.popup(sortButton.mapToGlobal(QPoint(0, sortButton.height() + 2)));
        ASSERT_TRUE(waitUntil([&] { return sortMenu.isVisible(); }));
        EXPECT_LT(sortMenu.palette().color(QPalette::Window).lightnessF(), 0.25);
        saveScreenshotWithPopup(*host->window, sortMenu, u"menus-dark-sort-"_s + tag);
        sortMenu.close();

        QTest::mouseClick(&moveButton(), Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return view->confirmation() && view->confirmation()->isVisible(); }));
        saveScreenshot(*view->confirmation(), u"dialog-uninstall-confirm-"_s + tag);
        view->confirmation()->reject();
        ASSERT_TRUE(waitUntil([&] { return !view->confirmation(); }));

        std::unique_ptr<QMimeData> files(fileDrag({home.applications() + u"/Nimbus.app"_s}));
        QDragEnterEvent enter(
            view->dropZone().rect().center(), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view->dropZone(), &enter);
        saveShotOf(view->dropZone(), u"uninstaller-droptarget-"_s + tag);
        QDragLeaveEvent leave;
        QApplication::sendEvent(&view->dropZone(), &leave);

        InstalledAppRecord lumen = *installed(u"Lumen"_s);
        lumen.sizeBytes = 0;
        *hold = true;
        model->inspectAppForUninstall(lumen, false);
        settle();
        saveShotOf(view->inspector(), u"inspector-scanning-"_s + tag);
        *hold = false;
        gate->release(10);
        ASSERT_TRUE(waitForScan());

        model->inspectAppForUninstall(*installed(u"Nimbus"_s), false);
        ASSERT_TRUE(waitForScan());
        ASSERT_TRUE(waitUntil([&] { return bundleCheckbox().isVisible(); }));
        saveShotOf(view->inspector(), u"inspector-empty-"_s + tag);
    }
}

} // namespace

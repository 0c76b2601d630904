#include "app/views/apps/AppRowDelegate.h"

#include "app/views/parts/AppIconThumbnail.h"
#include "kit/platform/TruneWorkspaceIcon.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/IcnsMaker.h"
#include "tests/support/RecordBuilders.h"
#include "tests/support/ViewTestHarness.h"

#include <gtest/gtest.h>

#include <QListView>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int rowWidth = 900;

AppsListRow appRow(const QString& name)
{
    AppsListRow row{.app = AppRecordBuilder(name)
                               .bundleID(u"com.example."_s + name.toLower())
                               .installedVersion(u"1.0"_s)
                               .sizeBytes(12'000'000)
                               .build()};
    return row;
}

// An Apps list the way the tab builds one: the model's rows painted by the row delegate.
struct AppsList {
    AppsList()
        : model(new AppsListModel(&view))
    {
        view.setModel(model);
        delegate = new AppRowDelegate(studioAccent(), view);
        view.setItemDelegate(delegate);
    }

    // Row 0 as the delegate paints it into a row `width` wide.
    QImage paintedRow(int width) const
    {
        const QModelIndex index = model->index(0);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, width, delegate->sizeHint(option, index).height());
        QImage image(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        delegate->paint(&painter, option, index);
        return image;
    }

    QListView view;
    AppsListModel* model;
    AppRowDelegate* delegate = nullptr;
};

struct Shown {
    AppsListRow row;
    TruneLanguage language = TruneLanguage::en;
    bool brewCommandRunning = false;
    int width = rowWidth;
};

void findUpdate(Shown& shown)
{
    shown.row.app.updateAvailable = true;
    shown.row.app.latestVersion = u"2.0"_s;
    shown.row.actionable = true;
}

struct RepaintCase {
    const char* what;
    std::function<void(Shown&)> change;
    std::function<void(Shown&)> start = [](Shown&) {};
};

// A row painted once and then changed must paint as a delegate that never saw it before paints
// the changed row.
TEST(AppRowDelegateTest, APaintedRowFollowsEveryChangeOfWhatItShows)
{
    const std::vector<RepaintCase> cases{
        {"name", [](Shown& shown) { shown.row.app.name = u"Renamed"_s; }},
        {"installed version", [](Shown& shown) { shown.row.app.installedVersion = u"1.1"_s; }},
        {"size", [](Shown& shown) { shown.row.app.sizeBytes = 90'000'000; }},
        {"origin", [](Shown& shown) { shown.row.app.origin = AppOriginKind::homebrewCask; }},
        {"update found", findUpdate},
        {"latest version", [](Shown& shown) { shown.row.app.latestVersion = u"2.1"_s; }, findUpdate},
        {"ignored",
            [](Shown& shown) {
                shown.row.ignored = true;
                shown.row.actionable = false;
            },
            findUpdate},
        {"release notes", [](Shown& shown) { shown.row.app.releaseNotesURL = u"https://notes.example/"_s; }},
        {"language", [](Shown& shown) { shown.language = TruneLanguage::tr; }, findUpdate},
        {"width", [](Shown& shown) { shown.width = 620; }},
        {"a Homebrew command starts", [](Shown& shown) { shown.brewCommandRunning = true; },
            [](Shown& shown) {
                findUpdate(shown);
                shown.row.brewable = true;
            }},
    };
    for (const RepaintCase& testCase : cases) {
        SCOPED_TRACE(testCase.what);
        const auto show = [](AppsList& list, const Shown& what) {
            list.model->setRows({what.row});
            list.delegate->setLanguage(what.language);
            list.delegate->setBrewCommandRunning(what.brewCommandRunning);
            return list.paintedRow(what.width);
        };
        Shown shown{.row = appRow(u"Editor"_s)};
        testCase.start(shown);
        AppsList live;
        const QImage before = show(live, shown);
        testCase.change(shown);
        const QImage after = show(live, shown);

        AppsList fresh;
        EXPECT_TRUE(after == show(fresh, shown)) << "paints as a delegate that never saw the row";
        EXPECT_FALSE(after == before) << "the change shows";
    }
}

// Whether any pixel of `image` inside `area` is not clear.
bool paintsIn(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0)
                return true;
        }
    }
    return false;
}

// A plain row leaves clear space between its name and its version; what lies around it still
// shows: the icon, the buttons at the trailing edge and the hairline across the whole row.
TEST(AppRowDelegateTest, APlainRowPaintsItsEdgesAndAWholeHairline)
{
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        AppsList list;
        list.model->setRows({appRow(u"Editor"_s)});
        const QModelIndex index = list.model->index(0);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, rowWidth, list.delegate->sizeHint(option, index).height());
        QImage image(option.rect.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        list.delegate->paint(&painter, option, index);
        painter.end();

        const int width = image.width();
        const int bottom = image.height() - 1;
        EXPECT_TRUE(paintsIn(image, QRect(0, 0, qRound(60 * ratio), bottom))) << "the icon";
        EXPECT_TRUE(paintsIn(image, QRect(width - qRound(60 * ratio), 0, qRound(60 * ratio), bottom))) << "the buttons";
        EXPECT_FALSE(paintsIn(image, QRect(width / 2, 0, 1, bottom))) << "the middle is clear above the hairline";
        for (int x = 0; x < width; ++x)
            ASSERT_NE(qAlpha(image.pixel(x, bottom)), 0) << "the hairline stops at " << x;
    }
}

// Records the region of every paint of a widget while `recording` holds.
class PaintRecorder final : public QObject {
public:
    PaintRecorder(QWidget& widget, std::function<bool()> recording)
        : m_widget(widget)
        , m_recording(std::move(recording))
    {
        widget.installEventFilter(this);
    }
    ~PaintRecorder() override { m_widget.removeEventFilter(this); }

    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_recording())
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    QWidget& m_widget;
    std::function<bool()> m_recording;
};

class AppRowDelegateIconTest : public ::testing::Test {
protected:
    // Gives the bundle at `path` an icon all of `colour`.
    static void setIcon(const QString& path, const QColor& colour)
    {
        BundleMaker::writeFile(path + u"/Contents/Resources/AppIcon.icns"_s,
            IcnsMaker::icns({IcnsMaker::filled(32, colour), IcnsMaker::filled(64, colour)}));
    }

    QString iconBundle(const QString& name, const QColor& colour)
    {
        const QVariantMap info{{u"CFBundleIconFile"_s, u"AppIcon"_s}};
        const QString path = BundleMaker::makeAppBundle(m_dir.filePath(name + u".app"_s), {.info = info});
        setIcon(path, colour);
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(AppRowDelegateIconTest, AnIconThatArrivesRepaintsItsRowAndNothingElse)
{
    const QColor green(30, 200, 60);
    const QColor red(220, 30, 30);
    auto* list = new QListView;
    auto* model = new AppsListModel(list);
    list->setModel(model);
    list->setItemDelegate(new AppRowDelegate(studioAccent(), *list));
    const QString iconic = iconBundle(u"Iconic"_s, green);
    const AppsListRow plain = appRow(u"Plain"_s);
    AppsListRow withIcon = appRow(u"Iconic"_s);
    withIcon.app.path = iconic;
    model->setRows({plain, withIcon});
    QSignalSpy loaded(&AppIconLoads::instance(), &AppIconLoads::loaded);
    ViewHost<QListView> host(list);

    // The tile sits at the row's leading edge, 16 px in, 34 px square, centred on the row.
    const QRect iconicRow = list->visualRect(model->index(1));
    const QPoint tileCentre(iconicRow.left() + 16 + 17, iconicRow.center().y());
    const auto tileColour = [&] {
        const QImage shown = list->viewport()->grab().toImage();
        return shown.pixelColor(tileCentre * shown.devicePixelRatio());
    };
    ASSERT_TRUE(waitUntil([&] { return loaded.count() >= 2; })) << "both rows' loads have ended";
    EXPECT_TRUE(waitUntil([&] { return tileColour() == green; }));
    settle();

    // Loads that leave a row as it was shown (the glyph of a bundle without an icon, the same
    // icon again) repaint nothing.
    {
        PaintRecorder recorder(*list->viewport(), [] { return true; });
        emit AppIconLoads::instance().loaded(plain.app.path);
        emit AppIconLoads::instance().loaded(iconic);
        settle();
        EXPECT_TRUE(recorder.painted.isEmpty()) << "repainted " << recorder.painted.boundingRect().height() << " px";
    }

    // A new icon is read once the row is painted again, and its arrival repaints that row alone.
    setIcon(iconic, red);
    TruneWorkspaceIconCache::shared().clear();
    const qsizetype loadsBefore = loaded.count();
    PaintRecorder recorder(*list->viewport(), [&] { return loaded.count() > loadsBefore; });
    list->update(model->index(1));
    ASSERT_TRUE(waitUntil([&] { return !recorder.painted.isEmpty(); }));
    EXPECT_EQ(recorder.painted, QRegion(iconicRow));
    EXPECT_EQ(tileColour(), red);
}

} // namespace

#include "app/views/apps/AppRowDelegate.h"

#include "tests/support/RecordBuilders.h"
#include "tests/support/ViewTestHarness.h"

#include <gtest/gtest.h>

#include <QListView>
#include <QPainter>

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

} // namespace

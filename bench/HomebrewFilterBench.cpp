// Typing into the Homebrew tab's filter over 9,600 installed packages: a package name is typed
// and erased again key by key into the real Homebrew view, and each key is timed until the frame
// it brings is painted. The anchor does the same keys in a QLineEdit that filters a QListView of
// the same names through a QSortFilterProxyModel. A plain program on the offscreen platform.
//
//   bench_homebrew_filter [--runs N]
//
// Goal: our median key at most the anchor's, our slowest key within 50 ms.
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/homebrew/HomebrewManagerView.h"
#include "bench/BenchSupport.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/app/StudioTestAccess.h"
#include "tests/app/StudioTestHome.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QSortFilterProxyModel>
#include <QStringListModel>
#include <QVBoxLayout>

#include <array>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int packageCount = 9'600;
const QSize windowSize(1240, 700);

constexpr std::array firstParts{"lib", "py", "go", "rust", "node", "open", "git", "gnu", "x", "z", "re", "ff", "qt",
    "ruby", "perl", "lua", "java", "swift", "kube", "aws", "gcp", "az", "tf", "docker"};
constexpr std::array middleParts{"zen", "flow", "cat", "bit", "mark", "grep", "sync", "link", "pack", "dash", "hub",
    "lint", "test", "mail", "vim", "shell", "proxy", "graph", "crypt", "sql"};
constexpr std::array lastParts{"kit", "cli", "tools", "utils", "core", "dev", "server", "client", "lite", "plus", "x",
    "ng", "fmt", "db", "io", "net", "fs", "ui", "api", "lab"};
static_assert(firstParts.size() * middleParts.size() * lastParts.size() == packageCount);

QString packageName(int index)
{
    const auto last = static_cast<size_t>(index) % lastParts.size();
    const auto middle = static_cast<size_t>(index) / lastParts.size() % middleParts.size();
    const auto first = static_cast<size_t>(index) / lastParts.size() / middleParts.size();
    return QString::fromLatin1(firstParts[first]) + QLatin1String(middleParts[middle]) + u'-'
        + QLatin1String(lastParts[last]);
}

// Formulae installed on request, one in six outdated, each with a description.
std::vector<HomebrewItem> installedPackages()
{
    std::vector<HomebrewItem> items;
    items.reserve(packageCount);
    for (int index = 0; index < packageCount; ++index) {
        const QString name = packageName(index);
        const bool outdated = index % 6 == 0;
        items.emplace_back(name, std::nullopt, false, u"1.%1.0"_s.arg(index % 13), outdated ? u"2.0.0"_s : u"1.0.0"_s,
            outdated, u"Command-line companion for %1 work"_s.arg(name.section(u'-', 0, 0)),
            u"https://formulae.example/%1"_s.arg(name), true, QStringList(), true);
    }
    return items;
}

// Runs everything a key set off: the view model's announcement, the list's layout and the paint of
// what changed.
void finishFrame()
{
    for (int turn = 0; turn < 4; ++turn)
        QCoreApplication::processEvents();
}

void pressKey(QWidget& field, Qt::Key key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&field, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&field, &release);
}

// The time of each key, in milliseconds: `typed` typed into `field` and erased again.
std::vector<double> timeKeys(QWidget& field, const QString& typed)
{
    std::vector<double> times;
    field.setFocus();
    finishFrame();
    for (const QChar character : typed) {
        times.push_back(1e3 * secondsOf([&] {
            pressKey(field, Qt::Key(character.toUpper().unicode()), QString(character));
            finishFrame();
        }));
    }
    for (qsizetype left = typed.size(); left > 0; --left) {
        times.push_back(1e3 * secondsOf([&] {
            pressKey(field, Qt::Key_Backspace, QString());
            finishFrame();
        }));
    }
    return times;
}

std::vector<double> anchorKeys(const std::vector<HomebrewItem>& items, const QString& typed)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* field = new QLineEdit(&window);
    auto* list = new QListView(&window);
    QStringList names;
    for (const HomebrewItem& item : items)
        names.append(item.fullName);
    QStringListModel source(names);
    QSortFilterProxyModel filter;
    filter.setSourceModel(&source);
    filter.setFilterCaseSensitivity(Qt::CaseInsensitive);
    list->setModel(&filter);
    QObject::connect(field, &QLineEdit::textChanged, &filter, &QSortFilterProxyModel::setFilterFixedString);
    layout->addWidget(field);
    layout->addWidget(list);
    window.resize(windowSize);
    window.show();
    return timeKeys(*field, typed);
}

std::vector<double> ourKeys(const std::vector<HomebrewItem>& items, const QString& typed)
{
    StudioTestHome home;
    UpdateStudioViewModel viewModel(home.environment());
    viewModel.setLanguage(TruneLanguage::en);
    if (!waitForFirstRefresh(viewModel))
        return {};
    StudioTestAccess::publishHomebrewItems(viewModel, items);
    viewModel.setHomebrewSubTab(HomebrewSubTab::formulae);
    TruneGroundBackground window(TruneProductPalette::deepEmerald);
    auto* layout = new QVBoxLayout(&window);
    auto* view = new HomebrewManagerView(viewModel, accentColor(TruneProductPalette::deepEmerald), &window);
    layout->addWidget(view);
    window.resize(windowSize);
    window.show();
    finishFrame();
    auto* field = view->findChild<QLineEdit*>(u"homebrewFilterField"_s);
    if (!field)
        return {};
    return timeKeys(*field, typed);
}

double worst(const std::vector<double>& values)
{
    return *std::ranges::max_element(values);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int runs = 3;
    if (!readBenchOptions(application.arguments(), {{QLatin1String("--runs"), &runs}})) {
        std::fprintf(stderr, "usage: bench_homebrew_filter [--runs N]\n");
        return 2;
    }
    const std::vector<HomebrewItem> items = installedPackages();
    const QString typed = packageName(packageCount / 2 + 7);
    std::vector<double> anchor;
    std::vector<double> ours;
    for (int run = 0; run < runs; ++run) {
        std::ranges::copy(anchorKeys(items, typed), std::back_inserter(anchor));
        std::ranges::copy(ourKeys(items, typed), std::back_inserter(ours));
    }
    if (ours.empty()) {
        std::fprintf(stderr, "the Homebrew view shows no filter field\n");
        return 1;
    }
    std::printf("%d packages, \"%s\" typed and erased, %d runs\n", packageCount, qPrintable(typed), runs);
    std::printf(
        "anchor QLineEdit + QSortFilterProxyModel: median %.2f ms, worst %.2f ms\n", median(anchor), worst(anchor));
    std::printf(
        "ours Homebrew view: median %.2f ms, worst %.2f ms (goal: worst <= 50 ms)\n", median(ours), worst(ours));
    std::printf("ratio %.2f\n", median(ours) / median(anchor));
    return 0;
}

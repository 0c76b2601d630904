#include "kit/ui/TruneVersionAndLogsView.h"

#include "kit/ui/TruneBrandMark.h"
#include "kit/ui/TruneFeedbackButton.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneVersionBadgeButton.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempHome.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const TruneAppVersion appVersion{u"2.3.0"_s, u"230"_s};

// A sheet over a logger and a bundle of the test's own, in a temporary home.
class VersionSheetTest : public ::testing::Test {
protected:
    VersionSheetTest()
        : logger(u"SheetTest"_s, home.filePath(u"logs"_s), 64 * 1024, 3, [] { return appVersion; })
    {
        QDir().mkpath(resources());
    }

    QString resources() const { return home.filePath(u"Resources"_s); }

    void writeReleaseLog(const QByteArray& lines) const
    {
        QFile file(resources() + u"/release-log.jsonl"_s);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines);
    }

    void writeEntries()
    {
        logger.debug(u"debug one"_s, u"boot"_s);
        logger.info(u"info one"_s, u"refresh"_s);
        logger.debug(u"debug two"_s, u"boot"_s);
        logger.warn(u"warn one"_s, u"brew"_s);
        logger.error(u"error one"_s, u"sparkle"_s);
    }

    std::unique_ptr<TruneVersionAndLogsView> openSheet(TruneLanguage language = TruneLanguage::en,
        std::vector<TruneReleaseLogRecord> fallback = {}, std::function<void()> onClose = {},
        const QString& appName = u"TruneUpdate"_s)
    {
        auto sheet = std::make_unique<TruneVersionAndLogsView>(TruneVersionAndLogsOptions{
            .appName = appName,
            .version = appVersion,
            .logger = &logger,
            .palette = TruneProductPalette::deepEmerald,
            .language = language,
            .fallbackReleases = std::move(fallback),
            .onClose = std::move(onClose),
            .bundle = &bundle,
        });
        sheet->resize(760, 900);
        sheet->show();
        sheet->waitForWork();
        return sheet;
    }

    static QStringList texts(const QWidget& parent, const QString& objectName)
    {
        QStringList found;
        for (const QLabel* label : parent.findChildren<QLabel*>(objectName))
            found.append(label->text());
        return found;
    }

    static void click(QWidget& sheet, const QString& objectName)
    {
        auto* button = sheet.findChild<QAbstractButton*>(objectName);
        ASSERT_NE(button, nullptr) << objectName.toStdString();
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

    TempHome home;
    TruneAppLogger logger;
    TruneBundle bundle{{}, home.filePath(u"Resources"_s)};
};

} // namespace

TEST(TruneVersionAndLogsViewTimeTest, TimeColumnRules)
{
    const std::vector<std::pair<QString, QString>> cases{
        {u"2026-12-09T09:22:02.123Z"_s, u"09:22:02"_s},
        {u"2026-12-09T09:22"_s, u"09:22"_s},
        {u"2026-12-09T"_s, u""_s},
        {u"20261209 092202"_s, u"20261209"_s},
        {u"12:00"_s, u"12:00"_s},
        {u""_s, u""_s},
    };
    for (const auto& [stamp, shown] : cases)
        EXPECT_EQ(TruneVersionAndLogsView::timeColumnText(stamp), shown) << stamp.toStdString();
}

TEST_F(VersionSheetTest, TheLevelFilterChangesTheRowsNewestFirst)
{
    writeEntries();
    auto sheet = openSheet();
    EXPECT_EQ(texts(*sheet, u"logMessage"_s),
        (QStringList{u"error one"_s, u"warn one"_s, u"debug two"_s, u"info one"_s, u"debug one"_s}));
    EXPECT_EQ(texts(*sheet, u"logLevel"_s), (QStringList{u"ERROR"_s, u"WARN"_s, u"DEBUG"_s, u"INFO"_s, u"DEBUG"_s}));
    EXPECT_EQ(texts(*sheet, u"logCategory"_s).first(), u"[sparkle]"_s);
    EXPECT_EQ(texts(*sheet, u"logTime"_s).first().size(), 8);

    struct Step {
        const char* button;
        TruneLogLevel level;
        QStringList messages;
    };
    const std::vector<Step> steps{
        {"levelInfo", TruneLogLevel::info, {u"error one"_s, u"warn one"_s, u"info one"_s}},
        {"levelWarn", TruneLogLevel::warn, {u"error one"_s, u"warn one"_s}},
        {"levelError", TruneLogLevel::error, {u"error one"_s}},
        {"levelAll", TruneLogLevel::debug,
            {u"error one"_s, u"warn one"_s, u"debug two"_s, u"info one"_s, u"debug one"_s}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.button);
        click(*sheet, QString::fromLatin1(step.button));
        sheet->waitForWork();
        EXPECT_EQ(sheet->selectedMinLevel(), step.level);
        EXPECT_EQ(texts(*sheet, u"logMessage"_s), step.messages);
        EXPECT_TRUE(sheet->findChild<TruneGlassButton*>(QString::fromLatin1(step.button))->isActive());
    }
}

TEST_F(VersionSheetTest, ErrorFilterWithoutErrorsShowsTheEmptyTextUntilAllIsChosenAgain)
{
    logger.info(u"only info"_s, u"boot"_s);
    auto sheet = openSheet();
    click(*sheet, u"levelError"_s);
    sheet->waitForWork();
    EXPECT_EQ(texts(*sheet, u"logsEmpty"_s), QStringList{u"No runtime log entries match the filter yet."_s});
    click(*sheet, u"levelAll"_s);
    sheet->waitForWork();
    EXPECT_TRUE(texts(*sheet, u"logsEmpty"_s).isEmpty());
    EXPECT_EQ(texts(*sheet, u"logMessage"_s), QStringList{u"only info"_s});
}

TEST_F(VersionSheetTest, CopyPutsTheFilteredExportOnTheClipboardAndReadsCopied)
{
    writeEntries();
    auto sheet = openSheet();
    auto* copy = sheet->findChild<QAbstractButton*>(u"copyLogs"_s);
    EXPECT_EQ(copy->text(), u"Copy"_s);
    click(*sheet, u"levelWarn"_s);
    click(*sheet, u"copyLogs"_s);
    sheet->waitForWork();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), logger.exportPlainText(250, TruneLogLevel::warn));
    EXPECT_EQ(QGuiApplication::clipboard()->text().count(u'\n'), 1) << "two lines, oldest first";
    EXPECT_TRUE(sheet->copiedToast());
    EXPECT_EQ(copy->text(), u"Copied"_s);

    logger.error(u"a newer error"_s, u"brew"_s);
    click(*sheet, u"copyLogs"_s);
    sheet->waitForWork();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().endsWith(u"a newer error"_s));
    EXPECT_EQ(copy->text(), u"Copied"_s);
}

// A log longer than both limits: the list shows the newest 120 entries, the copy the newest 250,
// oldest first.
TEST_F(VersionSheetTest, TheListShowsTheNewest120AndTheCopyTheNewest250)
{
    for (int entry = 1; entry <= 300; ++entry)
        logger.info(u"entry %1"_s.arg(entry), u"scan"_s);
    auto sheet = openSheet();
    const QStringList rows = texts(*sheet, u"logMessage"_s);
    ASSERT_EQ(rows.size(), 120);
    EXPECT_EQ(rows.first(), u"entry 300"_s);
    EXPECT_EQ(rows.last(), u"entry 181"_s);

    click(*sheet, u"copyLogs"_s);
    sheet->waitForWork();
    const QStringList lines = QGuiApplication::clipboard()->text().split(u'\n');
    ASSERT_EQ(lines.size(), 250);
    EXPECT_TRUE(lines.first().endsWith(u"entry 51"_s)) << lines.first().toStdString();
    EXPECT_TRUE(lines.last().endsWith(u"entry 300"_s)) << lines.last().toStdString();
}

TEST_F(VersionSheetTest, ClearRemovesTheFileAndItsRotatedCopiesAndKeepsTheFilter)
{
    for (int line = 0; line < 900; ++line)
        logger.warn(u"line %1 with some padding to make the file rotate"_s.arg(line), u"fill"_s);
    const QDir logs(logger.logDirectoryURL());
    ASSERT_GT(logs.entryList(QDir::Files).size(), 1) << "the log has rotated copies";
    auto sheet = openSheet();
    click(*sheet, u"levelWarn"_s);
    sheet->waitForWork();
    EXPECT_EQ(sheet->entries().size(), std::size_t(TruneVersionAndLogsView::listLimit));

    click(*sheet, u"clearLogs"_s);
    sheet->waitForWork();
    EXPECT_EQ(logs.entryList(QDir::Files), QStringList{});
    EXPECT_EQ(texts(*sheet, u"logsEmpty"_s).size(), 1);
    EXPECT_EQ(sheet->selectedMinLevel(), TruneLogLevel::warn);
}

TEST_F(VersionSheetTest, BundleRecordsWinOverTheFallback)
{
    TruneReleaseLogRecord fallback;
    fallback.timestamp = u"2025"_s;
    fallback.app = u"TruneUpdate"_s;
    fallback.toVersion = u"0.9.0"_s;
    fallback.summary = u"fallback summary"_s;

    {
        auto sheet = openSheet(TruneLanguage::en, {});
        EXPECT_EQ(texts(*sheet, u"releasesEmpty"_s), QStringList{u"No release log records found for this build."_s});
    }
    {
        auto sheet = openSheet(TruneLanguage::en, {fallback});
        EXPECT_EQ(texts(*sheet, u"releaseVersion"_s), QStringList{u"v0.9.0"_s});
        EXPECT_EQ(texts(*sheet, u"releaseDate"_s), QStringList{u"2025"_s});
    }
    writeReleaseLog(
        R"({"timestamp":"2026-11-30T10:00:00Z","app":"TruneUpdate","toVersion":"2.2.0","toBuild":220,"bumpKind":"minor","section":"Added","summary":"Older","details":["one","two"]}
{"timestamp":"2026-12-09T09:00:00Z","app":"TruneUpdate","toVersion":"2.3.0","toBuild":230,"bumpKind":"patch","section":"Fixed","summary":""}
{"timestamp":"2026-12-01T09:00:00Z","app":"OtherApp","toVersion":"9.9.9","summary":"not ours"}
)");
    auto sheet = openSheet(TruneLanguage::en, {fallback});
    EXPECT_EQ(texts(*sheet, u"releaseVersion"_s), (QStringList{u"v2.3.0"_s, u"v2.2.0"_s}));
    EXPECT_EQ(
        texts(*sheet, u"releaseBuild"_s), (QStringList{u"Build 230 · patch/Fixed"_s, u"Build 220 · minor/Added"_s}));
    EXPECT_EQ(texts(*sheet, u"releaseDate"_s), (QStringList{u"2026-12-09"_s, u"2026-11-30"_s}));
    EXPECT_EQ(texts(*sheet, u"releaseSummary"_s), QStringList{u"Older"_s}) << "an empty summary shows no line";
    EXPECT_EQ(texts(*sheet, u"releaseDetail"_s), (QStringList{u"• one"_s, u"• two"_s}));
}

TEST_F(VersionSheetTest, TurkishTexts)
{
    auto sheet = openSheet(TruneLanguage::tr, {}, [] {});
    EXPECT_EQ(texts(*sheet, u"sheetTitle"_s), QStringList{u"TruneUpdate · Sürüm & Loglar"_s});
    EXPECT_EQ(texts(*sheet, u"versionCardTitle"_s), QStringList{u"Sürüm Bilgileri"_s});
    EXPECT_EQ(texts(*sheet, u"versionCardDescription"_s),
        QStringList{
            u"Uygulama sürüm bilgileri, ilk sürümden son sürüme kadar tüm değişiklik geçmişi ve çalışma logları."_s});
    EXPECT_EQ(texts(*sheet, u"releaseCardTitle"_s), QStringList{u"Sürüm Geçmişi (Değişiklik Logu)"_s});
    EXPECT_EQ(texts(*sheet, u"logCardTitle"_s), QStringList{u"Uygulama Çalışma Logları"_s});
    EXPECT_EQ(texts(*sheet, u"releasesEmpty"_s), QStringList{u"Bu derleme için sürüm geçmişi kaydı bulunamadı."_s});
    EXPECT_EQ(texts(*sheet, u"logsEmpty"_s), QStringList{u"Filtreye uyan çalışma logu henüz yok."_s});
    const auto buttonText = [&](const QString& name) { return sheet->findChild<QAbstractButton*>(name)->text(); };
    EXPECT_EQ(buttonText(u"levelAll"_s), u"Tümü"_s);
    EXPECT_EQ(buttonText(u"levelInfo"_s), u"INFO+"_s);
    EXPECT_EQ(buttonText(u"revealLogs"_s), u"Klasör"_s);
    EXPECT_EQ(buttonText(u"clearLogs"_s), u"Temizle"_s);
    EXPECT_EQ(sheet->findChild<QAbstractButton*>(u"refreshLogs"_s)->toolTip(), u"Logları yenile"_s);
    EXPECT_EQ(buttonText(u"copyLogs"_s), u"Kopyala"_s);
    click(*sheet, u"copyLogs"_s);
    sheet->waitForWork();
    EXPECT_EQ(buttonText(u"copyLogs"_s), u"Kopyalandı"_s);
    EXPECT_EQ(sheet->findChild<TruneFeedbackButton*>()->text(), u"Geri Bildirim & Fikir Gönder"_s);
}

TEST_F(VersionSheetTest, HeaderAndGroundOnlyWithACloseAction)
{
    {
        auto sheet = openSheet();
        EXPECT_EQ(sheet->findChild<QWidget*>(u"sheetHeader"_s), nullptr);
        EXPECT_EQ(sheet->findChild<TruneGroundBackground*>(), nullptr);
        EXPECT_EQ(texts(*sheet, u"versionCardTitle"_s), QStringList{u"Version & Release Info"_s});
    }
    int closed = 0;
    auto sheet = openSheet(TruneLanguage::en, {}, [&closed] { ++closed; });
    ASSERT_NE(sheet->findChild<TruneGroundBackground*>(), nullptr);
    EXPECT_EQ(texts(*sheet, u"sheetTitle"_s), QStringList{u"TruneUpdate · Version & Logs"_s});
    EXPECT_EQ(sheet->findChild<TruneBrandMark*>()->shownApp(), TruneAppIdentity::truneUpdate);
    EXPECT_EQ(texts(*sheet, u"logFileName"_s), QStringList{QFileInfo(logger.currentLogFileURL()).fileName()});
    click(*sheet, u"sheetClose"_s);
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(sheet->isVisible());

    auto unknown = openSheet(
        TruneLanguage::en, {}, [] {}, u"Not In The Catalogue"_s);
    EXPECT_EQ(unknown->findChild<TruneBrandMark*>()->style(), TruneBrandMarkStyle::currentApp());
}

TEST_F(VersionSheetTest, BadgeButtonTooltipCarriesTheBuildAndOpensTheSheet)
{
    QWidget window;
    TruneVersionBadgeButton* english = nullptr;
    for (const auto& [language, expected] :
        {std::pair{TruneLanguage::en, u"Version v2.3.0 (230) — Click to view Release History & Logs"_s},
            std::pair{TruneLanguage::tr, u"Sürüm v2.3.0 (230) — Sürüm Geçmişi ve Logları görmek için tıklayın"_s}}) {
        auto* button = new TruneVersionBadgeButton({.appName = u"TruneUpdate"_s,
                                                       .version = appVersion,
                                                       .logger = &logger,
                                                       .language = language,
                                                       .showBuild = false,
                                                       .showFeedbackButton = true,
                                                       .bundle = &bundle},
            &window);
        EXPECT_EQ(button->toolTipText(), expected);
        EXPECT_EQ(button->findChild<QAbstractButton*>(u"versionBadgeButton"_s)->toolTip(), expected);
        EXPECT_NE(button->findChild<TruneFeedbackButton*>(), nullptr);
        if (language == TruneLanguage::en)
            english = button;
    }
    window.show();
    auto* badge = english->findChild<QAbstractButton*>(u"versionBadgeButton"_s);
    QTest::mouseClick(badge, Qt::LeftButton, {}, badge->rect().center());
    ASSERT_TRUE(english->isPresented());
    TruneVersionAndLogsView* sheet = english->sheet();
    EXPECT_GE(sheet->minimumWidth(), 720);
    EXPECT_GE(sheet->minimumHeight(), 560);
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    sheet->waitForWork();
    QTest::mouseClick(sheet->findChild<QAbstractButton*>(u"sheetClose"_s), Qt::LeftButton);
    EXPECT_FALSE(english->isPresented());
}

TEST_F(VersionSheetTest, Screenshots)
{
    writeEntries();
    // Appended oldest first, as releases are.
    writeReleaseLog(
        R"({"timestamp":"2026-11-30T10:00:00Z","app":"TruneUpdate","toVersion":"2.2.0","toBuild":220,"bumpKind":"patch","section":"Fixed","summary":"Quieter refresh"}
{"timestamp":"2026-12-09T09:00:00Z","app":"TruneUpdate","toVersion":"2.3.0","toBuild":230,"bumpKind":"minor","section":"Added","summary":"Version and logs sheet","summary_i18n":{"tr":"Sürüm ve log sayfası"},"details":["Release history from the bundle","Level filter and copy"],"details_i18n":{"tr":["Paketten sürüm geçmişi","Seviye filtresi ve kopyalama"]}}
)");
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        auto sheet = openSheet(language, {}, [] {});
        saveScreenshot(*sheet, u"version-sheet-"_s + language.rawValue());

        // The picture shows the newest release with its texts in the sheet's language, and the
        // log rows newest first.
        const bool turkish = language == TruneLanguage::tr;
        EXPECT_EQ(texts(*sheet, u"releaseVersion"_s), (QStringList{u"v2.3.0"_s, u"v2.2.0"_s}));
        EXPECT_EQ(texts(*sheet, u"releaseSummary"_s).value(0),
            turkish ? u"Sürüm ve log sayfası"_s : u"Version and logs sheet"_s);
        EXPECT_EQ(texts(*sheet, u"releaseDetail"_s).value(0),
            turkish ? u"• Paketten sürüm geçmişi"_s : u"• Release history from the bundle"_s);
        EXPECT_EQ(texts(*sheet, u"logMessage"_s).value(0), u"error one"_s);
        EXPECT_EQ(texts(*sheet, u"logCardTitle"_s),
            QStringList{turkish ? u"Uygulama Çalışma Logları"_s : u"Rotating Runtime Logs"_s});
    }
}

#include "kit/vision/TruneVisionServices.h"
#include "tests/kit/vision/VisionTestImages.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <thread>
#include <utility>

namespace {

using VisionTestImages::text;

const QStringList twoLines = {QStringLiteral("Quick brown fox 42"), QStringLiteral("Second line of text")};

// Points the recognizer at another data folder for the life of the object.
class DataFolderOverride final {
public:
    explicit DataFolderOverride(const QString& folder)
    {
        if (qEnvironmentVariableIsSet("TESSDATA_PREFIX"))
            m_saved = qgetenv("TESSDATA_PREFIX");
        qputenv("TESSDATA_PREFIX", QFile::encodeName(folder));
    }
    ~DataFolderOverride()
    {
        if (m_saved)
            qputenv("TESSDATA_PREFIX", *m_saved);
        else
            qunsetenv("TESSDATA_PREFIX");
    }
    DataFolderOverride(const DataFolderOverride&) = delete;
    DataFolderOverride& operator=(const DataFolderOverride&) = delete;

private:
    std::optional<QByteArray> m_saved;
};

// The ink box of a line in the normalised, bottom-left coordinates of the results.
TruneNormalizedRect normalized(QRect box, QSize size)
{
    const double width = size.width();
    const double height = size.height();
    return {box.left() / width, (height - box.bottom() - 1) / height, box.width() / width, box.height() / height};
}

void expectNear(const TruneNormalizedRect& actual, const TruneNormalizedRect& expected, QSize size)
{
    // The recognizer's box may differ from the drawn ink by a few pixels.
    const double toleranceX = 4.0 / size.width();
    const double toleranceY = 4.0 / size.height();
    EXPECT_NEAR(actual.x, expected.x, toleranceX);
    EXPECT_NEAR(actual.y, expected.y, toleranceY);
    EXPECT_NEAR(actual.width, expected.width, 2 * toleranceX);
    EXPECT_NEAR(actual.height, expected.height, 2 * toleranceY);
}

TEST(TruneTextRecognition, ReadsDrawnLinesInOrderWithBoxesFromTheBottomLeft)
{
    for (const bool accurate : {true, false}) {
        SCOPED_TRACE(accurate ? "accurate" : "fast");
        std::vector<QRect> inkBoxes;
        const QImage image = text(twoLines, Qt::white, &inkBoxes);

        const auto result = TruneVisionServices::recognizeText(image, {}, accurate);

        ASSERT_TRUE(result) << result.error().description(TruneLanguage::en).toStdString();
        ASSERT_EQ(result->lines.size(), 2u);
        EXPECT_EQ(result->fullText(), twoLines.join(QLatin1Char('\n')));
        for (std::size_t index = 0; index < 2; ++index) {
            SCOPED_TRACE(index);
            const TruneOCRLine& line = result->lines[index];
            expectNear(line.boundingBox, normalized(inkBoxes[index], image.size()), image.size());
            EXPECT_GT(line.confidence, 0.5f);
            EXPECT_LE(line.confidence, 1.0f);
        }
        // The first line stands higher, so its box starts further from the bottom.
        EXPECT_GT(result->lines[0].boundingBox.y, result->lines[1].boundingBox.y);
    }
}

TEST(TruneTextRecognition, TransparentGroundReadsAsPaper)
{
    // Dark text on a transparent image: taken as black on black, nothing would be found.
    const auto result = TruneVisionServices::recognizeText(text(twoLines, Qt::transparent), {}, true);

    ASSERT_TRUE(result) << result.error().description(TruneLanguage::en).toStdString();
    EXPECT_EQ(result->fullText(), twoLines.join(QLatin1Char('\n')));
}

TEST(TruneTextRecognition, ImageWithoutTextGivesNoLines)
{
    for (const QImage& image :
        {VisionTestImages::plain({400, 300}, Qt::white), VisionTestImages::plain({3, 2}, Qt::black)}) {
        SCOPED_TRACE(image.width());
        const auto result = TruneVisionServices::recognizeText(image, {}, true);

        ASSERT_TRUE(result) << result.error().description(TruneLanguage::en).toStdString();
        EXPECT_TRUE(result->lines.empty());
        EXPECT_EQ(result->fullText(), QString());
    }
}

TEST(TruneTextRecognition, AcceptsLanguageCodesAndDataNames)
{
    const QImage image = text({QStringLiteral("Language codes")}, Qt::white);
    const std::vector<QStringList> languageLists = {
        {QStringLiteral("en")},
        {QStringLiteral("en-US")},
        {QStringLiteral("eng")},
        {QStringLiteral("en_GB"), QStringLiteral("en-US")},
    };
    for (const QStringList& languages : languageLists) {
        SCOPED_TRACE(languages.join(QLatin1Char(',')).toStdString());
        const auto result = TruneVisionServices::recognizeText(image, languages, false);

        ASSERT_TRUE(result) << result.error().description(TruneLanguage::en).toStdString();
        EXPECT_EQ(result->fullText(), QStringLiteral("Language codes"));
    }
}

TEST(TruneTextRecognition, LanguageWithoutDataIsAnErrorNamingIt)
{
    const QImage image = text({QStringLiteral("Missing")}, Qt::white);
    const std::pair<QStringList, QString> rows[] = {
        {{QStringLiteral("en"), QStringLiteral("de-DE")}, QStringLiteral("de-DE")},
        {{QStringLiteral("xx")}, QStringLiteral("xx")},
        {{QString()}, QString()},
        // Names that would reach outside the data folder or split into several are not data names.
        {{QStringLiteral("../tessdata/eng")}, QStringLiteral("../tessdata/eng")},
        {{QStringLiteral("eng+eng")}, QStringLiteral("eng+eng")},
    };
    for (const auto& [languages, missing] : rows) {
        SCOPED_TRACE(languages.join(QLatin1Char(',')).toStdString());
        const auto result = TruneVisionServices::recognizeText(image, languages, true);

        ASSERT_FALSE(result);
        EXPECT_EQ(result.error(), TruneVisionError::recognizerUnavailable(missing, TruneTextRecognizer::dataFolder()));
    }
}

TEST(TruneTextRecognition, MissingOrDamagedEnglishDataIsAnError)
{
    const QImage image = text({QStringLiteral("No data")}, Qt::white);
    const QTemporaryDir folder;
    const DataFolderOverride useFolder(folder.path());
    ASSERT_EQ(TruneTextRecognizer::dataFolder(), folder.path());

    const auto withoutData = TruneVisionServices::recognizeText(image, {}, true);
    ASSERT_FALSE(withoutData);
    EXPECT_EQ(withoutData.error(), TruneVisionError::recognizerUnavailable(QStringLiteral("eng"), folder.path()));
    EXPECT_EQ(withoutData.error().description(TruneLanguage::en),
        QStringLiteral("The text recognition data for 'eng' could not be loaded from ") + folder.path()
            + QStringLiteral("."));

    QFile damaged(folder.filePath(QStringLiteral("eng.traineddata")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(64, '\x7f'));
    damaged.close();
    const auto withDamagedData = TruneVisionServices::recognizeText(image, {QStringLiteral("en")}, true);
    ASSERT_FALSE(withDamagedData);
    EXPECT_EQ(withDamagedData.error(), TruneVisionError::recognizerUnavailable(QStringLiteral("eng"), folder.path()));
}

TEST(TruneTextRecognition, NullImageIsAnError)
{
    const auto result = TruneVisionServices::recognizeText(QImage(), {}, true);

    ASSERT_FALSE(result);
    EXPECT_EQ(result.error(), TruneVisionError::invalidImage());
}

TEST(TruneTextRecognition, CallsOnSeveralThreadsAgreeWithOneAlone)
{
    const QImage image = text(twoLines, Qt::white);
    const auto alone = TruneVisionServices::recognizeText(image, {}, false);
    ASSERT_TRUE(alone);

    std::vector<std::optional<std::expected<TruneOCRResult, TruneVisionError>>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results)
        threads.emplace_back([&image, &result] { result = TruneVisionServices::recognizeText(image, {}, false); });
    for (std::thread& thread : threads)
        thread.join();

    for (const auto& result : results) {
        ASSERT_TRUE(result && *result);
        EXPECT_EQ(**result, *alone);
    }
}

// The fallback chain, driven by a stand-in for the recognizer that fails the first passes.
struct Pass {
    TruneRecognitionLevel level;
    bool cpuOnly;
    bool operator==(const Pass&) const = default;
};

TEST(TruneTextRecognitionFallback, RetriesOnTheCpuThenFastAndKeepsOnlyTheLastOutcome)
{
    using Level = TruneRecognitionLevel;
    const TruneOCRLine found{QStringLiteral("found"), {0, 0, 1, 1}, 1.0f};
    struct Row {
        const char* name;
        bool accurate;
        int failingPasses;
        std::vector<Pass> expectedPasses;
    };
    const Row rows[] = {
        {"accurate succeeds at once", true, 0, {{Level::accurate, false}}},
        {"fast succeeds at once", false, 0, {{Level::fast, false}}},
        {"accurate succeeds on the CPU", true, 1, {{Level::accurate, false}, {Level::accurate, true}}},
        {"accurate falls back to fast on the CPU", true, 2,
            {{Level::accurate, false}, {Level::accurate, true}, {Level::fast, true}}},
        {"fast retries twice on the CPU", false, 2, {{Level::fast, false}, {Level::fast, true}, {Level::fast, true}}},
        {"every pass fails", true, 3, {{Level::accurate, false}, {Level::accurate, true}, {Level::fast, true}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<Pass> passes;
        const auto result = TruneVisionServices::recognizeTextWithFallback(row.accurate,
            [&](TruneRecognitionLevel level,
                bool cpuOnly) -> std::expected<std::vector<TruneOCRLine>, TruneVisionError> {
                passes.push_back({level, cpuOnly});
                if (int(passes.size()) > row.failingPasses)
                    return std::vector<TruneOCRLine>{found};
                // Each failure tells which pass it came from.
                return std::unexpected(
                    TruneVisionError::recognizerUnavailable(QString::number(passes.size()), QString()));
            });

        EXPECT_EQ(passes, row.expectedPasses);
        if (row.failingPasses < 3) {
            ASSERT_TRUE(result);
            EXPECT_EQ(*result, TruneOCRResult{{found}});
        } else {
            ASSERT_FALSE(result);
            EXPECT_EQ(result.error(), TruneVisionError::recognizerUnavailable(QStringLiteral("3"), QString()));
        }
    }
}

} // namespace

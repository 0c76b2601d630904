#include "kit/foundation/TruneProcessError.h"
#include "kit/foundation/TruneProcessRunner.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(TruneProcessError, DescribesItselfInEnglishAndTurkish)
{
    struct Row {
        const char* name;
        TruneProcessError error;
        QString english;
        QString turkish;
    };
    const Row rows[] = {
        {"binaryNotFound", TruneProcessError::binaryNotFound(QStringLiteral("brew")),
            QStringLiteral("Required executable 'brew' was not found."),
            QStringLiteral("Gerekli 'brew' aracı bulunamadı.")},
        {"cancelled", TruneProcessError::cancelled(), QStringLiteral("Operation cancelled."),
            QStringLiteral("İşlem iptal edildi.")},
        // The tool's own words, in every language.
        {"nonZeroExit with text", TruneProcessError::nonZeroExit(2, QStringLiteral(" \n\tError: no such cask\r\n ")),
            QStringLiteral("Error: no such cask"), QStringLiteral("Error: no such cask")},
        // With nothing but blanks the exit code stands in, English in every language.
        {"nonZeroExit with blanks", TruneProcessError::nonZeroExit(1, QStringLiteral("  \n\r\n\t ")),
            QStringLiteral("Process exited with code 1."), QStringLiteral("Process exited with code 1.")},
        {"nonZeroExit negative", TruneProcessError::nonZeroExit(-1, QString()),
            QStringLiteral("Process exited with code -1."), QStringLiteral("Process exited with code -1.")},
        {"nulCharacter", TruneProcessError::nulCharacter(QStringLiteral("brew")),
            QStringLiteral("'brew' was not started: an argument, environment entry or path holds a NUL character."),
            QStringLiteral("'brew' başlatılmadı: bir argüman, ortam değişkeni ya da yol NUL karakteri içeriyor.")},
        {"outputTooLarge", TruneProcessError::outputTooLarge(QStringLiteral("brew"), qint64(64) * 1024 * 1024),
            QStringLiteral("'brew' was stopped: its output passed the limit of 67.1 MB."),
            QStringLiteral("'brew' durduruldu: çıktısı 67.1 MB sınırını aştı.")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.error.description(TruneLanguage::en), row.english);
        EXPECT_EQ(row.error.description(TruneLanguage::tr), row.turkish);
    }
}

TEST(TruneProcessRunError, TellsCancellationFromALaunchFailure)
{
    const TruneProcessRunError cancelled{TruneProcessError::cancelled()};
    EXPECT_TRUE(cancelled.isCancelled());
    EXPECT_EQ(cancelled.description(TruneLanguage::tr), QStringLiteral("İşlem iptal edildi."));

    const TruneProcessRunError notStarted{TruneFileError::fromErrno(QStringLiteral("/opt/tool"), ENOENT)};
    EXPECT_FALSE(notStarted.isCancelled());
    EXPECT_EQ(notStarted.description(TruneLanguage::en), QStringLiteral("No such file or directory: /opt/tool"));
}

} // namespace

#include "core/records/UpdateLogEntry.h"
#include "tests/core/records/RecordJsonChecks.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

const QUuid entryId = QUuid::fromString(QStringLiteral("0e4f0c2a-6b1d-4e59-9c3b-2f1a7d5e8b40"));
const QDateTime march1(QDate(2025, 3, 1), QTime(8, 30), Qt::UTC);

UpdateLogEntry makeEntry(
    std::optional<QString> from = QStringLiteral("1.0"), std::optional<QString> to = QStringLiteral("1.1"))
{
    return UpdateLogEntry(entryId, march1, QStringLiteral("wget"), UpdateLogAction::brewUpgrade, std::move(from),
        std::move(to), UpdateLogStatus::success, QStringLiteral("brew upgrade wget"));
}

} // namespace

TEST(UpdateLogEntryTest, RawValuesAreTheCaseNames)
{
    const std::pair<UpdateLogAction, const char*> actions[] = {
        {UpdateLogAction::brewUpgrade, "brewUpgrade"},
        {UpdateLogAction::brewInstall, "brewInstall"},
        {UpdateLogAction::brewUninstall, "brewUninstall"},
        {UpdateLogAction::brewCleanup, "brewCleanup"},
        {UpdateLogAction::sparkleDownload, "sparkleDownload"},
        {UpdateLogAction::leftoverTrash, "leftoverTrash"},
        {UpdateLogAction::appUninstall, "appUninstall"},
    };
    for (const auto& [action, raw] : actions) {
        SCOPED_TRACE(raw);
        EXPECT_EQ(rawValue(action), QLatin1String(raw));
        EXPECT_EQ(fromRawValue<UpdateLogAction>(QString::fromLatin1(raw)), action);
    }
    const std::pair<UpdateLogStatus, const char*> statuses[] = {
        {UpdateLogStatus::success, "success"},
        {UpdateLogStatus::failed, "failed"},
        {UpdateLogStatus::cancelled, "cancelled"},
    };
    for (const auto& [status, raw] : statuses) {
        SCOPED_TRACE(raw);
        EXPECT_EQ(rawValue(status), QLatin1String(raw));
        EXPECT_EQ(fromRawValue<UpdateLogStatus>(QString::fromLatin1(raw)), status);
    }
}

TEST(UpdateLogEntryTest, JsonKeyRules)
{
    RecordJsonChecks::expectKeyRules(
        makeEntry(), {"id", "timestamp", "appName", "action", "status", "details"}, {"fromVersion", "toVersion"});
    RecordJsonChecks::expectRejectedTexts(makeEntry(), QStringLiteral("status"), {"canceled", "Success", ""});
    RecordJsonChecks::expectRejectedTexts(makeEntry(), QStringLiteral("action"), {"brewupgrade", "upgrade"});
    RecordJsonChecks::expectRejectedTexts(
        makeEntry(), QStringLiteral("id"), {"not-a-uuid", "{0E4F0C2A-6B1D-4E59-9C3B-2F1A7D5E8B40}", ""});
    RecordJsonChecks::expectRejectedTexts(
        makeEntry(), QStringLiteral("timestamp"), {"2025-03-01 08:30:00", "1740817800", "2025-03-01T08:30:00"});
}

TEST(UpdateLogEntryTest, WrittenFormHasUpperCaseIdAndWholeSecondDates)
{
    const QByteArray text = truneJsonSerialize(makeEntry(std::nullopt, std::nullopt));
    EXPECT_EQ(text,
        QByteArray(R"({"action":"brewUpgrade","appName":"wget","details":"brew upgrade wget",)"
                   R"("id":"0E4F0C2A-6B1D-4E59-9C3B-2F1A7D5E8B40","status":"success",)"
                   R"("timestamp":"2025-03-01T08:30:00Z"})"));
    const auto decoded = truneJsonDecode<UpdateLogEntry>(text);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, makeEntry(std::nullopt, std::nullopt));
}

TEST(UpdateLogEntryTest, EveryFieldTakesPartInEqualityAndHashing)
{
    using Change = void (*)(UpdateLogEntry&);
    const std::pair<const char*, Change> changes[] = {
        {"timestamp", [](UpdateLogEntry& e) { e.timestamp = e.timestamp.addSecs(1); }},
        {"appName", [](UpdateLogEntry& e) { e.appName += "x"; }},
        {"action", [](UpdateLogEntry& e) { e.action = UpdateLogAction::brewInstall; }},
        {"fromVersion", [](UpdateLogEntry& e) { e.fromVersion.reset(); }},
        {"toVersion", [](UpdateLogEntry& e) { e.toVersion = QString(); }},
        {"status", [](UpdateLogEntry& e) { e.status = UpdateLogStatus::cancelled; }},
        {"details", [](UpdateLogEntry& e) { e.details.clear(); }},
    };
    const UpdateLogEntry original = makeEntry();
    QSet<UpdateLogEntry> all{original};
    for (const auto& [field, change] : changes) {
        SCOPED_TRACE(field);
        UpdateLogEntry changed = original;
        change(changed);
        EXPECT_NE(changed, original);
        EXPECT_NE(qHash(changed, 7), qHash(original, 7));
        all.insert(changed);
    }
    const UpdateLogEntry otherId(QUuid::createUuid(), march1, original.appName, original.action, original.fromVersion,
        original.toVersion, original.status, original.details);
    all.insert(otherId);
    EXPECT_EQ(all.size(), std::size(changes) + 2);
}

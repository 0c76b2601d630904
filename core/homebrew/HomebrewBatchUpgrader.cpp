#include "core/homebrew/HomebrewBatchUpgrader.h"

#include "core/homebrew/HomebrewPackageKey.h"
#include "core/records/LocalizedNameComparison.h"
#include "kit/platform/TruneDecimal.h"
#include "kit/platform/TruneStableSort.h"

#include <QSet>

#include <algorithm>

namespace {

bool isEligible(const HomebrewItem& item, bool includeDependencies)
{
    return item.isOutdated && (includeDependencies || item.isCask || !item.isInstalled || item.installedOnRequest);
}

QStringList upgradeArguments(const HomebrewItem& item)
{
    QStringList arguments{QStringLiteral("upgrade")};
    if (item.isCask)
        arguments << QStringLiteral("--cask");
    arguments << HomebrewService::trimmedToken(item.name);
    return arguments;
}

// "\n==> [2/5] brew upgrade --cask example-app (1.0 → 1.1)\n"
QString headerLine(const HomebrewBatchUpgradeStep& step)
{
    QString line = QStringLiteral("\n==> [") + truneDecimal(step.index) + QLatin1Char('/') + truneDecimal(step.total)
        + QStringLiteral("] ") + step.displayCommand;
    const HomebrewItem& item = step.item;
    if (item.installedVersion && !item.latestVersion.isEmpty())
        line += QStringLiteral(" (") + *item.installedVersion + QStringLiteral(" \u2192 ") + item.latestVersion
            + QLatin1Char(')');
    return line + QLatin1Char('\n');
}

QString failureLine(const HomebrewItem& item, const QString& message)
{
    return QStringLiteral("\u26A0\uFE0F Failed ") + item.name + QStringLiteral(": ") + message + QLatin1Char('\n');
}

HomebrewService::CommandResult upgradeWithBrew(const HomebrewBatchUpgradeStep& step,
    const HomebrewService::Cancellation& cancellation, const HomebrewService::OutputHandler& onOutput)
{
    return HomebrewService::upgrade(
        step.item.name, {.isCask = step.item.isCask, .skipAutoUpdate = true}, cancellation, onOutput);
}

void skipFrom(const std::vector<HomebrewBatchUpgradeStep>& plan, size_t first, HomebrewBatchUpgradeReport& report)
{
    for (size_t index = first; index < plan.size(); ++index)
        report.skippedDueToCancellation.push_back(plan[index].item);
    report.wasCancelled = true;
}

} // namespace

namespace HomebrewBatchUpgrader {

std::vector<HomebrewBatchUpgradeStep> buildPlan(
    const std::vector<HomebrewItem>& items, bool includeDependencies, const QLocale& locale)
{
    std::vector<HomebrewItem> kept;
    QSet<QString> keys;
    for (const HomebrewItem& item : items) {
        if (!isEligible(item, includeDependencies) || !HomebrewService::isValidToken(item.name))
            continue;
        const QString key = homebrewPackageKey(item.name, item.isCask);
        if (keys.contains(key))
            continue;
        keys.insert(key);
        kept.push_back(item);
    }

    const LocalizedNameComparison comparison(locale);
    truneStableSort(kept, [&](const HomebrewItem& left, const HomebrewItem& right) {
        if (left.isCask != right.isCask)
            return !left.isCask;
        return comparison.compare(left.name, right.name) < 0;
    });

    std::vector<HomebrewBatchUpgradeStep> plan;
    plan.reserve(kept.size());
    const int total = int(kept.size());
    for (const HomebrewItem& item : kept) {
        QStringList arguments = upgradeArguments(item);
        QString displayCommand = QStringLiteral("brew ") + arguments.join(QLatin1Char(' '));
        plan.push_back({item, int(plan.size()) + 1, total, std::move(arguments), std::move(displayCommand)});
    }
    return plan;
}

std::expected<HomebrewBatchUpgradeReport, HomebrewServiceError> execute(const std::vector<HomebrewItem>& items,
    bool includeDependencies, const HomebrewService::Cancellation& cancellation, const StepStartHandler& onStepStart,
    const StepCompleteHandler& onStepComplete, const HomebrewService::OutputHandler& onOutput, const Executor& executor)
{
    const std::vector<HomebrewBatchUpgradeStep> plan = buildPlan(items, includeDependencies);
    HomebrewBatchUpgradeReport report;
    const auto isCancelled = [&] { return cancellation && cancellation->isCancelled(); };
    if (plan.empty()) {
        report.wasCancelled = isCancelled();
        return report;
    }
    if (!executor && !HomebrewService::brewExecutableURL())
        return std::unexpected(HomebrewServiceError::brewNotInstalled());
    const Executor runStep = executor ? executor : Executor(upgradeWithBrew);

    for (size_t index = 0; index < plan.size(); ++index) {
        const HomebrewBatchUpgradeStep& step = plan[index];
        if (isCancelled()) {
            skipFrom(plan, index, report);
            break;
        }
        if (onStepStart)
            onStepStart(step);
        if (onOutput)
            onOutput(headerLine(step).toUtf8());

        const HomebrewService::CommandResult result = runStep(step, cancellation, onOutput);
        if (result) {
            report.succeeded.push_back(step.item);
            if (onStepComplete)
                onStepComplete(step, std::nullopt);
            continue;
        }
        if (isCancelled() || result.error().isCancelled()) {
            skipFrom(plan, index, report);
            break;
        }
        const QString message = result.error().description();
        report.failed.push_back({step.item, message});
        if (onStepComplete)
            onStepComplete(step, result.error());
        if (onOutput)
            onOutput(failureLine(step.item, message).toUtf8());
    }
    return report;
}

} // namespace HomebrewBatchUpgrader

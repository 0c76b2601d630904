#pragma once

#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/foundation/TruneLogEntry.h"
#include "kit/foundation/TruneReleaseLogRecord.h"
#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneBundle.h"
#include "kit/ui/TruneProductPalette.h"

#include <QDialog>
#include <QThreadPool>

#include <functional>
#include <map>
#include <vector>

class QAbstractButton;
class QLabel;
class QVBoxLayout;
class TruneGlassButton;

struct TruneVersionAndLogsOptions {
    QString appName = {};
    TruneAppVersion version = {};
    // The runtime log to read, export, reveal and clear; must outlive the sheet.
    TruneAppLogger* logger = nullptr;
    TruneProductPalette palette = TruneProductPalette::deepEmerald;
    TruneLanguage language = {};
    // Shown when the bundle holds no release records for the app.
    std::vector<TruneReleaseLogRecord> fallbackReleases = {};
    // When set, the sheet draws its own header with a close button and its own ground, and this
    // runs once the sheet has closed.
    std::function<void()> onClose = {};
    // Where the release history is read from; must outlive the sheet.
    const TruneBundle* bundle = &TruneBundle::main();
};

// The about-and-diagnostics sheet of an app: its version and build, the release history shipped
// with it and the newest lines of its runtime log, with a level filter and actions to refresh,
// copy, reveal and clear the log. Every read and file action runs on a worker thread of the
// sheet's own; the sheet shows the result when it arrives.
class TruneVersionAndLogsView final : public QDialog {
    Q_OBJECT

public:
    static constexpr int listLimit = 120;
    static constexpr int exportLimit = 250;

    explicit TruneVersionAndLogsView(TruneVersionAndLogsOptions options, QWidget* parent = nullptr);
    ~TruneVersionAndLogsView() override;

    TruneLogLevel selectedMinLevel() const { return m_selectedMinLevel; }
    const std::vector<TruneLogEntry>& entries() const { return m_entries; }
    const std::vector<TruneReleaseLogRecord>& releases() const { return m_releases; }
    bool copiedToast() const { return m_copiedToast; }

    // The time shown for a log stamp: up to 8 characters after its first "T", else its first 8.
    static QString timeColumnText(const QString& timestamp);

    // Waits until every read and file action started so far has finished (for tests and closing).
    void waitForWork();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    QWidget* headerRow();
    QWidget* versionSummaryCard();
    QWidget* releaseHistoryCard();
    QWidget* runtimeLogsCard();
    QWidget* levelFilter();
    QWidget* infoChip(const QString& title, const QString& value);

    void reloadAll();
    void reloadEntries();
    void selectMinLevel(TruneLogLevel level);
    void copyLog();
    void revealLogFolder();
    void clearLog();

    // Runs `work` on the sheet's worker and hands its result to `apply` on the GUI thread, unless a
    // newer request of the same kind was made meanwhile.
    template <typename Result>
    void runInBackground(int& generation, std::function<Result()> work, std::function<void(Result)> apply);

    void showEntries();
    void showReleases();
    QString text(const QString& en, const QString& tr) const;

    TruneVersionAndLogsOptions m_options;
    TruneLogLevel m_selectedMinLevel = TruneLogLevel::debug;
    std::vector<TruneLogEntry> m_entries;
    std::vector<TruneReleaseLogRecord> m_releases;
    bool m_copiedToast = false;
    int m_entriesGeneration = 0;
    int m_releasesGeneration = 0;
    int m_exportGeneration = 0;

    QVBoxLayout* m_releaseList = nullptr;
    QVBoxLayout* m_logList = nullptr;
    TruneGlassButton* m_copyButton = nullptr;
    std::map<TruneLogLevel, TruneGlassButton*> m_levelButtons;

    // One thread, so a clear and the reload after it happen in that order. Declared last: its
    // destructor waits for the work before anything the work reports to goes away.
    QThreadPool m_worker;
};

#include "tests/kit/suite/SuiteTestRecords.h"

#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace SuiteTestRecords {

qint32 endedProcessId()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

LumbraOffloadLiveProgress lumbraProgress()
{
    LumbraOffloadLiveProgress progress;
    progress.timestamp = morning();
    progress.isRunning = true;
    progress.stepIndex = 2;
    progress.totalSteps = 4;
    progress.fractionCompleted = 0.5;
    progress.phaseTitleEN = u"Freezing idle apps"_s;
    progress.phaseTitleTR = u"Boşta uygulamalar donduruluyor"_s;
    progress.detailEN = u"2 of 5"_s;
    progress.detailTR = u"5 / 2"_s;
    progress.allocatedBytes = 1'000'000'000;
    progress.targetBytes = 4'000'000'000;
    progress.frozenAppNames = {u"Mail"_s, u"Notes"_s};
    progress.livePressure = u"warning"_s;
    return progress;
}

LumbraLiveStatus lumbra(qint32 senderPID)
{
    LumbraLiveStatus status;
    status.timestamp = morning();
    status.senderPID = senderPID;
    status.physicalTotalBytes = 17'179'869'184;
    status.physicalUsedBytes = 12'884'901'888;
    status.compressedBytes = 1'073'741'824;
    status.usedPercent = 75;
    status.swapTotalBytes = 2'147'483'648;
    status.swapUsedBytes = 536'870'912;
    status.swapFileCount = 2;
    status.swapEncrypted = true;
    status.pressureLevel = u"warning"_s;
    status.healthScore = 82;
    status.activeDiskPoolCount = 1;
    status.diskPoolVirtualBytes = 8'000'000'000;
    status.diskPoolActualDiskBytes = 2'000'000'000;
    status.diskPoolNames = {u"Pool A"_s};
    status.mountedSparseDiskCount = 0;
    status.mountedRAMDiskCount = 0;
    status.frozenAppCount = 2;
    status.frozenPIDs = {501, 502};
    status.reclaimedFromFrozenBytes = 300'000'000;
    return status;
}

VantorLiveStatus vantor(qint32 senderPID)
{
    VantorLiveStatus status;
    status.timestamp = morning();
    status.senderPID = senderPID;
    status.cpuTotalPercent = 23.5;
    status.gpuTotalPercent = 4;
    status.memoryUsedPercent = 61.25;
    status.swapUsedBytes = 0;
    status.healthScore = 97;
    status.thermalState = u"nominal"_s;
    return status;
}

HaltrixLiveStatus haltrix(qint32 senderPID)
{
    HaltrixLiveStatus status;
    status.timestamp = morning();
    status.senderPID = senderPID;
    status.totalProcessCount = 412;
    status.unresponsiveCount = 1;
    status.problematicCount = 3;
    status.unresponsiveAppNames = {u"Preview"_s};
    status.memoryLeakCount = 0;
    status.autoFrozenPIDs = {777};
    status.reclaimedFocusBytes = 0;
    status.listeningPortCount = 9;
    return status;
}

AudrelLiveStatus audrel(qint32 senderPID)
{
    AudrelLiveStatus status;
    status.timestamp = morning();
    status.senderPID = senderPID;
    status.masterVolume = 0.75;
    status.outputDeviceName = u"Speakers"_s;
    status.channels = {
        {u"music"_s, u"com.quorvane.tunelo"_s, u"Tunelo"_s, true, false, 1.5, 0.25f},
        {u"call"_s, u"org.example.call"_s, u"Call"_s, false, true, 0.0, 0.0f},
    };
    return status;
}

TuneloLiveStatus tunelo(qint32 senderPID)
{
    TuneloLiveStatus status;
    status.timestamp = morning();
    status.senderPID = senderPID;
    status.title = u"Gül Bahçesi"_s;
    status.artist = u"Ayla"_s;
    status.album = u"Bahar"_s;
    status.qualityBadge = u"Lossless"_s;
    status.isPlaying = true;
    status.elapsedSeconds = 90;
    status.durationSeconds = 180;
    status.volume = 0.5;
    return status;
}

StilloLiveStatus stillo(qint32 senderPID)
{
    StilloLiveStatus status;
    status.timestamp = morning();
    status.senderPID = senderPID;
    status.isRunning = true;
    status.remainingSeconds = 300;
    status.totalSeconds = 1200;
    status.currentIntention = u"Write the report"_s;
    status.activeTaskID = u"task-7"_s;
    status.activeTaskTitle = u"Quarterly report"_s;
    status.focusScorePercent = 88;
    status.todayProductiveSeconds = 5400;
    return status;
}

DovelLiveStatus dovel(qint32 senderPID)
{
    DovelLiveStatus status;
    status.timestamp = morning();
    status.senderPID = senderPID;
    status.openTodayCount = 5;
    status.completedTodayCount = 2;
    status.plannedMinutesToday = 240;
    status.nextBestTaskID = u"task-7"_s;
    status.nextBestTaskTitle = u"Quarterly report"_s;
    status.nextBestTaskMinutes = 45;
    status.miniPanelFrame = TruneScreenRect{10, 20, 300, 200};
    status.isStilloDockedInside = true;
    return status;
}

TruneLiveActivityTile tile(TruneSuiteApp app, qint64 priority, const QDateTime& timestamp, qint32 senderPID)
{
    return TruneLiveActivityTile::make({
        .app = app,
        .timestamp = timestamp,
        .senderPID = senderPID,
        .titleEN = u"Playing"_s,
        .titleTR = u"Çalıyor"_s,
        .primaryMetric = u"3:12"_s,
        .secondaryMetric = std::nullopt,
        .progress = std::nullopt,
        .symbolName = std::nullopt,
        .tone = TruneLiveActivityTile::Tone::active,
        .priority = priority,
    });
}

} // namespace SuiteTestRecords

#pragma once

#include "kit/platform/TruneRawValue.h"

// The closed vocabulary of suite commands. A kind is named after the app that carries the action
// (lower case) followed by the action; the prefix is only a naming rule, the bus relates no kind to
// an app. The raw value is the case name; positions are fixed: never insert or reorder entries.
#define TRUNE_SUITE_COMMAND_KINDS(X)                                                                                   \
    X(lumbraSmartOffload)                                                                                              \
    X(lumbraBalancedOffload)                                                                                           \
    X(lumbraThawAll)                                                                                                   \
    X(lumbraFreezePID)                                                                                                 \
    X(lumbraOpenDiskLab)                                                                                               \
    X(lumbraOpenAppFreezer)                                                                                            \
    X(lumbraToggleHUD)                                                                                                 \
    X(haltrixAllFrozen)                                                                                                \
    X(haltrixOpenCrosshair)                                                                                            \
    X(haltrixToggleQuickHUD)                                                                                           \
    X(haltrixProcessTree)                                                                                              \
    X(haltrixInspectPID)                                                                                               \
    X(haltrixOpenAnalytics24h)                                                                                         \
    X(haltrixOpenStartup)                                                                                              \
    X(haltrixOpenPorts)                                                                                                \
    X(vantorToggleHUD)                                                                                                 \
    X(vantorOpenMemoryDisk)                                                                                            \
    X(vantorOpenThermalsPower)                                                                                         \
    X(vantorStartThermalBenchmark)                                                                                     \
    X(memsweepDeepClean)                                                                                               \
    X(firewickToggleFirewall)                                                                                          \
    X(uptoraOpenTimeline)                                                                                              \
    X(uptoraResetCounters)                                                                                             \
    X(proxelleToggleProxy)                                                                                             \
    X(thermixOpenSensors)                                                                                              \
    X(diskarnScanVolumes)                                                                                              \
    X(dnsoraFlushCache)                                                                                                \
    X(signaloOpenSignalMap)                                                                                            \
    X(logwardenOpenLiveLog)                                                                                            \
    X(logwardenExportReport)                                                                                           \
    X(proclyOpenProcessList)                                                                                           \
    X(shellwynOpenTerminal)                                                                                            \
    X(mountraEjectAll)                                                                                                 \
    X(syncrestSyncNow)                                                                                                 \
    X(backvaneStartBackup)                                                                                             \
    X(hashlingVerifyFile)                                                                                              \
    X(tuneloTogglePlayPause)                                                                                           \
    X(tuneloNextTrack)                                                                                                 \
    X(tuneloPreviousTrack)                                                                                             \
    X(tuneloSetVolume)                                                                                                 \
    X(iplumeRefreshAddress)                                                                                            \
    X(audrelToggleAppMute)                                                                                             \
    X(audrelMuteAllActive)                                                                                             \
    X(audrelUnmuteAll)                                                                                                 \
    X(routrixOpenRoutes)                                                                                               \
    X(routrixTraceRoute)                                                                                               \
    X(routrixRenewLease)                                                                                               \
    X(bandwelStartSpeedTest)                                                                                           \
    X(bandwelOpenUsage)                                                                                                \
    X(bandwelToggleLimiter)                                                                                            \
    X(cronellaOpenSchedule)                                                                                            \
    X(cronellaRunJob)                                                                                                  \
    X(cronellaPauseAll)                                                                                                \
    X(dockwiseToggleDock)                                                                                              \
    X(dockwiseSaveLayout)                                                                                              \
    X(dockwiseRestoreLayout)                                                                                           \
    X(dockwiseOpenSettings)                                                                                            \
    X(dockwiseAddSpacer)                                                                                               \
    X(bootrelOpenLoginItems)                                                                                           \
    X(bootrelDisableItem)                                                                                              \
    X(bootrelEnableItem)                                                                                               \
    X(bootrelOpenBootLog)                                                                                              \
    X(bootrelRestartServices)                                                                                          \
    X(quilletNewNote)                                                                                                  \
    X(quilletOpenQuickNote)                                                                                            \
    X(quilletSearchNotes)                                                                                              \
    X(quilletPinNote)                                                                                                  \
    X(quilletOpenLibrary)                                                                                              \
    X(marrowpadNewPage)                                                                                                \
    X(marrowpadOpenRecent)                                                                                             \
    X(marrowpadAppendText)                                                                                             \
    X(marrowpadOpenToday)                                                                                              \
    X(tallyraAddEntry)                                                                                                 \
    X(tallyraOpenReport)                                                                                               \
    X(tallyraStartTimer)                                                                                               \
    X(tallyraStopTimer)                                                                                                \
    X(tallyraOpenBudget)                                                                                               \
    X(scribbonNewSketch)                                                                                               \
    X(scribbonOpenGallery)                                                                                             \
    X(scribbonExportLast)                                                                                              \
    X(veltaskQuickAdd)                                                                                                 \
    X(veltaskOpenInbox)                                                                                                \
    X(veltaskCompleteTask)                                                                                             \
    X(veltaskOpenToday)                                                                                                \
    X(veltaskStartFocus)                                                                                               \
    X(veltaskSyncNow)                                                                                                  \
    X(nookeryOpenShelf)                                                                                                \
    X(nookeryAddBook)                                                                                                  \
    X(nookeryResumeReading)                                                                                            \
    X(nookerySearchLibrary)                                                                                            \
    X(nookeryOpenHighlights)                                                                                           \
    X(plandryOpenWeek)                                                                                                 \
    X(plandryAddEvent)                                                                                                 \
    X(plandryOpenToday)                                                                                                \
    X(plandryShareSchedule)                                                                                            \
    X(ledgeraAddExpense)                                                                                               \
    X(ledgeraOpenLedger)                                                                                               \
    X(ledgeraImportStatement)                                                                                          \
    X(ledgeraOpenSummary)                                                                                              \
    X(fernoteNewJournal)                                                                                               \
    X(fernoteOpenJournal)                                                                                              \
    X(fernoteAddMood)                                                                                                  \
    X(fernoteOpenInsights)                                                                                             \
    X(vidrellaStartRecording)                                                                                          \
    X(vidrellaStopRecording)                                                                                           \
    X(vidrellaPauseRecording)                                                                                          \
    X(vidrellaOpenLibrary)                                                                                             \
    X(vidrellaTrimLast)                                                                                                \
    X(vidrellaExportLast)                                                                                              \
    X(vidrellaToggleCamera)                                                                                            \
    X(frameloCaptureScreen)                                                                                            \
    X(frameloCaptureWindow)                                                                                            \
    X(frameloCaptureArea)                                                                                              \
    X(frameloOpenEditor)                                                                                               \
    X(frameloOpenHistory)                                                                                              \
    X(frameloToggleOverlay)                                                                                            \
    X(pixmireOpenCanvas)                                                                                               \
    X(pixmireNewImage)                                                                                                 \
    X(pixmireResizeImage)                                                                                              \
    X(pixmireConvertImage)                                                                                             \
    X(pixmireOpenPalette)                                                                                              \
    X(stilloStartTaskSession)                                                                                          \
    X(stilloOpenMiniHUD)                                                                                               \
    X(stilloTogglePause)                                                                                               \
    X(stilloStopSession)                                                                                               \
    X(stilloAddFiveMinutes)                                                                                            \
    X(stilloCompleteSession)                                                                                           \
    X(stilloToggleHUD)                                                                                                 \
    X(stilloToggleShield)                                                                                              \
    X(stilloToggleAmbient)                                                                                             \
    X(stilloUndockFromDovel)                                                                                           \
    X(stilloSyncProjectRules)                                                                                          \
    X(dovelOpenQuickCapture)                                                                                           \
    X(dovelOpenMiniCompanion)                                                                                          \
    X(dovelDockStilloHUD)                                                                                              \
    X(dovelSelectTask)                                                                                                 \
    X(dovelCompleteTask)                                                                                               \
    X(dovelRefreshFromStillo)                                                                                          \
    X(dovelOpenToday)

enum class TruneSuiteCommandKind : quint8 {
#define TRUNE_SUITE_COMMAND_KIND_CASE(name) name,
    TRUNE_SUITE_COMMAND_KINDS(TRUNE_SUITE_COMMAND_KIND_CASE)
#undef TRUNE_SUITE_COMMAND_KIND_CASE
};

template <> struct TruneRawValues<TruneSuiteCommandKind> {
    static constexpr std::array cases{
#define TRUNE_SUITE_COMMAND_KIND_CASE(name) TruneRawCase{TruneSuiteCommandKind::name, #name},
        TRUNE_SUITE_COMMAND_KINDS(TRUNE_SUITE_COMMAND_KIND_CASE)
#undef TRUNE_SUITE_COMMAND_KIND_CASE
    };
};

#undef TRUNE_SUITE_COMMAND_KINDS

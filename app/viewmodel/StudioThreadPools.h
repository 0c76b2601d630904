#pragma once

#include <QThreadPool>

// The worker pools of the studio's view model, made together on first use and ended (each
// waiting for its running tasks) as the application object is destroyed, before it stops
// delivering events to their threads. They end in the order below: work on the refresh pool may
// still hand work to the sizes pool. Work on them never touches the view model: it hands its
// result to the main thread, where the view model decides whether the result still applies. Ask
// for a pool on the main thread only.
namespace StudioThreadPools {

QThreadPool& refresh(); // app scans, feed checks, the size batches' coordinator
QThreadPool& sizes();   // bundle size measurements, six at a time
QThreadPool& homebrew();
QThreadPool& files(); // leftover scans, bundle inspections, moves to the Trash
// Settings and history writes, one at a time in the order asked for, so the last write wins.
QThreadPool& records();
// The views' quick look-ups (whether a bundle is still on disk, a dropped file's address), kept
// apart so that they never wait behind a long scan or move.
QThreadPool& views();

} // namespace StudioThreadPools

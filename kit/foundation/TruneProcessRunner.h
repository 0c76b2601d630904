#pragma once

#include "kit/foundation/TruneFileError.h"
#include "kit/foundation/TruneProcessCancellation.h"
#include "kit/foundation/TruneProcessError.h"
#include "kit/foundation/TruneProcessResult.h"
#include "kit/localization/TruneLanguage.h"

#include <QByteArrayView>
#include <QMap>
#include <QString>
#include <QStringList>

#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

// Why a run gave no result: the runner's own refusal or stop (TruneProcessError: cancelled,
// nulCharacter, outputTooLarge), or the system refused to start the tool (its own error for the
// executable or the working directory, unchanged).
struct TruneProcessRunError {
    std::variant<TruneProcessError, TruneFileError> reason;

    bool isCancelled() const;
    QString description(TruneLanguage language) const;

    bool operator==(const TruneProcessRunError&) const = default;
};

// Runs command-line tools synchronously.
namespace TruneProcessRunner {

// Receives the tool's output while it runs, both streams to the same function, each in its own
// order: UTF-8 as the tool wrote it, each piece ending on a whole character (but for a character
// the tool's end cut short), so pieces decode one by one or joined alike. Text is left to the
// receiver to decode, which may keep only part of it. Called on the thread that called run().
using OutputHandler = std::function<void(QByteArrayView utf8)>;

// How much of the tool's standard output the result keeps. Standard error always keeps its last
// 32768 bytes.
struct StdoutCapture {
    enum class Kind { nothing, tail, full };

    // What `full` keeps at most unless told otherwise: 64 MiB.
    static constexpr qint64 defaultFullLimit = qint64(64) * 1024 * 1024;

    Kind kind = Kind::tail;
    qint64 fullLimit = defaultFullLimit; // only for `full`

    // For a tool whose output only goes to the output handler.
    static StdoutCapture nothing() { return {.kind = Kind::nothing}; }
    // The last 32768 bytes.
    static StdoutCapture tail() { return {}; }
    // All of it, up to `limit` bytes: past it the tool is stopped as on a cancellation and the run
    // fails with outputTooLarge, so a runaway tool cannot fill our memory.
    static StdoutCapture full(qint64 limit = defaultFullLimit) { return {.kind = Kind::full, .fullLimit = limit}; }
};

// Starts `executable` (a path; no search along PATH) with `arguments` as they are, no shell, and
// blocks until it has exited: call it from a worker thread, never the interface thread.
//
// The tool starts in `workingDirectory` (else ours), with our environment, or a copy of it with
// every pair of `environment` set on it, reading standard input from /dev/null, as the leader
// of its own process group. Its output is kept as `capture` says and passed to `onOutput` as it
// arrives; a character split between two reads is passed whole. Once the tool has exited, output
// still held open by processes it left behind is read for at most two more seconds.
//
// Nothing starts, and the run fails with nulCharacter, when the executable, an argument, the
// working directory or an environment entry holds a NUL character (the system would cut it there).
//
// A cancelled token stops the run: nothing starts when it is cancelled before the call;
// otherwise the tool's process group gets SIGTERM, then SIGKILL when it is still alive five
// seconds later, and the run fails with `cancelled` after the tool has exited. A cancellation
// that comes after the tool exited on its own leaves the real result.
std::expected<TruneProcessResult, TruneProcessRunError> run(const QString& executable, const QStringList& arguments,
    const std::optional<QString>& workingDirectory = std::nullopt,
    const std::optional<QMap<QString, QString>>& environment = std::nullopt,
    const StdoutCapture& capture = StdoutCapture::tail(),
    const std::shared_ptr<TruneProcessCancellation>& cancellation = nullptr, const OutputHandler& onOutput = {});

} // namespace TruneProcessRunner

#pragma once

#include "kit/foundation/TruneReleaseLogRecord.h"
#include "kit/platform/TruneBundle.h"

#include <optional>
#include <vector>

// Reads an app's release history, newest first. Never fails: a missing or unreadable file and
// malformed lines end in fewer (or no) records.
namespace TruneReleaseLogReader {

// The bundle's "release-log.jsonl" resource.
std::vector<TruneReleaseLogRecord> loadBundled(
    const std::optional<QString>& app, const TruneBundle& bundle = TruneBundle::main());

// Records of `app` (any letter case), or of every app without one, last line first.
std::vector<TruneReleaseLogRecord> load(const QString& path, const std::optional<QString>& app);

} // namespace TruneReleaseLogReader

#pragma once

#include <QString>

#include <optional>
#include <vector>

// One application of the user's session as the desktop reports it.
struct TruneRunningApplication {
    std::optional<QString> bundleIdentifier;
    std::optional<QString> localizedName;
    qint64 processIdentifier = 0; // 0 when unknown

    bool operator==(const TruneRunningApplication&) const = default;
};

namespace TruneRunningApplications {

// The running applications of this user, in the order the desktop gives them.
std::vector<TruneRunningApplication> list();

// Asks the application to come to the front; false when it cannot be reached.
bool activate(const TruneRunningApplication& application);

} // namespace TruneRunningApplications

#pragma once

#include <QString>

// The step a running batch upgrade is at. A new step replaces the whole value.
struct BatchUpgradeProgress {
    int current = 1; // 1-based position of the running step
    int total = 0;
    QString currentPackageName;

    bool operator==(const BatchUpgradeProgress&) const = default;
};

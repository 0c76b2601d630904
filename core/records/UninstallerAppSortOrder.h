#pragma once

#include "core/records/InstalledAppRecord.h"
#include "kit/platform/TruneRawValue.h"

#include <QLocale>

#include <vector>

// The orders the uninstaller offers for its list of apps.
enum class UninstallerAppSortOrder {
    sizeDescending,
    sizeAscending,
    nameAscending,
    nameDescending,
    newestFirst,
    oldestFirst,
};

template <> struct TruneRawValues<UninstallerAppSortOrder> {
    static constexpr std::array cases{
        TruneRawCase{UninstallerAppSortOrder::sizeDescending, "sizeDescending"},
        TruneRawCase{UninstallerAppSortOrder::sizeAscending, "sizeAscending"},
        TruneRawCase{UninstallerAppSortOrder::nameAscending, "nameAscending"},
        TruneRawCase{UninstallerAppSortOrder::nameDescending, "nameDescending"},
        TruneRawCase{UninstallerAppSortOrder::newestFirst, "newestFirst"},
        TruneRawCase{UninstallerAppSortOrder::oldestFirst, "oldestFirst"},
    };
};

// A new list in the given order; records the order does not separate keep their input order.
// Names compare by `locale` with case ignored. Apps without a modification date come last in
// both date orders.
std::vector<InstalledAppRecord> sort(
    UninstallerAppSortOrder order, const std::vector<InstalledAppRecord>& records, const QLocale& locale = QLocale());

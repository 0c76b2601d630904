#pragma once

#include "core/records/LeftoverFileItem.h"
#include "kit/platform/TruneRawValue.h"

#include <QLocale>

#include <vector>

// The orders the uninstaller offers for the leftovers of one app.
enum class LeftoverSortOrder { category, sizeDescending, nameAscending };

template <> struct TruneRawValues<LeftoverSortOrder> {
    static constexpr std::array cases{
        TruneRawCase{LeftoverSortOrder::category, "category"},
        TruneRawCase{LeftoverSortOrder::sizeDescending, "sizeDescending"},
        TruneRawCase{LeftoverSortOrder::nameAscending, "nameAscending"},
    };
};

// A new list in the given order; items the order does not separate keep their input order.
// File names compare by `locale` with case ignored.
//   category        category order, then larger first, then file names ascending
//   sizeDescending  larger first, then file names ascending
//   nameAscending   file names ascending, then larger first
std::vector<LeftoverFileItem> sort(
    LeftoverSortOrder order, const std::vector<LeftoverFileItem>& items, const QLocale& locale = QLocale());

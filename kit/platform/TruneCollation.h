#pragma once

#include <QCollator>
#include <QLocale>

// The localized comparisons by which names are put in order for the user. The C locale (common
// on servers, in CI and in minimal sessions) has no collation of its own: Qt would compare code
// unit by code unit, so "Zebra" came before "apple". English rules stand in for it.
namespace TruneCollation {

// Case-insensitive; accents still count.
QCollator localizedCaseInsensitive(const QLocale& locale = QLocale());

// Case-insensitive and digit-aware ("a9" before "a10"), as file managers order names.
QCollator localizedStandard(const QLocale& locale = QLocale());

} // namespace TruneCollation

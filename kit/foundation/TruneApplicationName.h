#pragma once

#include "kit/platform/TruneBundle.h"

#include <QString>

// The name the program goes by in its log and its login item: the bundle's "CFBundleDisplayName"
// when it is text, else its "CFBundleName" when that is text, else the process name.
QString truneApplicationName(const TruneBundle& bundle = TruneBundle::main());

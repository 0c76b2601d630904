#pragma once

#include <QString>
#include <QStringView>

// Identifies a Homebrew package across lists: "cask::" or "formula::", then the name trimmed and
// lower-cased. A cask and a formula of the same name are different packages.
QString homebrewPackageKey(QStringView name, bool isCask);

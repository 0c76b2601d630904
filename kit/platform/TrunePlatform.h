#pragma once

#include <QString>

namespace TrunePlatform {

// The running system's version as "major.minor.patch" (all three always present), the value an
// appcast's minimum system version is compared with. Off macOS there is no such version to
// compare with, so it is the fixed "14.0.0", the oldest macOS the program supports.
QString operatingSystemVersion();

// The system as a log line names it: the kernel, then the system's own name for itself, e.g.
// "Linux Debian GNU/Linux 12 (bookworm)" or "macOS 14.2".
QString operatingSystemDescription();

// The system and its processor as a person reads them in a report: "macOS 14.5.0 (Apple Silicon)"
// or "macOS 14.5.0 (Intel)" on a Mac, e.g. "Debian GNU/Linux 12 (bookworm) (x86_64)" elsewhere.
QString systemAndProcessorDescription();

// The running program's executable file with every link resolved; empty when the system does not
// tell. Works before (and without) a QCoreApplication where the system allows.
QString executablePath();

// The running program's name: the application name when one is set, else the executable's.
QString processName();

// The system's description of an errno value, in English whatever LC_MESSAGES says
// (QCoreApplication sets the locale from the environment, and strerror() follows it).
QString systemErrorText(int errorNumber);

} // namespace TrunePlatform

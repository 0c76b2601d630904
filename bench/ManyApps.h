#pragma once

// The installed apps the Apps tab's benchmarks list.

#include "app/viewmodel/StudioState.h"
#include "tests/support/RecordBuilders.h"

#include <array>
#include <vector>

// Apps of every kind: one in ten has an update, one in seven is a cask, one in five has no
// bundle identifier, every third one has release notes.
inline std::vector<InstalledAppRecord> manyInstalledApps(int count)
{
    using namespace Qt::StringLiterals;
    constexpr std::array origins{AppOriginKind::direct, AppOriginKind::sparkle, AppOriginKind::appStore,
        AppOriginKind::homebrewCask, AppOriginKind::quorvane};
    constexpr std::array architectures{
        AppArchitecture::appleSilicon, AppArchitecture::universal, AppArchitecture::intel, AppArchitecture::unknown};
    std::vector<InstalledAppRecord> apps;
    for (int index = 0; index < count; ++index) {
        const QString name = u"Application %1"_s.arg(index, 4, 10, QLatin1Char('0'));
        AppRecordBuilder app(name);
        app.installedVersion(u"1.%1.0"_s.arg(index % 17))
            .origin(origins[static_cast<size_t>(index) % origins.size()])
            .architecture(architectures[static_cast<size_t>(index) % architectures.size()])
            .sizeBytes(index % 3 == 0 ? 0 : 12'000'000LL * (index % 11 + 1));
        if (index % 5 != 0)
            app.bundleID(u"com.example.app%1"_s.arg(index));
        if (index % 10 == 0)
            app.updateAvailable().latestVersion(u"2.0.0"_s).downloadURL(u"https://d.example/%1.zip"_s.arg(index));
        if (index % 7 == 0)
            app.homebrewCaskToken(u"app-%1"_s.arg(index));
        if (index % 3 == 0)
            app.releaseNotesURL(u"https://notes.example/%1"_s.arg(index));
        apps.push_back(app.build());
    }
    return apps;
}

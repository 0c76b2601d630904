#pragma once

#include "core/records/InstalledAppRecord.h"

#include <QColor>
#include <QWidget>

#include <optional>

class UpdateStudioViewModel;

// One of the maker's installed applications in the suite hub: icon, name, version and build,
// architecture, bundle identifier and size, with Launch, reveal and (except on the program's own
// card) inspect leftovers.
class SuiteHubAppCard final : public QWidget {
    Q_OBJECT

public:
    SuiteHubAppCard(UpdateStudioViewModel& viewModel, const InstalledAppRecord& app, const QColor& accent,
        QWidget* parent = nullptr);

    // "(<build>)" when the build says more than the version shown.
    static std::optional<QString> buildText(const InstalledAppRecord& app);
    // Every app but this program itself may be opened in the leftover inspector.
    static bool offersLeftoverInspection(const QString& bundleID);
};

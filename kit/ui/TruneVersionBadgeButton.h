#pragma once

#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneBundle.h"
#include "kit/ui/TruneProductPalette.h"

#include <QPointer>
#include <QWidget>

class QAbstractButton;
class TruneVersionAndLogsView;

struct TruneVersionBadgeButtonOptions {
    QString appName = {};
    TruneAppVersion version = {};
    // Without one, the app's shared logger.
    TruneAppLogger* logger = nullptr;
    TruneProductPalette palette = TruneProductPalette::deepEmerald;
    TruneLanguage language = {};
    bool showBuild = false;
    bool showFeedbackButton = false;
    // Where the sheet reads the release history; must outlive the button.
    const TruneBundle* bundle = &TruneBundle::main();
};

// A small version badge that opens the app's version-and-logs sheet when clicked, with the
// compact feedback button beside it when asked.
class TruneVersionBadgeButton final : public QWidget {
    Q_OBJECT

public:
    explicit TruneVersionBadgeButton(TruneVersionBadgeButtonOptions options, QWidget* parent = nullptr);

    // "Version v1.0.0 (100) — Click to view Release History & Logs", with the build whatever
    // showBuild says.
    QString toolTipText() const;
    // The open sheet, or nullptr while none is shown.
    TruneVersionAndLogsView* sheet() const { return m_sheet; }
    bool isPresented() const { return m_sheet != nullptr; }

    static constexpr QSize minimumSheetSize{720, 560};

private:
    void presentSheet();

    TruneVersionBadgeButtonOptions m_options;
    QAbstractButton* m_badge;
    QPointer<TruneVersionAndLogsView> m_sheet;
};

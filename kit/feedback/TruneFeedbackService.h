#pragma once

#include "kit/feedback/TruneFeedbackError.h"
#include "kit/feedback/TruneFeedbackKind.h"
#include "kit/feedback/TruneFeedbackScreenshot.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneBundle.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QList>
#include <QString>
#include <QUrl>

#include <expected>
#include <optional>
#include <utility>
#include <vector>

// Which app the feedback is about and where it goes.
struct TruneFeedbackTarget {
    QString appName = {};
    TruneAppVersion version = {};
    TruneFeedbackKind kind = TruneFeedbackKind::general;
    TruneLanguage language = {};
    // Overrides every other source of the service's address when it is not blank.
    std::optional<QString> baseURL = {};
};

// A filled-in feedback form.
struct TruneFeedbackSubmission {
    TruneFeedbackTarget target = {};
    QString email = {};
    QString senderName = {};
    QString subject = {};
    QString message = {};
    std::vector<TruneFeedbackScreenshot> screenshots = {};
};

// Ordered (name, value) pairs: the order of the parts in a multipart body.
using TruneFormFields = QList<std::pair<QString, QString>>;

// The kit's channel to the maker's feedback web service: the web form opened in the browser, or
// a multipart upload of a filled-in form. Holds no state and writes nothing; the address
// overrides below are only read, afresh at every call.
namespace TruneFeedbackService {

inline constexpr QLatin1StringView baseURLDefaultsKey{"com.quorvane.feedbackBaseURL"};
inline constexpr QLatin1StringView baseURLEnvironmentVariable{"QUORVANE_FEEDBACK_BASE_URL"};
inline constexpr int maxScreenshots = 5;
inline constexpr qint64 maxScreenshotBytes = 5 * 1024 * 1024;

// The built-in service: "https://" + its host, no path.
QString defaultBaseURL();
QString feedbackHost();

// The override, else the environment variable, else the user default, else the built-in address:
// the first that is not blank, trimmed and without "/" at either end.
QString resolvedBaseURL(const std::optional<QString>& override);

// The name lower-cased with only its letters, marks and digits kept: "My App 2" gives "myapp2".
QString normalizedAppSlug(const QString& appName);

// The bundle's display name or name, else the process name, else the fallback.
QString resolvedCurrentAppName(const TruneBundle& bundle, const QString& fallback);

// The running system and processor, e.g. "macOS 14.5.0 (Apple Silicon)".
QString currentOSDescription();

// The web form for the target, pre-filled through its query; nullopt when the address is not an
// http(s) address with a host.
std::optional<QUrl> webFeedbackURL(const TruneFeedbackTarget& target);
// Hands the web form to the default browser; does nothing without an address.
void openInBrowser(const TruneFeedbackTarget& target);

QByteArray buildMultipartBody(
    const QString& boundary, const TruneFormFields& fields, const std::vector<TruneFeedbackScreenshot>& screenshots);

// Checks the form, then posts it with its screenshots and waits for the receipt (at most 25 s
// without progress). Blocks: call it from a worker thread.
std::expected<TruneFeedbackReceipt, TruneFeedbackError> submit(const TruneFeedbackSubmission& submission);

} // namespace TruneFeedbackService

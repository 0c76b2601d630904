#include "kit/feedback/TruneFeedbackService.h"

#include "kit/feedback/TruneHttpFailureText.h"
#include "kit/localization/TruneGraphemeText.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneBuildInfo.h"
#include "kit/platform/TruneDecimal.h"
#include "kit/platform/TruneDesktopServices.h"
#include "kit/platform/TruneHttpExchange.h"
#include "kit/platform/TruneJson.h"
#include "kit/platform/TrunePlatform.h"
#include "kit/platform/TruneUserDefaults.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int requestIdleTimeoutMs = 25'000;
// A receipt is a few hundred bytes; anything near this is not one.
constexpr qint64 maxReceiptBytes = 1024 * 1024;
constexpr QLatin1StringView uploadPath{"/api/v1/feedback"};
constexpr QLatin1StringView sourceName{"desktop_app"};
constexpr QLatin1StringView defaultReferenceCode{"TRUN-FB-OK"};

QString withoutSlashesAtTheEnds(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u'/')
        ++start;
    while (end > start && text[end - 1] == u'/')
        --end;
    return text.sliced(start, end - start);
}

// What a header line or a part header may not hold: each of these ends the line early.
QString withoutLineBreaks(QString text)
{
    text.remove(u'\r');
    text.remove(u'\n');
    text.remove(QChar(0));
    return text;
}

bool isLetterMarkOrDigit(char32_t scalar)
{
    const QChar::Category category = QChar::category(scalar);
    return QChar::isLetterOrNumber(scalar) || category == QChar::Mark_NonSpacing
        || category == QChar::Mark_SpacingCombining || category == QChar::Mark_Enclosing;
}

std::optional<QUrl> webAddress(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "https"_L1 && scheme != "http"_L1))
        return std::nullopt;
    return url;
}

// Percent-encodes a query value. Besides what a query may never hold as it is, "&", "=", "+" and
// "#" are encoded too, so a value such as the version "2.0+beta" reaches the form unchanged.
QString queryValue(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value, "!$'()*,;:@/?"));
}

QString formPath(TruneLanguage language)
{
    if (language == TruneLanguage::tr)
        return u"/tr/geri-bildirim"_s;
    return u"/"_s + language.rawValue() + u"/feedback"_s;
}

std::optional<TruneFeedbackError> validationFailure(const TruneFeedbackSubmission& submission)
{
    const QString email = submission.email.trimmed();
    if (!email.contains(u'@') || !email.contains(u'.') || TruneGraphemeText::characterCount(email) < 5)
        return TruneFeedbackError::invalidEmail();
    if (TruneGraphemeText::characterCount(submission.message.trimmed()) < 10)
        return TruneFeedbackError::messageTooShort();
    if (submission.screenshots.size() > std::size_t(TruneFeedbackService::maxScreenshots))
        return TruneFeedbackError::tooManyScreenshots(TruneFeedbackService::maxScreenshots);
    for (const TruneFeedbackScreenshot& screenshot : submission.screenshots) {
        if (screenshot.data.size() > TruneFeedbackService::maxScreenshotBytes)
            return TruneFeedbackError::screenshotTooLarge(
                int(TruneFeedbackService::maxScreenshotBytes / (1024 * 1024)));
    }
    return std::nullopt;
}

std::expected<QUrl, TruneFeedbackError> uploadEndpoint(const std::optional<QString>& baseURL)
{
    const QUrl endpoint(TruneFeedbackService::resolvedBaseURL(baseURL) + uploadPath, QUrl::StrictMode);
    const auto checked = TruneHttpExchange::checkAddress(endpoint, TruneCleartextPolicy::loopbackOnly);
    if (!checked) {
        if (checked.error().errorCase == TruneHttpExchangeError::Case::cleartextToRemoteHost)
            return std::unexpected(TruneFeedbackError::insecureEndpoint());
        return std::unexpected(TruneFeedbackError::invalidEndpoint());
    }
    return endpoint;
}

TruneFormFields formFields(const TruneFeedbackSubmission& submission)
{
    const TruneFeedbackTarget& target = submission.target;
    QString subject = submission.subject.trimmed();
    if (TruneGraphemeText::characterCount(subject) < 3)
        subject = target.appName + u" — "_s + title(target.kind, target.language);
    const QString slug = target.kind == TruneFeedbackKind::newApp
        ? u"new_app"_s
        : TruneFeedbackService::normalizedAppSlug(target.appName);
    return {
        {u"type"_s, rawValue(target.kind)},
        {u"program_slug"_s, slug},
        {u"program_name"_s, target.appName},
        {u"email"_s, submission.email.trimmed()},
        {u"sender_name"_s, submission.senderName.trimmed()},
        {u"subject"_s, subject},
        {u"message"_s, submission.message.trimmed()},
        {u"app_version"_s, target.version.shortVersion},
        {u"os_info"_s, TruneFeedbackService::currentOSDescription()},
        {u"locale"_s, target.language.rawValue()},
        {u"source"_s, sourceName},
    };
}

std::optional<qint64> integerMember(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (std::trunc(number) != number || std::abs(number) > 9007199254740992.0)
        return std::nullopt;
    return value.toInteger();
}

std::optional<QString> stringMember(const QJsonObject& object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

QJsonObject objectOf(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).object();
}

TruneFeedbackReceipt receiptOf(const QByteArray& body, const TruneFeedbackSubmission& submission)
{
    const QJsonObject reply = objectOf(body);
    const QString thanks = truneText(u"Thank you! Your feedback has been received."_s,
        u"Teşekkürler! Geri bildiriminiz bize ulaştı."_s, submission.target.language);
    return {
        .referenceCode = stringMember(reply, "reference_code"_L1).value_or(defaultReferenceCode),
        .attachmentsCount
        = integerMember(reply, "attachments_count"_L1).value_or(qint64(submission.screenshots.size())),
        .message = stringMember(reply, "message"_L1).value_or(thanks),
    };
}

TruneFeedbackError rejectionOf(const TruneHttpReply& reply)
{
    const QString message = stringMember(objectOf(reply.body), "message"_L1).value_or(QString());
    if (!message.isEmpty())
        return TruneFeedbackError::serverRejected(message);
    return TruneFeedbackError::serverRejected(u"HTTP "_s + truneDecimal(reply.status));
}

} // namespace

namespace TruneFeedbackService {

QString feedbackHost()
{
    return QString::fromUtf8(TruneBuildInfo::feedbackHost);
}

QString defaultBaseURL()
{
    return u"https://"_s + feedbackHost();
}

QString resolvedBaseURL(const std::optional<QString>& override)
{
    const std::optional<QString> fromDefaults = TruneUserDefaults::standard().string(baseURLDefaultsKey);
    for (const QString& candidate : {override.value_or(QString()),
             qEnvironmentVariable(baseURLEnvironmentVariable.data()), fromDefaults.value_or(QString())}) {
        const QString trimmed = candidate.trimmed();
        if (!trimmed.isEmpty())
            return withoutSlashesAtTheEnds(trimmed);
    }
    return defaultBaseURL();
}

QString normalizedAppSlug(const QString& appName)
{
    QString slug;
    for (const uint scalar : appName.toLower().toUcs4()) {
        if (isLetterMarkOrDigit(scalar))
            slug.append(QChar::fromUcs4(scalar));
    }
    return slug;
}

QString resolvedCurrentAppName(const TruneBundle& bundle, const QString& fallback)
{
    for (const QString& key : {u"CFBundleDisplayName"_s, u"CFBundleName"_s}) {
        const QVariant value = bundle.infoValue(key);
        if (value.typeId() == QMetaType::QString && !value.toString().trimmed().isEmpty())
            return value.toString().trimmed();
    }
    const QString processName = TrunePlatform::processName().trimmed();
    return processName.isEmpty() ? fallback : processName;
}

QString currentOSDescription()
{
    return TrunePlatform::systemAndProcessorDescription();
}

std::optional<QUrl> webFeedbackURL(const TruneFeedbackTarget& target)
{
    std::optional<QUrl> url = webAddress(resolvedBaseURL(target.baseURL) + formPath(target.language));
    if (!url)
        return std::nullopt;
    QStringList items{u"type="_s + queryValue(rawValue(target.kind)), u"source="_s + queryValue(sourceName),
        u"os="_s + queryValue(currentOSDescription())};
    if (const QString slug = normalizedAppSlug(target.appName); !slug.isEmpty())
        items.append(u"app="_s + queryValue(slug));
    if (!target.version.shortVersion.isEmpty())
        items.append(u"version="_s + queryValue(target.version.shortVersion));
    url->setQuery(items.join(u'&'), QUrl::StrictMode);
    return url->isValid() ? url : std::nullopt;
}

void openInBrowser(const TruneFeedbackTarget& target)
{
    if (const std::optional<QUrl> url = webFeedbackURL(target))
        TruneDesktopServices::openUrl(*url);
}

QByteArray buildMultipartBody(
    const QString& boundary, const TruneFormFields& fields, const std::vector<TruneFeedbackScreenshot>& screenshots)
{
    const QByteArray delimiter = "--" + boundary.toUtf8() + "\r\n";
    QByteArray body;
    for (const auto& [name, value] : fields) {
        if (value.isEmpty())
            continue;
        body += delimiter;
        body += "Content-Disposition: form-data; name=\"" + name.toUtf8() + "\"\r\n\r\n";
        body += value.toUtf8() + "\r\n";
    }
    for (const TruneFeedbackScreenshot& screenshot : screenshots) {
        QString filename = withoutLineBreaks(screenshot.filename);
        filename.remove(u'"');
        body += delimiter;
        body += "Content-Disposition: form-data; name=\"screenshots[]\"; filename=\"" + filename.toUtf8() + "\"\r\n";
        body += "Content-Type: " + withoutLineBreaks(screenshot.mimeType).toUtf8() + "\r\n\r\n";
        body += screenshot.data + "\r\n";
    }
    body += "--" + boundary.toUtf8() + "--\r\n";
    return body;
}

std::expected<TruneFeedbackReceipt, TruneFeedbackError> submit(const TruneFeedbackSubmission& submission)
{
    if (std::optional<TruneFeedbackError> failure = validationFailure(submission))
        return std::unexpected(*failure);
    const std::expected<QUrl, TruneFeedbackError> endpoint = uploadEndpoint(submission.target.baseURL);
    if (!endpoint)
        return std::unexpected(endpoint.error());

    const QString boundary = u"TruneFeedback-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    const TruneHttpRequest request{
        .url = *endpoint,
        .headers
        = {{"Content-Type", "multipart/form-data; boundary=" + boundary.toUtf8()}, {"Accept", "application/json"},
            {"User-Agent", "Quorvane/" + withoutLineBreaks(submission.target.appName).toUtf8() + " TruneKit"}},
        .body = buildMultipartBody(boundary, formFields(submission), submission.screenshots),
        .idleTimeoutMs = requestIdleTimeoutMs,
        .maxReplyBytes = maxReceiptBytes,
    };
    const auto reply = TruneHttpExchange::post(request);
    if (!reply)
        return std::unexpected(
            TruneFeedbackError::networkFailure(truneHttpFailureText(reply.error(), TruneLanguage::current())));
    if (reply->status < 200 || reply->status > 299)
        return std::unexpected(rejectionOf(*reply));
    return receiptOf(reply->body, submission);
}

} // namespace TruneFeedbackService

#include "kit/feedback/TruneFeedbackService.h"

#include "kit/platform/TruneUserDefaults.h"

#include "FeedbackTestSupport.h"
#include "tests/support/FakeXdgOpen.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/MultipartForm.h"
#include "tests/support/TempHome.h"

#include <QRegularExpression>
#include <QSysInfo>
#include <QTcpServer>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Response = LoopbackHttpServer::Response;
constexpr char environmentName[] = "QUORVANE_FEEDBACK_BASE_URL";

TruneFeedbackScreenshot screenshot(const QString& filename, const QString& mimeType, QByteArray data)
{
    return {.filename = filename, .mimeType = mimeType, .data = std::move(data)};
}

// A form that passes every check, posted to the loopback server.
TruneFeedbackSubmission validSubmission(const LoopbackHttpServer& server)
{
    return {
        .target = {.appName = u"TruneUpdate"_s,
            .version = {u"1.4.2"_s, u"412"_s},
            .kind = TruneFeedbackKind::bug,
            .language = TruneLanguage::en,
            .baseURL = server.url(u""_s)},
        .email = u"  ada@example.org \n"_s,
        .senderName = u" Ada "_s,
        .subject = u"  Crash on launch  "_s,
        .message = u"\tIt crashes when I open it.\n"_s,
        .screenshots = {},
    };
}

QList<std::pair<QByteArray, QByteArray>> namesAndValues(const std::vector<MultipartPart>& parts)
{
    QList<std::pair<QByteArray, QByteArray>> pairs;
    for (const MultipartPart& part : parts)
        pairs.append({part.name, part.data});
    return pairs;
}

class FeedbackServiceTest : public ::testing::Test {
protected:
    FeedbackServiceTest() { server.setResponse(u"/api/v1/feedback"_s, Response::ok(R"({"reference_code":"FB-42"})")); }

    // The parts of the only upload the server received.
    std::vector<MultipartPart> uploadedParts() const
    {
        const std::vector<LoopbackHttpServer::Request> uploads = server.requests(u"/api/v1/feedback"_s);
        EXPECT_EQ(uploads.size(), 1u);
        if (uploads.empty())
            return {};
        const auto boundary = MultipartForm::boundaryOf(uploads.back().header("Content-Type").value_or(""));
        EXPECT_TRUE(boundary.has_value());
        const auto parts = MultipartForm::parse(uploads.back().body, boundary.value_or(""));
        EXPECT_TRUE(parts.has_value());
        return parts.value_or(std::vector<MultipartPart>{});
    }

    TempHome home;
    ScopedEnvironmentVariable noOverride{environmentName, std::nullopt};
    LoopbackHttpServer server;
};

} // namespace

TEST_F(FeedbackServiceTest, BaseAddressComesFromTheFirstSourceThatIsNotBlank)
{
    const QString builtIn = TruneFeedbackService::defaultBaseURL();
    EXPECT_EQ(builtIn, u"https://"_s + TruneFeedbackService::feedbackHost());
    EXPECT_EQ(TruneFeedbackService::resolvedBaseURL(std::nullopt), builtIn);

    TruneUserDefaults::standard().setString(TruneFeedbackService::baseURLDefaultsKey, u" https://defaults.test/ "_s);
    EXPECT_EQ(TruneFeedbackService::resolvedBaseURL(std::nullopt), u"https://defaults.test"_s);
    {
        const ScopedEnvironmentVariable environment(environmentName, "\thttps://env.test//\n");
        EXPECT_EQ(TruneFeedbackService::resolvedBaseURL(std::nullopt), u"https://env.test"_s);
        EXPECT_EQ(TruneFeedbackService::resolvedBaseURL(u"  \n "_s), u"https://env.test"_s);
        EXPECT_EQ(TruneFeedbackService::resolvedBaseURL(u"  https://override.test/ "_s), u"https://override.test"_s);
        EXPECT_EQ(TruneFeedbackService::resolvedBaseURL(u"///"_s), u""_s);
    }
    {
        const ScopedEnvironmentVariable blank(environmentName, "   ");
        EXPECT_EQ(TruneFeedbackService::resolvedBaseURL(std::nullopt), u"https://defaults.test"_s);
    }
    TruneUserDefaults::standard().remove(TruneFeedbackService::baseURLDefaultsKey);
    EXPECT_EQ(TruneFeedbackService::resolvedBaseURL(u""_s), builtIn);
}

TEST(TruneFeedbackServiceNamesTest, SlugKeepsLettersMarksAndDigitsOfEveryScript)
{
    const std::vector<std::pair<QString, QString>> cases{
        {u"My App 2"_s, u"myapp2"_s},
        {u"TruneUpdate"_s, u"truneupdate"_s},
        {u"Çalışkan Ördek!"_s, u"çalışkanördek"_s},
        {u"İz"_s, u"i\u0307z"_s}, // the dot of a capital I is a combining mark once lower-cased
        {u"日本語アプリ"_s, u"日本語アプリ"_s},
        {u"🚀 Rocket-Fuel_3"_s, u"rocketfuel3"_s},
        {u"e\u0301clair"_s, u"e\u0301clair"_s},
        {u"  !!! -- ??"_s, u""_s},
        {u""_s, u""_s},
    };
    for (const auto& [name, slug] : cases)
        EXPECT_EQ(TruneFeedbackService::normalizedAppSlug(name), slug) << name.toStdString();
}

TEST(TruneFeedbackServiceNamesTest, AppNameComesFromTheBundleThenTheProcess)
{
    const QString process = TruneFeedbackService::resolvedCurrentAppName(TruneBundle({}, {}), u"Fallback"_s);
    EXPECT_FALSE(process.isEmpty());
    EXPECT_NE(process, u"Fallback"_s) << "the test process has a name";

    const std::vector<std::pair<QVariantMap, QString>> cases{
        {{{u"CFBundleDisplayName"_s, u"  Nice Name \n"_s}, {u"CFBundleName"_s, u"Plain"_s}}, u"Nice Name"_s},
        {{{u"CFBundleDisplayName"_s, u"   "_s}, {u"CFBundleName"_s, u" Plain "_s}}, u"Plain"_s},
        {{{u"CFBundleDisplayName"_s, 42}, {u"CFBundleName"_s, u"Plain"_s}}, u"Plain"_s},
        {{{u"CFBundleName"_s, QStringList{u"list"_s}}}, process},
    };
    for (const auto& [info, expected] : cases)
        EXPECT_EQ(TruneFeedbackService::resolvedCurrentAppName(TruneBundle(info, {}), u"Fallback"_s), expected);
}

TEST(TruneFeedbackServiceNamesTest, SystemTextNamesTheRealSystemAndProcessor)
{
    const QString text = TruneFeedbackService::currentOSDescription();
    EXPECT_TRUE(text.endsWith(u" ("_s + QSysInfo::currentCpuArchitecture() + u')')) << text.toStdString();
    EXPECT_TRUE(text.startsWith(QSysInfo::prettyProductName()) || text.startsWith(QSysInfo::kernelVersion()))
        << text.toStdString();
    EXPECT_FALSE(text.contains(u"Apple Silicon"_s));
    EXPECT_FALSE(text.contains(u"macOS"_s));
}

TEST_F(FeedbackServiceTest, WebFormAddressCarriesThePathAndQueryInOrder)
{
    const QString os
        = QString::fromLatin1(QUrl::toPercentEncoding(TruneFeedbackService::currentOSDescription(), "!$'()*,;:@/?"));
    struct Case {
        QString appName;
        QString version;
        TruneFeedbackKind kind;
        TruneLanguage language;
        QString expected;
    };
    const std::vector<Case> cases{
        {u"TruneUpdate"_s, u"1.0.0"_s, TruneFeedbackKind::feature, TruneLanguage::en,
            u"https://form.test/en/feedback?type=feature&source=desktop_app&os="_s + os
                + u"&app=truneupdate&version=1.0.0"_s},
        {u"TruneUpdate"_s, u"1.0.0"_s, TruneFeedbackKind::bug, TruneLanguage::tr,
            u"https://form.test/tr/geri-bildirim?type=bug&source=desktop_app&os="_s + os
                + u"&app=truneupdate&version=1.0.0"_s},
        {u"My App"_s, u""_s, TruneFeedbackKind::newApp, TruneLanguage::ptBR,
            u"https://form.test/pt-BR/feedback?type=new_app&source=desktop_app&os="_s + os + u"&app=myapp"_s},
        {u"***"_s, u"2.0+beta&x=1 #2"_s, TruneFeedbackKind::general, TruneLanguage::zhHant,
            u"https://form.test/zh-Hant/feedback?type=general&source=desktop_app&os="_s + os
                + u"&version=2.0%2Bbeta%26x%3D1%20%232"_s},
        {u"Çalışkan"_s, u"1"_s, TruneFeedbackKind::general, TruneLanguage::en,
            u"https://form.test/en/feedback?type=general&source=desktop_app&os="_s + os
                + u"&app=%C3%A7al%C4%B1%C5%9Fkan&version=1"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        const auto url = TruneFeedbackService::webFeedbackURL({.appName = c.appName,
            .version = {c.version, u"7"_s},
            .kind = c.kind,
            .language = c.language,
            .baseURL = u"https://form.test/"_s});
        ASSERT_TRUE(url.has_value());
        EXPECT_EQ(url->toString(QUrl::FullyEncoded), c.expected);
        const QUrlQuery query(*url);
        EXPECT_EQ(query.queryItemValue(u"os"_s, QUrl::FullyDecoded), TruneFeedbackService::currentOSDescription());
        if (!c.version.isEmpty()) {
            EXPECT_EQ(query.queryItemValue(u"version"_s, QUrl::FullyDecoded), c.version);
        }
    }
}

TEST_F(FeedbackServiceTest, NoWebFormWithoutAnHttpAddress)
{
    const FakeXdgOpen opener;
    for (const QString& base : {u"not a url"_s, u"form.test"_s, u"file:///etc"_s, u"ftp://form.test"_s,
             u"javascript:alert(1)"_s, u"https://"_s}) {
        SCOPED_TRACE(base.toStdString());
        const TruneFeedbackTarget target{.appName = u"App"_s, .baseURL = base};
        EXPECT_EQ(TruneFeedbackService::webFeedbackURL(target), std::nullopt);
        TruneFeedbackService::openInBrowser(target);
    }
    // The browser gets only a real form: the one call below is the first it sees.
    TruneFeedbackService::openInBrowser({.appName = u"App"_s,
        .version = {u"3.1"_s, u"1"_s},
        .kind = TruneFeedbackKind::bug,
        .language = TruneLanguage::tr,
        .baseURL = u"http://127.0.0.1:9/"_s});
    ASSERT_TRUE(opener.waitForCalls(1));
    ASSERT_EQ(opener.calls().size(), 1u);
    const QUrl opened(opener.calls()[0].value(0));
    EXPECT_EQ(opened.toString(QUrl::RemoveQuery), u"http://127.0.0.1:9/tr/geri-bildirim"_s);
    EXPECT_EQ(QUrlQuery(opened).queryItemValue(u"version"_s), u"3.1"_s);
}

TEST(TruneFeedbackMultipartTest, GoldenBytesOfANoteWithTwoScreenshots)
{
    const TruneFormFields fields{
        {u"type"_s, u"bug"_s},
        {u"sender_name"_s, u""_s},
        {u"subject"_s, u"Çökme — Hata"_s},
        {u"message"_s, u"line one\r\nline two"_s},
    };
    const std::vector<TruneFeedbackScreenshot> screenshots{
        screenshot(u"shot \"one\".png"_s, u"image/png"_s, QByteArray("\x89PNG\r\n\x1a\n\0\1", 10)),
        screenshot(u"evil\r\nX-Injected: 1.jpg"_s, u"image/jpeg\r\nX-Injected: 1"_s, "JPEGDATA"),
    };
    const QByteArray expected = "--B0UND\r\n"
                                "Content-Disposition: form-data; name=\"type\"\r\n\r\n"
                                "bug\r\n"
                                "--B0UND\r\n"
                                "Content-Disposition: form-data; name=\"subject\"\r\n\r\n"
                                "\xC3\x87\xC3\xB6kme \xE2\x80\x94 Hata\r\n"
                                "--B0UND\r\n"
                                "Content-Disposition: form-data; name=\"message\"\r\n\r\n"
                                "line one\r\nline two\r\n"
                                "--B0UND\r\n"
                                "Content-Disposition: form-data; name=\"screenshots[]\"; filename=\"shot one.png\"\r\n"
                                "Content-Type: image/png\r\n\r\n"
        + QByteArray("\x89PNG\r\n\x1a\n\0\1", 10)
        + "\r\n"
          "--B0UND\r\n"
          "Content-Disposition: form-data; name=\"screenshots[]\"; "
          "filename=\"evilX-Injected: 1.jpg\"\r\n"
          "Content-Type: image/jpegX-Injected: 1\r\n\r\n"
          "JPEGDATA\r\n"
          "--B0UND--\r\n";
    EXPECT_EQ(TruneFeedbackService::buildMultipartBody(u"B0UND"_s, fields, screenshots), expected);
    EXPECT_EQ(TruneFeedbackService::buildMultipartBody(u"B0UND"_s, {}, {}), "--B0UND--\r\n");
}

TEST_F(FeedbackServiceTest, ChecksTheFormInOrderAndSendsNothingUntilAllPass)
{
    using Error = TruneFeedbackError;
    const QByteArray fiveMiB(TruneFeedbackService::maxScreenshotBytes, 'x');
    const QByteArray tooLarge(TruneFeedbackService::maxScreenshotBytes + 1, 'x');
    struct Case {
        const char* name;
        std::function<void(TruneFeedbackSubmission&)> change;
        Error expected;
    };
    const std::vector<Case> cases{
        {"four characters with @ and .", [](auto& s) { s.email = u" a@b. "_s; }, Error::invalidEmail()},
        {"no @", [](auto& s) { s.email = u"ada.example.org"_s; }, Error::invalidEmail()},
        {"no dot", [](auto& s) { s.email = u"ada@example"_s; }, Error::invalidEmail()},
        {"e-mail before message",
            [](auto& s) {
                s.email = u"x"_s;
                s.message = u""_s;
            },
            Error::invalidEmail()},
        {"nine characters", [](auto& s) { s.message = u"  123456789 \n"_s; }, Error::messageTooShort()},
        {"nine user-perceived characters",
            [](auto& s) { s.message = u"e\u0301e\u0301e\u0301e\u0301e\u0301🇹🇷🇹🇷🇹🇷🇹🇷"_s; }, Error::messageTooShort()},
        {"six screenshots, one too large",
            [&](auto& s) {
                s.screenshots.assign(5, screenshot(u"a.png"_s, u"image/png"_s, "x"));
                s.screenshots.push_back(screenshot(u"b.png"_s, u"image/png"_s, tooLarge));
            },
            Error::tooManyScreenshots(5)},
        {"one byte too large", [&](auto& s) { s.screenshots = {screenshot(u"a.png"_s, u"image/png"_s, tooLarge)}; },
            Error::screenshotTooLarge(5)},
        {"no scheme or host", [](auto& s) { s.target.baseURL = u"feedback"_s; }, Error::invalidEndpoint()},
        {"not http", [](auto& s) { s.target.baseURL = u"ftp://127.0.0.1"_s; }, Error::invalidEndpoint()},
        {"plain http to another computer", [](auto& s) { s.target.baseURL = u"http://192.0.2.7"_s; },
            Error::insecureEndpoint()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TruneFeedbackSubmission submission = validSubmission(server);
        c.change(submission);
        const auto result = TruneFeedbackService::submit(submission);
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error(), c.expected);
    }
    EXPECT_TRUE(server.requests().empty());

    TruneFeedbackSubmission atTheLimits = validSubmission(server);
    atTheLimits.email = u"a@b.c"_s;
    atTheLimits.message = u"  1234567890  "_s;
    atTheLimits.screenshots.assign(5, screenshot(u"big.png"_s, u"image/png"_s, fiveMiB));
    const auto accepted = TruneFeedbackService::submit(atTheLimits);
    ASSERT_TRUE(accepted.has_value()) << accepted.error().errorDescription().toStdString();
    EXPECT_EQ(accepted->attachmentsCount, 5);
    EXPECT_EQ(uploadedParts().size(), 11u + 5u);
}

TEST_F(FeedbackServiceTest, PostsTheFormFieldsScreenshotsAndHeaders)
{
    TruneFeedbackSubmission submission = validSubmission(server);
    submission.target.appName = u"Trune\r\nUpdate"_s;
    submission.subject = u" Hi "_s;
    submission.target.language = TruneLanguage::tr;
    submission.screenshots
        = {screenshot(u"a.png"_s, u"image/png"_s, "PNG1"), screenshot(u"b.gif"_s, u"image/gif"_s, "GIF2")};
    const auto receipt = TruneFeedbackService::submit(submission);
    ASSERT_TRUE(receipt.has_value()) << receipt.error().errorDescription().toStdString();

    const std::vector<LoopbackHttpServer::Request> uploads = server.requests(u"/api/v1/feedback"_s);
    ASSERT_EQ(uploads.size(), 1u);
    const LoopbackHttpServer::Request& upload = uploads[0];
    EXPECT_EQ(upload.method, "POST");
    EXPECT_EQ(upload.header("Accept"), "application/json");
    EXPECT_EQ(upload.header("User-Agent"), "Quorvane/TruneUpdate TruneKit");
    const QByteArray boundary = MultipartForm::boundaryOf(upload.header("Content-Type").value_or("")).value_or("");
    EXPECT_TRUE(QRegularExpression(u"^TruneFeedback-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"_s)
                    .match(QString::fromLatin1(boundary))
                    .hasMatch())
        << boundary.toStdString();

    const std::vector<MultipartPart> parts = uploadedParts();
    const QList<std::pair<QByteArray, QByteArray>> expectedFields{
        {"type", "bug"},
        {"program_slug", "truneupdate"},
        {"program_name", "Trune\r\nUpdate"},
        {"email", "ada@example.org"},
        {"sender_name", "Ada"},
        {"subject", "Trune\r\nUpdate — Hata Bildirimi"},
        {"message", "It crashes when I open it."},
        {"app_version", "1.4.2"},
        {"os_info", TruneFeedbackService::currentOSDescription().toUtf8()},
        {"locale", "tr"},
        {"source", "desktop_app"},
        {"screenshots[]", "PNG1"},
        {"screenshots[]", "GIF2"},
    };
    EXPECT_EQ(namesAndValues(parts), expectedFields);
    ASSERT_EQ(parts.size(), 13u);
    EXPECT_EQ(parts[11].filename, "a.png");
    EXPECT_EQ(parts[12].contentType, "image/gif");
}

TEST_F(FeedbackServiceTest, FieldsAndSubjectRules)
{
    TruneFeedbackSubmission submission = validSubmission(server);
    submission.target.kind = TruneFeedbackKind::newApp;
    submission.senderName = u"  \n"_s;
    submission.subject = u" Abc "_s;
    submission.target.version.shortVersion = u""_s;
    ASSERT_TRUE(TruneFeedbackService::submit(submission).has_value());
    const QList<std::pair<QByteArray, QByteArray>> fields = namesAndValues(uploadedParts());
    EXPECT_TRUE(fields.contains(std::pair<QByteArray, QByteArray>{"program_slug", "new_app"}));
    EXPECT_TRUE(fields.contains(std::pair<QByteArray, QByteArray>{"subject", "Abc"}));
    for (const QByteArray& absent : {"sender_name"_ba, "app_version"_ba})
        EXPECT_FALSE(std::ranges::any_of(fields, [&](const auto& field) { return field.first == absent; }))
            << absent.toStdString();
}

TEST_F(FeedbackServiceTest, ReceiptTakesWhatTheServiceSaysAndDefaultsTheRest)
{
    struct Case {
        QByteArray body;
        TruneLanguage language;
        TruneFeedbackReceipt expected;
    };
    const QString thanksEn = u"Thank you! Your feedback has been received."_s;
    const QString thanksTr = u"Teşekkürler! Geri bildiriminiz bize ulaştı."_s;
    const std::vector<Case> cases{
        {R"({"reference_code":"FB-1","attachments_count":7,"message":"Got it"})", TruneLanguage::en,
            {u"FB-1"_s, 7, u"Got it"_s}},
        {"", TruneLanguage::en, {u"TRUN-FB-OK"_s, 1, thanksEn}},
        {"", TruneLanguage::tr, {u"TRUN-FB-OK"_s, 1, thanksTr}},
        {R"({"message":""})", TruneLanguage::en, {u"TRUN-FB-OK"_s, 1, u""_s}},
        {R"({"reference_code":12,"attachments_count":"3"})", TruneLanguage::en, {u"TRUN-FB-OK"_s, 1, thanksEn}},
        {R"({"attachments_count":2.5})", TruneLanguage::en, {u"TRUN-FB-OK"_s, 1, thanksEn}},
        {R"(["not", "an", "object"])", TruneLanguage::en, {u"TRUN-FB-OK"_s, 1, thanksEn}},
        {"<html>ok</html>", TruneLanguage::en, {u"TRUN-FB-OK"_s, 1, thanksEn}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        Response created = Response::ok(c.body);
        created.status = 201;
        server.setResponse(u"/api/v1/feedback"_s, created);
        TruneFeedbackSubmission submission = validSubmission(server);
        submission.target.language = c.language;
        submission.screenshots = {screenshot(u"a.png"_s, u"image/png"_s, "PNG")};
        const auto receipt = TruneFeedbackService::submit(submission);
        ASSERT_TRUE(receipt.has_value());
        EXPECT_EQ(*receipt, c.expected);
    }
}

TEST_F(FeedbackServiceTest, RefusalsCarryTheServicesWordsOrTheStatus)
{
    struct Case {
        Response response;
        QString expected;
    };
    const std::vector<Case> cases{
        {Response::withStatus(422, R"({"message":"Spam detected"})"), u"Spam detected"_s},
        {Response::withStatus(500), u"HTTP 500"_s},
        {Response::withStatus(404, R"({"message":""})"), u"HTTP 404"_s},
        {Response::withStatus(400, R"({"message":7})"), u"HTTP 400"_s},
        {Response::redirect(302, "https://elsewhere.test/"), u"HTTP 302"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        server.setResponse(u"/api/v1/feedback"_s, c.response);
        const auto result = TruneFeedbackService::submit(validSubmission(server));
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error(), TruneFeedbackError::serverRejected(c.expected));
    }
}

TEST_F(FeedbackServiceTest, TransportFailuresAreNetworkFailuresInTheInterfaceLanguage)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    TruneFeedbackSubmission submission = validSubmission(server);
    submission.target.baseURL = u"http://127.0.0.1:%1"_s.arg(closedPort);
    const auto refused = TruneFeedbackService::submit(submission);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().errorCase, TruneFeedbackError::Case::networkFailure);
    EXPECT_FALSE(refused.error().text.isEmpty());

    Response huge = Response::ok("");
    huge.fillerBytes = 20 * 1024 * 1024;
    server.setResponse(u"/api/v1/feedback"_s, huge);
    const ScopedInterfaceLanguage turkish(TruneLanguage::tr);
    const auto tooLarge = TruneFeedbackService::submit(validSubmission(server));
    ASSERT_FALSE(tooLarge.has_value());
    EXPECT_EQ(tooLarge.error(), TruneFeedbackError::networkFailure(u"yanıt 1.0 MB sınırını aştı"_s));
}

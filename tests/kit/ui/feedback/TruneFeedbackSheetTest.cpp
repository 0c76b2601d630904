#include "kit/ui/feedback/TruneFeedbackSheet.h"

#include "kit/feedback/TruneFeedbackError.h"
#include "kit/localization/TruneText.h"
#include "kit/ui/TruneBrandMark.h"
#include "tests/kit/ui/feedback/FeedbackImages.h"
#include "tests/support/FakeXdgOpen.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/MultipartForm.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"
#include "tests/support/TextsOf.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

using Response = LoopbackHttpServer::Response;

const QString uploadPath = u"/api/v1/feedback"_s;
const QString tooMany = u"You can attach up to 5 screenshots."_s;
const QString tooLarge = u"Each screenshot must be smaller than 5 MB."_s;
const QString noClipboardImage
    = u"No image found on the clipboard right now. Take a screenshot first, then click Paste."_s;

// The sheet against the loopback server, in a temporary home, with image files of its own for the
// chooser to hand out.
class FeedbackSheetTest : public ::testing::Test {
protected:
    FeedbackSheetTest()
    {
        TruneLanguage::setCurrent(TruneLanguage::en);
        server.setResponse(uploadPath,
            Response::ok(R"({"reference_code":"FB-2026-0042","attachments_count":3,"message":"We read every note."})"));
    }
    ~FeedbackSheetTest() override
    {
        QGuiApplication::clipboard()->clear();
        TruneFeedbackSheet::waitForUploads();
        QCoreApplication::processEvents();
    }

    std::unique_ptr<TruneFeedbackSheet> openSheet(
        TruneLanguage language = TruneLanguage::en, std::function<void()> onClose = [] {},
        const QString& appName = u"TruneUpdate"_s)
    {
        auto sheet = std::make_unique<TruneFeedbackSheet>(TruneFeedbackSheetOptions{
            .appName = appName,
            .version = {u"1.4.2"_s, u"142"_s},
            .palette = TruneProductPalette::deepViolet,
            .language = language,
            .baseURL = server.url(u""_s),
            .onClose = std::move(onClose),
            .chooseFiles = [this](QWidget*, TruneLanguage) { return std::exchange(chosen, {}); },
        });
        sheet->resize(620, 900);
        sheet->show();
        return sheet;
    }

    // A PNG of the given width written under `name`; its path.
    QString imageFile(const QString& name, int width = 320)
    {
        return file(name, FeedbackImages::encoded(FeedbackImages::stripes(QSize(width, 200)), "PNG"));
    }
    QString file(const QString& name, const QByteArray& bytes)
    {
        QFile out(files.filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return out.fileName();
    }

    void pick(TruneFeedbackSheet& sheet, QStringList paths)
    {
        chosen = std::move(paths);
        button(sheet, u"pickScreenshots"_s)->click();
        sheet.waitForIntake();
    }
    void paste(TruneFeedbackSheet& sheet, QMimeData* mime)
    {
        QGuiApplication::clipboard()->setMimeData(mime);
        button(sheet, u"pasteScreenshot"_s)->click();
        sheet.waitForIntake();
    }
    void fillIn(TruneFeedbackSheet& sheet)
    {
        QTest::keyClicks(sheet.findChild<QLineEdit*>(u"emailField"_s), u"ada@example.org"_s);
        QTest::keyClicks(sheet.findChild<QLineEdit*>(u"nameField"_s), u"Ada"_s);
        QTest::keyClicks(sheet.findChild<QLineEdit*>(u"subjectField"_s), u"Cask updates"_s);
        QTest::keyClicks(sheet.findChild<QPlainTextEdit*>(u"messageField"_s), u"Please show the changelog first."_s);
    }
    static QAbstractButton* button(const TruneFeedbackSheet& sheet, const QString& name)
    {
        auto* found = sheet.findChild<QAbstractButton*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    static QString shown(const TruneFeedbackSheet& sheet, const QString& labelName)
    {
        auto* label = sheet.findChild<QLabel*>(labelName);
        return label && label->isVisibleTo(&sheet) ? label->text() : QString();
    }
    static bool waitUntilSent(const TruneFeedbackSheet& sheet)
    {
        return waitUntil([&] { return !sheet.state().isSubmitting; });
    }
    static QStringList names(const TruneFeedbackSheet& sheet)
    {
        return textsOf(sheet.state().screenshots, &TruneFeedbackScreenshot::filename);
    }

    const TempHome home;
    LoopbackHttpServer server;
    QTemporaryDir files;
    QStringList chosen;
};

// Lets pending layout and show requests run, then saves what the sheet shows.
void shoot(TruneFeedbackSheet& sheet, const QString& name)
{
    settle();
    saveScreenshot(sheet, name);
}

// A response that waits until the test lets it go.
struct HeldResponse {
    std::shared_ptr<std::atomic<bool>> released = std::make_shared<std::atomic<bool>>(false);

    Response response(QByteArray body) const
    {
        Response held = Response::ok(std::move(body));
        held.holdUntil = [released = released] { return released->load(); };
        return held;
    }
    void release() const { released->store(true); }
};

} // namespace

TEST_F(FeedbackSheetTest, AFreshSheetIsReadyToCompose)
{
    const auto sheet = openSheet();
    const TruneFeedbackSheetState fresh;
    EXPECT_EQ(sheet->state(), fresh);
    EXPECT_EQ(fresh.kind, TruneFeedbackKind::feature);
    EXPECT_TRUE(button(*sheet, u"kindChip-feature"_s)->isChecked());
    EXPECT_FALSE(button(*sheet, u"kindChip-bug"_s)->isChecked());
    EXPECT_TRUE(button(*sheet, u"sendFeedback"_s)->isEnabled());
    EXPECT_EQ(button(*sheet, u"sendFeedback"_s)->text(), u"Send Feedback"_s);
    EXPECT_FALSE(sheet->findChild<QWidget*>(u"errorLine"_s)->isVisibleTo(sheet.get()));
    EXPECT_FALSE(sheet->findChild<QWidget*>(u"screenshotHint"_s)->isVisibleTo(sheet.get()));
    EXPECT_FALSE(sheet->findChild<QWidget*>(u"receiptCard"_s)->isVisibleTo(sheet.get()));
    EXPECT_EQ(shown(*sheet, u"feedbackFooter"_s), u"TruneUpdate v1.4.2"_s);
    EXPECT_EQ(
        sheet->findChild<TruneBrandMark*>(u"feedbackBrandMark"_s)->style().kind(), TruneBrandMarkStyle::Kind::app);
    EXPECT_GE(sheet->minimumWidth(), 560);
    EXPECT_GE(sheet->minimumHeight(), 540);

    button(*sheet, u"kindChip-bug"_s)->click();
    EXPECT_EQ(sheet->state().kind, TruneFeedbackKind::bug);
    EXPECT_FALSE(button(*sheet, u"kindChip-feature"_s)->isChecked());

    const auto stranger = openSheet(TruneLanguage::en, {}, u"Some Other Tool"_s);
    EXPECT_EQ(stranger->findChild<TruneBrandMark*>(u"feedbackBrandMark"_s)->style().kind(),
        TruneBrandMarkStyle::Kind::currentApp);
}

TEST_F(FeedbackSheetTest, AnEmptyFormIsRefusedWithTheServicesReasonAndNothingIsSent)
{
    const auto sheet = openSheet();
    button(*sheet, u"sendFeedback"_s)->click();
    ASSERT_TRUE(waitUntilSent(*sheet));
    EXPECT_EQ(sheet->state().errorMessage, u"Please enter a valid email address."_s);
    EXPECT_EQ(shown(*sheet, u"errorText"_s), u"Please enter a valid email address."_s);
    EXPECT_TRUE(button(*sheet, u"sendFeedback"_s)->isEnabled());
    EXPECT_FALSE(sheet->state().receipt);
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(FeedbackSheetTest, WhileSendingTheFormStaysUsableAndTheUploadKeepsItsSnapshot)
{
    const HeldResponse held;
    server.setResponse(
        uploadPath, held.response(R"({"reference_code":"FB-2026-0042","message":"We read every note."})"));
    const auto sheet = openSheet();
    button(*sheet, u"kindChip-bug"_s)->click();
    fillIn(*sheet);
    pick(*sheet, {imageFile(u"one.png"_s), imageFile(u"two.png"_s)});
    button(*sheet, u"sendFeedback"_s)->click();

    EXPECT_TRUE(sheet->state().isSubmitting);
    EXPECT_FALSE(button(*sheet, u"sendFeedback"_s)->isEnabled());
    EXPECT_EQ(button(*sheet, u"sendFeedback"_s)->text(), u"Sending…"_s);
    button(*sheet, u"sendFeedback"_s)->click(); // disabled: no second upload
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));

    // Edits while the upload runs stay in the form and never reach the request already sent.
    button(*sheet, u"kindChip-general"_s)->click();
    QTest::keyClicks(sheet->findChild<QLineEdit*>(u"subjectField"_s), u" and more"_s);
    pick(*sheet, {imageFile(u"three.png"_s)});
    EXPECT_EQ(sheet->state().subject, u"Cask updates and more"_s);
    EXPECT_EQ(names(*sheet), QStringList({u"one.png"_s, u"two.png"_s, u"three.png"_s}));
    EXPECT_EQ(sheet->state().kind, TruneFeedbackKind::general);

    held.release();
    ASSERT_TRUE(waitUntilSent(*sheet));
    ASSERT_TRUE(sheet->state().receipt);
    EXPECT_EQ(sheet->state().receipt->referenceCode, u"FB-2026-0042"_s);
    EXPECT_TRUE(sheet->findChild<QWidget*>(u"receiptCard"_s)->isVisibleTo(sheet.get()));
    EXPECT_FALSE(sheet->findChild<QWidget*>(u"feedbackForm"_s)->isVisibleTo(sheet.get()));
    EXPECT_EQ(shown(*sheet, u"receiptReference"_s), u"Reference: FB-2026-0042"_s);
    EXPECT_EQ(shown(*sheet, u"receiptMessage"_s), u"We read every note."_s);
    EXPECT_EQ(shown(*sheet, u"receiptAttachments"_s), u"📷 2"_s) << "the count sent, as the service named none";

    const LoopbackHttpServer::Request request = server.requests(uploadPath).at(0);
    const auto boundary = MultipartForm::boundaryOf(request.header("Content-Type").value_or(QByteArray()));
    ASSERT_TRUE(boundary);
    const auto parts = MultipartForm::parse(request.body, *boundary);
    ASSERT_TRUE(parts);
    QStringList fields;
    QStringList attachments;
    for (const MultipartPart& part : *parts) {
        if (part.filename)
            attachments.append(QString::fromUtf8(*part.filename) + u' ' + QString::fromUtf8(part.contentType));
        else
            fields.append(QString::fromUtf8(part.name) + u'=' + QString::fromUtf8(part.data));
    }
    EXPECT_EQ(fields.mid(0, 8),
        QStringList({u"type=bug"_s, u"program_slug=truneupdate"_s, u"program_name=TruneUpdate"_s,
            u"email=ada@example.org"_s, u"sender_name=Ada"_s, u"subject=Cask updates"_s,
            u"message=Please show the changelog first."_s, u"app_version=1.4.2"_s}));
    EXPECT_TRUE(fields.contains(u"locale=en"_s));
    EXPECT_EQ(attachments, QStringList({u"one.png image/png"_s, u"two.png image/png"_s}));
}

TEST_F(FeedbackSheetTest, ARejectionShowsTheServersWordsAndKeepsTheForm)
{
    server.setResponse(uploadPath, Response::withStatus(422, R"({"message":"Daily limit reached for this address."})"));
    const auto sheet = openSheet();
    fillIn(*sheet);
    button(*sheet, u"sendFeedback"_s)->click();
    ASSERT_TRUE(waitUntilSent(*sheet));
    EXPECT_EQ(shown(*sheet, u"errorText"_s), u"Daily limit reached for this address."_s);
    EXPECT_FALSE(sheet->state().receipt);
    EXPECT_EQ(sheet->state().subject, u"Cask updates"_s);
    EXPECT_TRUE(button(*sheet, u"sendFeedback"_s)->isEnabled());

    // The next action clears the error line first; typing leaves it.
    QTest::keyClicks(sheet->findChild<QLineEdit*>(u"nameField"_s), u"!"_s);
    EXPECT_TRUE(sheet->state().errorMessage);
    QGuiApplication::clipboard()->clear();
    button(*sheet, u"pasteScreenshot"_s)->click();
    EXPECT_FALSE(sheet->state().errorMessage);
}

TEST_F(FeedbackSheetTest, ALongRejectionIsShownOnOneLineAndCut)
{
    const QString words = u"Refused.\r\nReason:\t"_s + QString(5000, u'x');
    server.setResponse(uploadPath,
        Response::withStatus(422, QJsonDocument(QJsonObject{{u"message"_s, words}}).toJson(QJsonDocument::Compact)));
    const auto sheet = openSheet();
    fillIn(*sheet);
    button(*sheet, u"sendFeedback"_s)->click();
    ASSERT_TRUE(waitUntilSent(*sheet));
    const QString shownText = shown(*sheet, u"errorText"_s);
    EXPECT_TRUE(shownText.startsWith(u"Refused. Reason: xxx"_s)) << shownText.left(40).toStdString();
    EXPECT_EQ(shownText.size(), TruneFeedbackError::maxServerTextLength);
    EXPECT_TRUE(shownText.endsWith(QChar(0x2026)));
}

TEST_F(FeedbackSheetTest, AClipboardImageAboveThePixelLimitIsRefusedWithItsReason)
{
    const auto sheet = openSheet();
    auto* mime = new QMimeData;
    mime->setData(u"image/tiff"_s, FeedbackImages::pngHeaderClaiming(QSize(10'000, 7'000)));
    paste(*sheet, mime);
    EXPECT_EQ(
        sheet->state().errorMessage, u"The image on the clipboard has more than 64 megapixels, too many to attach."_s);
    EXPECT_TRUE(sheet->state().screenshots.empty());
}

TEST_F(FeedbackSheetTest, SendAnotherNoteKeepsKindAndContactAndEmptiesTheRest)
{
    server.setResponse(uploadPath, Response::ok(R"({"reference_code":"FB-7","attachments_count":0})"));
    const auto sheet = openSheet();
    button(*sheet, u"kindChip-new_app"_s)->click();
    fillIn(*sheet);
    auto* mime = new QMimeData;
    mime->setData(u"image/png"_s, FeedbackImages::encoded(FeedbackImages::stripes(QSize(30, 20)), "PNG"));
    paste(*sheet, mime);
    button(*sheet, u"sendFeedback"_s)->click();
    ASSERT_TRUE(waitUntilSent(*sheet));
    ASSERT_TRUE(sheet->state().receipt);
    EXPECT_EQ(shown(*sheet, u"receiptAttachments"_s), QString()) << "a count of 0 is not shown";
    EXPECT_EQ(shown(*sheet, u"receiptMessage"_s), u"Thank you! Your feedback has been received."_s);

    button(*sheet, u"sendAnotherNote"_s)->click();
    const TruneFeedbackSheetState& state = sheet->state();
    EXPECT_FALSE(state.receipt);
    EXPECT_EQ(state.kind, TruneFeedbackKind::newApp);
    EXPECT_EQ(state.email, u"ada@example.org"_s);
    EXPECT_EQ(state.senderName, u"Ada"_s);
    EXPECT_EQ(state.subject, QString());
    EXPECT_EQ(state.message, QString());
    EXPECT_TRUE(state.screenshots.empty());
    EXPECT_EQ(state.statusHint, u"Screenshot pasted from clipboard."_s);
    EXPECT_EQ(sheet->findChild<QLineEdit*>(u"subjectField"_s)->text(), QString());
    EXPECT_EQ(sheet->findChild<QPlainTextEdit*>(u"messageField"_s)->toPlainText(), QString());
    EXPECT_EQ(sheet->findChild<QLineEdit*>(u"emailField"_s)->text(), u"ada@example.org"_s);
    EXPECT_TRUE(sheet->findChild<QWidget*>(u"feedbackForm"_s)->isVisibleTo(sheet.get()));
    EXPECT_FALSE(sheet->findChild<QWidget*>(u"screenshotScroll"_s)->isVisibleTo(sheet.get()));
}

TEST_F(FeedbackSheetTest, PastingTakesTheClipboardImageWithinTheLimits)
{
    const auto sheet = openSheet();
    const QImage picture = FeedbackImages::stripes(QSize(60, 40));
    for (const char* format : {"PNG", "TIFF", "BMP"}) {
        SCOPED_TRACE(format);
        auto* mime = new QMimeData;
        mime->setData(u"image/"_s + QString::fromLatin1(format).toLower(), FeedbackImages::encoded(picture, format));
        paste(*sheet, mime);
        EXPECT_EQ(sheet->state().statusHint, u"Screenshot pasted from clipboard."_s);
        EXPECT_FALSE(sheet->state().errorMessage);
        EXPECT_EQ(sheet->state().screenshots.back().mimeType, u"image/png"_s);
        EXPECT_FALSE(sheet->thumbnail(sheet->state().screenshots.back().id).isNull());
    }

    paste(*sheet, new QMimeData);
    EXPECT_EQ(sheet->state().statusHint, noClipboardImage);
    EXPECT_EQ(shown(*sheet, u"screenshotHint"_s), noClipboardImage);
    EXPECT_FALSE(sheet->state().errorMessage) << "an empty clipboard is no error";
    EXPECT_EQ(sheet->state().screenshots.size(), 3U);

    pick(*sheet, {imageFile(u"four.png"_s), imageFile(u"five.png"_s)});
    auto* mime = new QMimeData;
    mime->setData(u"image/png"_s, FeedbackImages::encoded(picture, "PNG"));
    paste(*sheet, mime);
    EXPECT_EQ(sheet->state().errorMessage, tooMany);
    EXPECT_EQ(sheet->state().statusHint, noClipboardImage) << "the clipboard was not read";
    EXPECT_EQ(sheet->state().screenshots.size(), 5U);

    // A pasted image over the size limit is refused.
    const auto second = openSheet();
    auto* huge = new QMimeData;
    huge->setData(u"image/png"_s, QByteArray(TruneFeedbackService::maxScreenshotBytes + 1, 'p'));
    paste(*second, huge);
    EXPECT_EQ(second->state().errorMessage, tooLarge);
    EXPECT_TRUE(second->state().screenshots.empty());
}

TEST_F(FeedbackSheetTest, PickingFilesAppliesTheLimitsFileByFile)
{
    const auto sheet = openSheet();
    pick(*sheet, {imageFile(u"a.png"_s), imageFile(u"b.png"_s), imageFile(u"c.png"_s), imageFile(u"d.png"_s)});
    ASSERT_EQ(sheet->state().screenshots.size(), 4U);
    pick(*sheet, {imageFile(u"e.png"_s), imageFile(u"f.png"_s), imageFile(u"g.png"_s)});
    EXPECT_EQ(names(*sheet), QStringList({u"a.png"_s, u"b.png"_s, u"c.png"_s, u"d.png"_s, u"e.png"_s}));
    EXPECT_EQ(sheet->state().errorMessage, tooMany);

    const auto limits = openSheet();
    const QString fifo = files.filePath(u"pipe.png"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(files.path()).mkdir(u"folder.png"_s));
    pick(*limits,
        {file(u"exact.png"_s, QByteArray(TruneFeedbackService::maxScreenshotBytes, 'x')),
            file(u"over.png"_s, QByteArray(TruneFeedbackService::maxScreenshotBytes + 1, 'x')), fifo,
            files.filePath(u"folder.png"_s), file(u"empty.png"_s, {}), imageFile(u"CAMERA.JPG"_s),
            file(u"broken.webp"_s, "RIFF....WEBP junk")});
    EXPECT_EQ(names(*limits), QStringList({u"exact.png"_s, u"CAMERA.JPG"_s, u"broken.webp"_s}));
    EXPECT_EQ(textsOf(limits->state().screenshots, &TruneFeedbackScreenshot::mimeType),
        QStringList({u"image/png"_s, u"image/jpeg"_s, u"image/webp"_s}));
    EXPECT_EQ(limits->state().errorMessage, tooLarge) << "the too-large file is refused, the next one still added";
    EXPECT_FALSE(limits->state().statusHint) << "picking leaves the hint alone";

    // An undecodable file gets a tile with its size and a remove button, but no thumbnail.
    const QList<QWidget*> tiles = limits->findChildren<QWidget*>(u"screenshotTile"_s);
    ASSERT_EQ(tiles.size(), 3);
    EXPECT_EQ(tiles[2]->findChildren<QWidget*>(u"screenshotThumbnail"_s).size(), 0);
    EXPECT_EQ(tiles[2]->findChild<QLabel*>(u"screenshotSize"_s)->text(), u"17 B"_s);
    EXPECT_NE(tiles[2]->findChild<QAbstractButton*>(u"removeScreenshot"_s), nullptr);
    EXPECT_EQ(tiles[0]->findChildren<QWidget*>(u"screenshotThumbnail"_s).size(), 0) << "junk bytes named .png";

    // A cancelled chooser changes nothing but the error line.
    pick(*limits, {});
    EXPECT_EQ(limits->state().screenshots.size(), 3U);
    EXPECT_FALSE(limits->state().errorMessage);
}

TEST_F(FeedbackSheetTest, RemovingATileKeepsTheOthersInOrder)
{
    const auto sheet = openSheet();
    pick(*sheet, {imageFile(u"a.png"_s), imageFile(u"b.png"_s), imageFile(u"c.png"_s)});
    const auto removeTile = [&](int index) {
        const QList<QWidget*> tiles = sheet->findChildren<QWidget*>(u"screenshotTile"_s);
        tiles.at(index)->findChild<QAbstractButton*>(u"removeScreenshot"_s)->click();
    };
    removeTile(1);
    EXPECT_EQ(names(*sheet), QStringList({u"a.png"_s, u"c.png"_s}));
    EXPECT_EQ(sheet->findChildren<QWidget*>(u"screenshotTile"_s).size(), 2);
    EXPECT_FALSE(sheet->findChildren<QWidget*>(u"screenshotTile"_s)
                     .at(0)
                     ->findChildren<QWidget*>(u"screenshotThumbnail"_s)
                     .isEmpty());
    removeTile(1);
    removeTile(0);
    EXPECT_TRUE(sheet->state().screenshots.empty());
    EXPECT_FALSE(sheet->findChild<QWidget*>(u"screenshotScroll"_s)->isVisibleTo(sheet.get()));
}

TEST_F(FeedbackSheetTest, OpenInBrowserHandsTheCurrentKindToTheWebFormAndSendsNothing)
{
    const FakeXdgOpen opener;
    const auto sheet = openSheet(TruneLanguage::tr);
    button(*sheet, u"kindChip-general"_s)->click();
    fillIn(*sheet);
    button(*sheet, u"openInBrowser"_s)->click();
    ASSERT_TRUE(opener.waitForCalls(1));
    const QUrl opened(opener.calls().at(0).value(0));
    EXPECT_EQ(opened.toString(QUrl::RemoveQuery), server.url(u"/tr/geri-bildirim"_s));
    EXPECT_EQ(QUrlQuery(opened).queryItemValue(u"type"_s), u"general"_s);
    EXPECT_EQ(QUrlQuery(opened).queryItemValue(u"app"_s), u"truneupdate"_s);
    EXPECT_TRUE(server.requests().empty());
    EXPECT_FALSE(sheet->state().errorMessage);
}

TEST_F(FeedbackSheetTest, EscapeCloseAndDoneCallTheCloseActionOnlyWhenThereIsOne)
{
    int closed = 0;
    const auto sheet = openSheet(TruneLanguage::en, [&] { ++closed; });
    QTest::keyClick(sheet->findChild<QLineEdit*>(u"emailField"_s), Qt::Key_Escape);
    EXPECT_EQ(closed, 1);
    button(*sheet, u"feedbackClose"_s)->click();
    EXPECT_EQ(closed, 2);
    fillIn(*sheet);
    button(*sheet, u"sendFeedback"_s)->click();
    ASSERT_TRUE(waitUntilSent(*sheet));
    button(*sheet, u"receiptDone"_s)->click();
    EXPECT_EQ(closed, 3);
    EXPECT_TRUE(sheet->state().receipt) << "closing changes no state";

    const auto open = openSheet(TruneLanguage::en, {});
    EXPECT_EQ(open->findChild<QAbstractButton*>(u"feedbackClose"_s), nullptr);
    EXPECT_EQ(open->findChild<QAbstractButton*>(u"receiptDone"_s), nullptr);
    QTest::keyClick(open->findChild<QLineEdit*>(u"emailField"_s), Qt::Key_Escape);
    EXPECT_TRUE(open->isVisible());
}

TEST_F(FeedbackSheetTest, ArabicLaysTheSheetOutRightToLeft)
{
    const auto arabic = openSheet(TruneLanguage::ar);
    EXPECT_EQ(arabic->layoutDirection(), Qt::RightToLeft);
    EXPECT_EQ(arabic->findChild<QLineEdit*>(u"emailField"_s)->layoutDirection(), Qt::RightToLeft);
    const QWidget* mark = arabic->findChild<QWidget*>(u"feedbackBrandMark"_s);
    EXPECT_GT(mark->mapTo(arabic.get(), QPoint()).x(), arabic->width() / 2) << "the mark sits at the right";
    const auto english = openSheet(TruneLanguage::en);
    EXPECT_EQ(english->layoutDirection(), Qt::LeftToRight);
    EXPECT_EQ(button(*arabic, u"sendFeedback"_s)->text(),
        truneText(u"Send Feedback"_s, u"Geri Bildirimi Gönder"_s, TruneLanguage::ar));
    shoot(*arabic, u"feedback-sheet-composing-ar"_s);
}

TEST_F(FeedbackSheetTest, ASheetDestroyedMidUploadDropsTheResult)
{
    const HeldResponse held;
    server.setResponse(uploadPath, held.response(R"({"reference_code":"FB-LATE"})"));
    auto sheet = openSheet();
    fillIn(*sheet);
    pick(*sheet, {imageFile(u"a.png"_s)});
    button(*sheet, u"sendFeedback"_s)->click();
    ASSERT_TRUE(waitUntil([&] { return server.requests().size() == 1; }));
    sheet.reset();
    held.release();
    TruneFeedbackSheet::waitForUploads();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(server.waitUntilSettled());
    EXPECT_TRUE(server.requests(uploadPath).at(0).completed);
}

TEST_F(FeedbackSheetTest, Screenshots)
{
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        TruneLanguage::setCurrent(language); // the error texts follow the interface language
        const QString suffix = u"-"_s + language.rawValue();
        const HeldResponse held;
        server.setResponse(uploadPath,
            held.response(
                R"({"reference_code":"FB-2026-0042","attachments_count":2,"message":"We read every note."})"));
        const auto sheet = openSheet(language);
        button(*sheet, u"kindChip-bug"_s)->click();
        fillIn(*sheet);
        auto* mime = new QMimeData;
        mime->setData(u"image/png"_s, FeedbackImages::encoded(FeedbackImages::stripes(QSize(640, 400)), "PNG"));
        paste(*sheet, mime);
        pick(*sheet, {imageFile(u"wide.png"_s, 900), file(u"notes.png"_s, "not a picture")});
        shoot(*sheet, u"feedback-sheet-composing"_s + suffix);

        button(*sheet, u"sendFeedback"_s)->click();
        ASSERT_TRUE(sheet->state().isSubmitting);
        shoot(*sheet, u"feedback-sheet-sending"_s + suffix);
        held.release();
        ASSERT_TRUE(waitUntilSent(*sheet));
        shoot(*sheet, u"feedback-sheet-receipt"_s + suffix);

        const auto failing = openSheet(language);
        QTest::keyClicks(failing->findChild<QLineEdit*>(u"emailField"_s), u"ada@"_s);
        button(*failing, u"sendFeedback"_s)->click();
        ASSERT_TRUE(waitUntilSent(*failing));
        shoot(*failing, u"feedback-sheet-error"_s + suffix);
    }
}

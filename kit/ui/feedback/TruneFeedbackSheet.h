#pragma once

#include "kit/feedback/TruneFeedbackService.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneBundle.h"
#include "kit/ui/TruneProductPalette.h"
#include "kit/ui/feedback/TruneFeedbackScreenshotIntake.h"

#include <QHash>
#include <QImage>
#include <QThreadPool>
#include <QUuid>
#include <QWidget>

#include <expected>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QHBoxLayout;
class TruneGlassCard;
class TruneSpinner;

// What the feedback sheet holds while the user writes a note.
struct TruneFeedbackSheetState {
    TruneFeedbackKind kind = TruneFeedbackKind::feature;
    QString email = {};
    QString senderName = {};
    QString subject = {};
    QString message = {};
    std::vector<TruneFeedbackScreenshot> screenshots = {}; // in the order they were added
    bool isSubmitting = false;
    std::optional<QString> errorMessage = {}; // the form's one error line
    std::optional<QString> statusHint = {};   // a neutral note under the screenshot buttons
    std::optional<TruneFeedbackReceipt> receipt = {};

    bool operator==(const TruneFeedbackSheetState&) const = default;
};

struct TruneFeedbackSheetOptions {
    QString appName = {};
    TruneAppVersion version = {};
    TruneProductPalette palette = TruneProductPalette::deepViolet;
    TruneLanguage language = {};
    // Overrides the feedback service's address when it is not blank.
    std::optional<QString> baseURL = {};
    // Run by the close button, "Done" and Escape; without it the sheet has neither button and
    // Escape does nothing.
    std::function<void()> onClose = {};
    // Asks the user for image files to attach.
    TruneScreenshotChooser chooseFiles = TruneFeedbackScreenshotIntake::chooseScreenshotFiles;
    // Stands for the running app when `appName` is not in the app catalogue.
    const TruneBundle* bundle = &TruneBundle::main();
};

// The in-app feedback form: the kind of note, contact details, a title, the details and up to
// five screenshots from the clipboard or from image files, sent to the maker's feedback service.
// A successful upload replaces the form with a receipt that shows the service's reference code.
// The upload, clipboard conversions and file reads run on worker threads; the form stays usable
// meanwhile. Closing the sheet does not stop an upload in flight: its result is dropped.
class TruneFeedbackSheet final : public QWidget {
    Q_OBJECT

public:
    explicit TruneFeedbackSheet(TruneFeedbackSheetOptions options, QWidget* parent = nullptr);
    ~TruneFeedbackSheet() override;

    const TruneFeedbackSheetState& state() const { return m_state; }
    const TruneFeedbackSheetOptions& options() const { return m_options; }
    // The decoded thumbnail of an attachment; a null image for one that does not decode.
    QImage thumbnail(const QUuid& id) const { return m_thumbnails.value(id); }

    // Waits until every clipboard conversion and file read started so far has been applied.
    void waitForIntake();
    // Waits until every upload of every sheet has ended (their results are delivered later, on the
    // GUI thread, to the sheets still open).
    static void waitForUploads();

signals:
    void stateChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Intake; // a clipboard image or picked files, converted and read on the intake worker

    QWidget* headerRow();
    QWidget* composerForm();
    QWidget* kindCard();
    QWidget* fieldsCard();
    QWidget* screenshotCard();
    QWidget* errorLine();
    QWidget* actionRow();
    QWidget* receiptCard();

    void selectKind(TruneFeedbackKind kind);
    void submitFeedback();
    void finishSubmission(const std::expected<TruneFeedbackReceipt, TruneFeedbackError>& result);
    void sendAnotherNote();
    void openInBrowser();
    void pasteFromClipboard();
    void pickScreenshotsFromDisk();
    void removeScreenshot(const QUuid& id);
    void runIntake(std::function<Intake()> work);
    void applyIntake(const Intake& intake);
    // Appends the screenshot unless the list is full or it is too large; false when refused.
    bool addScreenshot(const TruneFeedbackScreenshot& screenshot, const QImage& thumbnail);

    void render();
    void renderKinds();
    void renderScreenshots();
    void renderReceipt();
    QWidget* screenshotTile(const TruneFeedbackScreenshot& screenshot);
    QString text(const QString& en, const QString& tr) const;

    TruneFeedbackSheetOptions m_options;
    TruneFeedbackSheetState m_state;
    QHash<QUuid, QImage> m_thumbnails;
    std::vector<QUuid> m_shownTiles;

    QWidget* m_form = nullptr;
    std::map<TruneFeedbackKind, QAbstractButton*> m_kindChips;
    QLineEdit* m_emailField = nullptr;
    QLineEdit* m_nameField = nullptr;
    QLineEdit* m_subjectField = nullptr;
    QPlainTextEdit* m_messageField = nullptr;
    QLabel* m_hintLabel = nullptr;
    QWidget* m_strip = nullptr;
    QWidget* m_stripScroll = nullptr;
    QHBoxLayout* m_tiles = nullptr;
    QWidget* m_errorLine = nullptr;
    QLabel* m_errorLabel = nullptr;
    QAbstractButton* m_sendButton = nullptr;
    TruneSpinner* m_sendSpinner = nullptr;
    QLabel* m_sendLabel = nullptr;
    TruneGlassCard* m_receiptCard = nullptr;
    QLabel* m_receiptMessage = nullptr;
    QLabel* m_referenceLabel = nullptr;
    QLabel* m_attachmentsLabel = nullptr;

    // One thread, so clipboard and file additions are applied in the order they were asked for.
    // Declared last: its destructor waits for the reads before anything they report to goes away.
    QThreadPool m_intake;
};

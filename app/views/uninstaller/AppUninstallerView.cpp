#include "app/views/uninstaller/AppUninstallerView.h"

#include "app/viewmodel/StudioThreadPools.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/StudioPlatformTexts.h"
#include "app/views/uninstaller/DroppedFileUrl.h"
#include "app/views/uninstaller/LeftoverReviewView.h"
#include "app/views/uninstaller/UninstallerAppPicker.h"
#include "app/views/uninstaller/UninstallerDropZone.h"
#include "app/views/uninstaller/UninstallerViewState.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/ui/TruneSheetParts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

AppUninstallerView::AppUninstallerView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_uiState(new UninstallerViewState(this))
    , m_dropZone(
          new UninstallerDropZone(*m_uiState, accent, [this](const QMimeData& mime) { return handleDrop(mime); }))
    , m_picker(new UninstallerAppPicker(viewModel, accent))
    , m_inspector(new LeftoverReviewView(viewModel, *m_uiState, accent))
{
    setObjectName(u"appUninstallerView"_s);
    auto* left = new QVBoxLayout;
    left->setSpacing(12);
    left->addWidget(m_dropZone);
    left->addWidget(m_picker, 1);
    auto* leftColumn = new QWidget;
    leftColumn->setLayout(left);
    left->setContentsMargins(0, 0, 0, 0);
    leftColumn->setFixedWidth(340);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addWidget(leftColumn);
    layout->addWidget(m_inspector, 1);

    connect(m_uiState, &UninstallerViewState::confirmTrashSheetChanged, this, &AppUninstallerView::presentConfirmation);
    connect(m_inspector, &LeftoverReviewView::selectionInputsChanged, this,
        &AppUninstallerView::closeConfirmationWhenStale);
    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, [this](StudioFields fields) {
        if (fields.testFlag(StudioField::language))
            syncLanguage();
    });
    syncLanguage();
}

bool AppUninstallerView::handleDrop(const QMimeData& mime)
{
    std::optional<QByteArray> uriList = DroppedFileUrl::localFileUriList(mime);
    if (!uriList)
        return false;
    StudioThreadPools::views().start([self = QPointer(this), uriList = std::move(*uriList)] {
        const std::optional<QUrl> url = DroppedFileUrl::firstLocalFileUrl(uriList);
        QCoreApplication* application = QCoreApplication::instance();
        if (!url || !application)
            return;
        QMetaObject::invokeMethod(
            application,
            [self, url = *url] {
                if (self)
                    self->m_viewModel.inspectDroppedAppURL(url);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void AppUninstallerView::presentConfirmation(bool presented)
{
    if (!presented || m_confirmation)
        return;
    if (!m_inspector->canConfirm()) {
        m_uiState->setConfirmTrashSheet(false);
        return;
    }
    m_confirmedSelection = m_inspector->selection();
    const QString size = TruneByteFormatter::format(m_confirmedSelection->totalBytes);

    auto* box = new QMessageBox(this);
    box->setObjectName(u"uninstallerConfirmation"_s);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Warning);
    box->setTextFormat(Qt::PlainText);
    box->setWindowTitle(u"TruneUpdate"_s);
    box->setText(m_viewModel.t(u"Move Selected Items to Trash?"_s, u"Seçili Öğeler Çöp Sepetine Taşınsın mı?"_s));
    const StudioPlatformTexts::Text message = StudioPlatformTexts::moveToTrashConfirmation();
    QString informative = m_viewModel.t(message.english, message.turkish).arg(size);
    // The bundle is the app itself: when it goes too, the confirmation says so by name.
    if (m_confirmedSelection->includesBundle) {
        const QString bundle = QFileInfo(m_confirmedSelection->target.path).fileName();
        informative += u"\n\n"_s
            + m_viewModel.t(u"The app bundle also goes to the Trash: "_s + bundle,
                u"Uygulama paketi de Çöp Sepetine taşınır: "_s + bundle);
    }
    box->setInformativeText(informative);
    truneWidenMessageBox(*box);
    QPushButton* cancel = box->addButton(m_viewModel.t(u"Cancel"_s, u"İptal"_s), QMessageBox::RejectRole);
    QPushButton* move
        = box->addButton(m_viewModel.t(u"Move to Trash"_s, u"Çöp Sepetine Taşı"_s), QMessageBox::DestructiveRole);
    cancel->setObjectName(u"confirmationCancel"_s);
    move->setObjectName(u"confirmationMove"_s);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);

    connect(box, &QMessageBox::buttonClicked, this, [this, move](QAbstractButton* button) {
        if (button == move && m_confirmedSelection)
            m_viewModel.trashUninstallSelection(*m_confirmedSelection);
    });
    connect(box, &QMessageBox::finished, this, [this] {
        m_confirmedSelection.reset();
        m_uiState->setConfirmTrashSheet(false);
    });
    m_confirmation = box;
    box->open();
}

// The confirmation names one selection; once the lists say something else, it no longer applies.
void AppUninstallerView::closeConfirmationWhenStale()
{
    if (!m_confirmation || !m_confirmedSelection)
        return;
    if (m_inspector->canConfirm() && m_inspector->selection() == m_confirmedSelection)
        return;
    m_confirmedSelection.reset();
    m_confirmation->reject();
}

void AppUninstallerView::syncLanguage()
{
    m_dropZone->setLanguage(m_viewModel.state().language);
}

#include "app/views/StudioTabPages.h"

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A quiet page naming its tab, shown until the tab's own screen is part of the program.
QWidget* placeholderPage(const QString& name, UpdateStudioViewModel& viewModel, QWidget* parent)
{
    auto* page = new QWidget(parent);
    page->setObjectName(u"tabPage-"_s + name);
    auto* layout = new QVBoxLayout(page);
    auto* label = new QLabel(viewModel.t(u"This screen is on its way."_s, u"Bu ekran yolda."_s), page);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(truneFont(TruneTextStyle::callout));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, TruneGlassTokens::textMuted());
    label->setPalette(palette);
    layout->addWidget(label);
    return page;
}

} // namespace

QWidget* makeStudioTabPage(UpdateStudioTab tab, UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
{
    Q_UNUSED(accent);
    switch (tab) {
    case UpdateStudioTab::updates:
        return placeholderPage(u"updates"_s, viewModel, parent);
    case UpdateStudioTab::homebrew:
        return placeholderPage(u"homebrew"_s, viewModel, parent);
    case UpdateStudioTab::uninstaller:
        return placeholderPage(u"uninstaller"_s, viewModel, parent);
    case UpdateStudioTab::suiteHub:
        return placeholderPage(u"suiteHub"_s, viewModel, parent);
    case UpdateStudioTab::settings:
        return placeholderPage(u"settings"_s, viewModel, parent);
    }
    return placeholderPage(u"updates"_s, viewModel, parent);
}

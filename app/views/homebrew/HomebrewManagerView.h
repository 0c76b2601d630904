#pragma once

#include "app/viewmodel/HomebrewFilterIndex.h"
#include "app/views/homebrew/HomebrewPackageRowDelegate.h"

#include <QColor>
#include <QWidget>

#include <vector>

struct HomebrewItem;
class HomebrewPackagesListModel;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QListView;
class QStackedWidget;
class StudioFields;
class TruneGlassButton;
class TrunePrimaryButton;
class TruneSpinner;
class UpdateStudioViewModel;

// The studio's Homebrew tab. Without a brew executable it shows only a card that explains this and
// opens Homebrew's home page. Otherwise: a toolbar with "brew update" and "Cleanup Cache", the
// batch-upgrade banner, the casks / formulae / search sub-tabs with their filter or search
// controls, and the list of packages with their row buttons. Uninstalling asks first, since
// Homebrew deletes a package rather than moving it to the Trash.
class HomebrewManagerView final : public QWidget {
    Q_OBJECT

public:
    HomebrewManagerView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);
    ~HomebrewManagerView() override;

    // Homebrew's own home page, opened by the missing-Homebrew card.
    static QString homebrewHomePage();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Glyph; // a tinted symbol

    QWidget* makeMissingCard();
    QWidget* makeToolbar();
    QWidget* makeSubTabsAndSearchBar();
    QWidget* makePackagesListCard();

    void sync(StudioFields fields);
    void syncAll();
    void syncTexts();
    void syncBrewPath();
    void syncSubTabs();
    void syncSearchControls();
    void syncDependencyToggle();
    void syncCommandButtons();
    void syncRowDelegate();
    void syncList();
    QString emptySearchText() const;

    void openHomebrewHomePage();
    void fitSearchFieldToPlaceholder();
    void actOnClickedRow(HomebrewPackageRowDelegate::RowButton button, int row);
    void actOnRow(HomebrewPackageRowDelegate::RowButton button, const HomebrewItem& item);
    void confirmUninstall(const HomebrewItem& item);
    // The row's main command (Upgrade or Install) or its uninstall, from the keyboard.
    bool actOnCurrentRowByKey(int key);

    UpdateStudioViewModel& m_viewModel;
    QColor m_accent;

    QStackedWidget* m_pages = nullptr; // the missing card or the full tab
    QLabel* m_missingTitle = nullptr;
    QLabel* m_missingDescription = nullptr;
    TrunePrimaryButton* m_openHomePageButton = nullptr;

    QLabel* m_toolbarTitle = nullptr;
    QLabel* m_brewPath = nullptr;
    TruneGlassButton* m_updateButton = nullptr;
    TruneGlassButton* m_cleanupButton = nullptr;

    std::vector<QAbstractButton*> m_subTabButtons; // casks, formulae, search
    QWidget* m_searchControls = nullptr;
    QLineEdit* m_searchField = nullptr;
    TrunePrimaryButton* m_searchButton = nullptr;
    Glyph* m_searchGlyph = nullptr;
    TruneSpinner* m_searchSpinner = nullptr;
    QLabel* m_searchLabel = nullptr;
    QWidget* m_filterControls = nullptr;
    TruneGlassButton* m_dependencyToggle = nullptr;
    QLineEdit* m_filterField = nullptr;

    QStackedWidget* m_listPages = nullptr; // the empty state or the list
    Glyph* m_emptyGlyph = nullptr;
    QLabel* m_emptyText = nullptr;
    QListView* m_list = nullptr;
    HomebrewPackagesListModel* m_model = nullptr;
    HomebrewPackageRowDelegate* m_delegate = nullptr;
    HomebrewFilterIndex m_filterIndex; // the lower-cased texts of the installed packages
};

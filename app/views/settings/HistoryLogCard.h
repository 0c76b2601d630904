#pragma once

#include "app/viewmodel/StudioState.h"

#include <QColor>
#include <QLocale>
#include <QWidget>

#include <vector>

class QLabel;
class QVBoxLayout;
class TruneGlassButton;
class UpdateStudioViewModel;

// The Settings tab's history card: the newest entries of the update and clean-up history, and
// "Clear History", which asks first as it erases every record with no undo.
class HistoryLogCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr int maximumRows = 30;

    HistoryLogCard(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);

    // The status glyph of a history row and its colour.
    struct StatusGlyph {
        QString symbol;
        QColor color;
    };
    static StatusGlyph statusGlyph(UpdateLogStatus status);
    // "<from> → <to>" when the entry names both versions.
    static std::optional<QString> versionTransition(const UpdateLogEntry& entry);
    // The time of an entry in `locale`'s own way: abbreviated date (month name shortened, no
    // weekday) and short time, in the local time zone.
    static QString timestampText(const QDateTime& timestamp, const QLocale& locale);

private:
    void sync(StudioFields fields);
    void rebuildRows();
    QWidget* makeRow(const UpdateLogEntry& entry);
    void confirmClearHistory();

    UpdateStudioViewModel& m_viewModel;
    QColor m_accent;
    QLabel* m_title;
    TruneGlassButton* m_clearButton;
    QLabel* m_emptyText;
    QWidget* m_list;
    QVBoxLayout* m_rows;
    std::vector<UpdateLogEntry> m_shownEntries;
};

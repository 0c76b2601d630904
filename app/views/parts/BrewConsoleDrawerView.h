#pragma once

#include <QString>
#include <QWidget>

class QPlainTextEdit;
class StudioFields;
class TruneElidedLabel;
class TruneGlassButton;
class TruneSpinner;
class TruneSymbolView;
class UpdateStudioViewModel;

// The live console of Homebrew commands, docked along the bottom of the studio window: a title
// bar with Stop, Copy, Clear and Close over 170 px of the console log, which follows its end.
class BrewConsoleDrawerView final : public QWidget {
    Q_OBJECT

public:
    explicit BrewConsoleDrawerView(UpdateStudioViewModel& viewModel, QWidget* parent = nullptr);

private:
    QWidget* buildTitleBar();
    QPlainTextEdit* buildLogView();
    void resync(StudioFields fields);
    void showStatus();
    // Puts the log in the view by its changes: what left the log's front leaves the view's, what
    // joined its end is added; the whole text only when the log was replaced.
    void showLog();
    bool followLog(const QString& log, qint64 logStart);
    void removeShownHead(qsizetype units);
    void scrollToEnd();
    void copyLog();

    UpdateStudioViewModel& m_viewModel;
    QString m_shownLog;
    qint64 m_shownStart = 0;

    QWidget* m_titleBar = nullptr;
    TruneSpinner* m_spinner = nullptr;
    TruneSymbolView* m_terminalSymbol = nullptr;
    TruneElidedLabel* m_title = nullptr;
    TruneGlassButton* m_stopButton = nullptr;
    TruneGlassButton* m_copyButton = nullptr;
    TruneGlassButton* m_clearButton = nullptr;
    TruneGlassButton* m_closeButton = nullptr;
    QPlainTextEdit* m_log = nullptr;
};

#pragma once

// What the suite widget tests share: the studio's ground to photograph the widgets on, apps of
// the suite installed in the temporary home, and a suite peer that stands in for one of them.

#include "kit/suite/TruneSuiteApp.h"

#include <QString>
#include <QWidget>

class QVBoxLayout;
class TempHome;
class TruneGroundBackground;

// A window on the deep emerald ground, `width` wide and as tall as what it holds, with the
// widgets under test one below the other.
class SuiteStage final {
public:
    explicit SuiteStage(int width);
    ~SuiteStage();
    SuiteStage(const SuiteStage&) = delete;
    SuiteStage& operator=(const SuiteStage&) = delete;

    // The stage takes `widget`.
    template <typename W> W* add(W* widget)
    {
        addWidget(widget);
        return widget;
    }

    // Shows the window laid out at its width.
    void show();
    // Shows the window and saves it as "<name>.png"; returns the file's path.
    QString shoot(const QString& name);
    QWidget& window();

private:
    void addWidget(QWidget* widget);

    TruneGroundBackground* m_ground;
    QVBoxLayout* m_layout;
    int m_width;
};

// "<home>/Applications/<App>.app", a bundle whose executable cannot run.
QString installStandIn(const TempHome& home, TruneSuiteApp app);

// "<home>/Applications/<App>.app", whose executable starts trune-suite-peer serving the app; the
// peer appends what happens to it to `output` as JSON lines.
QString installPeer(const TempHome& home, TruneSuiteApp app, const QString& output);

// Ends the peer that an installed bundle started, once it has said it is ready.
void stopLaunchedPeer(const QString& output);

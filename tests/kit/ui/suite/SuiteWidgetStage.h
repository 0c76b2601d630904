#pragma once

// The studio's ground to photograph the suite widgets on. The apps of the suite installed in the
// temporary home and the peers that stand in for them are in tests/kit/suite/SuitePeer.h.

#include <QString>
#include <QWidget>

class QVBoxLayout;
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

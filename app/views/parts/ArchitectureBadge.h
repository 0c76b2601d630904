#pragma once

#include "core/records/InstalledAppRecord.h"

#include <QColor>
#include <QWidget>

class QPainter;

// A small monospaced tag naming an app's processor architecture ("ARM64", "x86_64", "UNIV", "—").
// Rows of list views paint it with `paint`; other screens place the widget.
class ArchitectureBadge final : public QWidget {
    Q_OBJECT

public:
    // What the tag shows for one architecture, the same in every language.
    struct Look {
        QString text;
        QColor color;

        bool operator==(const Look&) const = default;
    };

    explicit ArchitectureBadge(AppArchitecture architecture, QWidget* parent = nullptr);

    void setArchitecture(AppArchitecture architecture);

    static Look look(AppArchitecture architecture);

    static QSizeF badgeSize(AppArchitecture architecture);
    // Paints the tag with its top-left corner at `topLeft`.
    static void paint(QPainter& painter, const QPointF& topLeft, AppArchitecture architecture);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AppArchitecture m_architecture;
};

#pragma once

#include "core/records/InstalledAppRecord.h"
#include "kit/localization/TruneLanguage.h"

#include <QColor>
#include <QWidget>

class QPainter;

// A small capsule naming where an installed app comes from. Rows of list views paint it with
// `paint`; other screens place the widget.
class OriginPillBadge final : public QWidget {
    Q_OBJECT

public:
    // What the capsule shows for one origin.
    struct Look {
        QString label;
        QString symbol;
        QColor color; // the text and symbol are drawn at 92 % of it, the capsule at 11 %

        bool operator==(const Look&) const = default;
    };

    OriginPillBadge(AppOriginKind origin, TruneLanguage language, QWidget* parent = nullptr);

    void setOrigin(AppOriginKind origin, TruneLanguage language);

    static Look look(AppOriginKind origin, TruneLanguage language);

    // The capsule's size for `origin` in `language`.
    static QSizeF badgeSize(AppOriginKind origin, TruneLanguage language);
    // Paints the capsule with its top-left corner at `topLeft`.
    static void paint(QPainter& painter, const QPointF& topLeft, AppOriginKind origin, TruneLanguage language);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AppOriginKind m_origin;
    TruneLanguage m_language;
};

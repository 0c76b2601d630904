#pragma once

#include <QColor>
#include <QFont>
#include <QStringList>
#include <QToolButton>

class QActionGroup;
class QMenu;

// A small capsule that names the current sort order after an up-and-down arrow and opens a menu
// of every order, the current one checked.
class SortMenuButton final : public QToolButton {
    Q_OBJECT

public:
    struct Look {
        qreal symbolPx = 10;
        QFont font;
        qreal horizontalPadding = 9;
        qreal verticalPadding = 5;
        qreal spacing = 4.5;
        qreal cornerRadius = 8;
        QColor fill;
        qreal borderWidth = 1;
        QColor border;
    };

    SortMenuButton(Look look, const QColor& accent, QWidget* parent = nullptr);

    // The menu's entries in order, the checked one's index and the label's title; a no-op when
    // nothing differs.
    void setEntries(const QStringList& titles, int current, const QString& label);
    QMenu& entriesMenu() const { return *m_menu; }
    const QString& label() const { return m_label; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void entryChosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Look m_look;
    QColor m_accent;
    QMenu* m_menu;
    QActionGroup* m_group;
    QString m_label;
};

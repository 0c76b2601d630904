#pragma once

#include "app/viewmodel/StudioState.h"
#include "kit/foundation/TrunePermissionCenter.h"

#include <QColor>
#include <QWidget>

#include <array>

class QLabel;
class TruneGlassButton;
class UpdateStudioViewModel;

// The dot and the capsule that show a permission's status in its colour.
class PermissionStatusDot final : public QWidget {
    Q_OBJECT

public:
    explicit PermissionStatusDot(QWidget* parent = nullptr);
    const QColor& color() const { return m_color; }
    void setColor(const QColor& color);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color;
};

class PermissionStatusCapsule final : public QWidget {
    Q_OBJECT

public:
    explicit PermissionStatusCapsule(QWidget* parent = nullptr);
    const QString& text() const { return m_text; }
    const QColor& color() const { return m_color; }
    void setStatus(const QString& text, const QColor& color);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_color;
};

// The suite hub's audit of the privacy permissions: Accessibility and Screen Recording as last
// probed, system-audio capture as managed by the system, Refresh, and per row the system's
// settings pane where this system has one.
class PermissionsAuditSection final : public QWidget {
    Q_OBJECT

public:
    explicit PermissionsAuditSection(UpdateStudioViewModel& viewModel, QWidget* parent = nullptr);

    // The fixed colour of the system-managed row.
    static QColor systemManagedColor();

private:
    struct Row {
        TruneSystemPermissionKind kind;
        PermissionStatusDot* dot = nullptr;
        QLabel* title = nullptr;
        QLabel* subtitle = nullptr;
        PermissionStatusCapsule* status = nullptr;
        TruneGlassButton* openSettings = nullptr;
    };

    QWidget* makeRow(Row& row);
    void refresh();
    void sync(StudioFields fields);
    void syncRow(
        Row& row, const QString& title, const QString& subtitle, const QString& statusText, const QColor& statusColor);

    UpdateStudioViewModel& m_viewModel;
    QLabel* m_title;
    QLabel* m_subtitle;
    TruneGlassButton* m_refreshButton;
    std::array<Row, 3> m_rows;
};

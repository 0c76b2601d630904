#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <QWidget>

class QPainter;
class QRectF;

// The icon of an application bundle as a square tile with rounded corners (radius 22 % of the
// edge). Icons load off the GUI thread; until one has loaded, or when the bundle has none that
// can be read, the tile shows the generic app glyph.
class AppIconThumbnail final : public QWidget {
    Q_OBJECT

public:
    AppIconThumbnail(const QString& appPath, qreal size, QWidget* parent = nullptr);

    const QString& appPath() const { return m_appPath; }
    void setAppPath(const QString& appPath);
    qreal tileSize() const { return m_size; }

    QSize sizeHint() const override;

    // Paints the tile of `appPath` into `rect` (list delegates paint rows without widgets). The
    // first request for an icon starts its load; `AppIconLoads::instance()` announces it.
    static void paintTile(QPainter& painter, const QRectF& rect, const QString& appPath);
    // The icon a tile `edge` logical pixels square shows at `scale` device pixels each; a
    // null image while it loads or when the bundle has none. Asking starts a load as painting does.
    static QImage tileIcon(const QString& appPath, qreal edge, qreal scale);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_appPath;
    qreal m_size;
};

// Announces, on the GUI thread, that the icon of a bundle has finished loading, so views that
// painted its tile before can repaint it.
class AppIconLoads final : public QObject {
    Q_OBJECT

public:
    static AppIconLoads& instance();

signals:
    void loaded(const QString& appPath);

private:
    AppIconLoads() = default;
};

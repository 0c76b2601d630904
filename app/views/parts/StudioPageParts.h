#pragma once

#include <QColor>
#include <QFont>
#include <QLocale>
#include <QString>
#include <QTime>
#include <QWidget>

class QLabel;
class QScrollArea;

// Small pieces the studio's settings and suite-hub pages are built from.
namespace StudioPageParts {

// A plain-text label; `wraps` lets it break over lines.
QLabel* label(const QFont& font, const QColor& color, const QString& objectName, bool wraps = false);
void syncColor(QWidget* widget, const QColor& color);
void syncToolTip(QWidget* widget, const QString& toolTip);
// `time` as `locale` writes a short time, always hours and minutes only (some locales' short
// format, the C locale's among them, carries seconds).
QString hoursAndMinutes(const QTime& time, const QLocale& locale);
// A horizontal hairline in `color`.
QWidget* divider(const QColor& color);
// Places `column` as a transparent, vertically scrolling page filling `page`.
QScrollArea* installScrollingPage(QWidget* page, QWidget* column, const QString& objectName);

} // namespace StudioPageParts

// One symbol glyph of the kit, `px` square, tinted in one colour.
class StudioSymbolGlyph final : public QWidget {
    Q_OBJECT

public:
    StudioSymbolGlyph(const QString& symbol, const QColor& color, int px, QWidget* parent = nullptr);

    const QString& symbol() const { return m_symbol; }
    const QColor& color() const { return m_color; }
    void setSymbol(const QString& symbol, const QColor& color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    QColor m_color;
    int m_px;
};

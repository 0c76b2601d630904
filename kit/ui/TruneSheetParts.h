#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QMessageBox;
class QScrollArea;

// Small pieces the kit's sheets, and the screens of the programs that use the kit, are built from.

// A plain-text label in the given font and colour.
QLabel* truneSheetLabel(const QString& text, const QFont& font, const QColor& color, const QString& objectName = {});

// One symbol, `px` square in `color`, centred in its label.
QLabel* truneSymbolIcon(const QString& symbol, int px, const QColor& color);

// Set the text only when it differs, so an unchanged text is not laid out again. A button's
// size hint follows its new text.
void truneSetTextIfChanged(QLabel& label, const QString& text);
void truneSetTextIfChanged(QAbstractButton& button, const QString& text);
void truneSetTextIfChanged(QLineEdit& field, const QString& text);

// A symbol followed by a text, as a label with an icon reads; the text label carries `objectName`.
QWidget* truneSymbolLabel(
    const QString& symbol, const QString& text, const QFont& font, const QColor& color, const QString& objectName);

// Lays `column` out as the whole of `sheet`: a transparent page that scrolls vertically, named
// `scrollName`, in front of `ground` when one is given (the sheet takes it over).
QScrollArea* truneInstallScrollingPage(QWidget* sheet, QWidget* column, const QString& scrollName, QWidget* ground);

// Keeps a message box at least `width` wide, so its message reads as lines of a sentence rather
// than a narrow column.
void truneWidenMessageBox(QMessageBox& box, int width = 440);

// A widget that paints a rounded rectangle behind its children.
class TruneRoundedPanel final : public QWidget {
    Q_OBJECT

public:
    TruneRoundedPanel(qreal radius, QColor fill, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_radius;
    QColor m_fill;
};

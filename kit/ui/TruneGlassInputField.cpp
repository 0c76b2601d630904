#include "kit/ui/TruneGlassInputField.h"

#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString painterName = u"truneGlassFieldPainter"_s;

// QLineEdit keeps this much room of its own around the text.
constexpr int lineEditHorizontalMargin = 2;
constexpr int lineEditVerticalMargin = 1;

// Paints the glass field under the line edit's own painting, which then adds only the text and
// the cursor (the field has no frame and a clear base).
class GlassFieldPainter final : public QObject {
public:
    GlassFieldPainter(QLineEdit& field, qreal cornerRadius, QColor fill, QColor border, qreal borderWidth)
        : QObject(&field)
        , m_cornerRadius(cornerRadius)
        , m_fill(std::move(fill))
        , m_border(std::move(border))
        , m_borderWidth(borderWidth)
    {
        setObjectName(painterName);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            auto* field = static_cast<QWidget*>(watched);
            QPainter painter(field);
            painter.setRenderHint(QPainter::Antialiasing);
            TruneGlassShapes::paintGlassShape(
                painter, QRectF(field->rect()), m_cornerRadius, m_fill, m_border, m_borderWidth);
        }
        return false;
    }

private:
    qreal m_cornerRadius;
    QColor m_fill;
    QColor m_border;
    qreal m_borderWidth;
};

int marginBeyond(double padding, int ownMargin)
{
    return std::max(0, qRound(padding) - ownMargin);
}

void styleField(QLineEdit& field, GlassFieldPainter* painter, double horizontalPadding, double verticalPadding)
{
    // Styling a field again replaces its earlier look.
    for (QObject* earlier : field.findChildren<QObject*>(painterName, Qt::FindDirectChildrenOnly)) {
        if (earlier == painter)
            continue;
        field.removeEventFilter(earlier);
        delete earlier;
    }
    field.installEventFilter(painter);

    field.setFrame(false);
    field.setFont(truneFont(12.5));
    QPalette palette = field.palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, TruneGlassTokens::textPrimary());
    palette.setColor(QPalette::PlaceholderText, TruneGlassTokens::textMuted());
    field.setPalette(palette);
    const int horizontal = marginBeyond(horizontalPadding, lineEditHorizontalMargin);
    const int vertical = marginBeyond(verticalPadding, lineEditVerticalMargin);
    field.setTextMargins(horizontal, vertical, horizontal, vertical);
}

} // namespace

void truneGlassInputField(QLineEdit& field, double cornerRadius, double horizontalPadding, double verticalPadding)
{
    styleField(field,
        new GlassFieldPainter(field, cornerRadius, TruneGlassTokens::surface2(), TruneGlassTokens::borderSubtle(), 1),
        horizontalPadding, verticalPadding);
}

void truneRecessedInputField(QLineEdit& field, double cornerRadius, double horizontalPadding, double verticalPadding)
{
    styleField(field,
        new GlassFieldPainter(field, cornerRadius, truneColor(0x000000, 0.2),
            truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.65), 0.5),
        horizontalPadding, verticalPadding);
}

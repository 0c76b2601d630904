#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A short message on a dark capsule with a soft shadow: a warning triangle for errors, a check
// mark otherwise. The widget keeps a transparent margin around the capsule for the shadow; where
// and for how long it shows is up to the screen that owns it.
class TruneToastBanner final : public QWidget {
    Q_OBJECT

public:
    struct Symbol {
        QString name;
        QColor color;

        bool operator==(const Symbol&) const = default;
    };

    TruneToastBanner(const QString& message, bool isError, QWidget* parent = nullptr);

    const QString& message() const { return m_message; }
    bool isError() const { return m_isError; }
    // The glyph the banner shows in front of the message.
    static Symbol symbol(bool isError);

    // Where the capsule lies inside the widget.
    QRectF capsuleRect() const;
    // Where the symbol is drawn inside the widget.
    QRectF symbolRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QString m_message;
    bool m_isError;
    QWidget* m_capsule;
};

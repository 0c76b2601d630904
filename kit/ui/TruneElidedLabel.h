#pragma once

#include <QWidget>

// A one-line plain-text label that shortens its text with an ellipsis to fit its width, at the
// end or in the middle. While the text is shortened the full text is the tooltip; the accessible
// name is always the full text. Line breaks and control characters show as spaces. It may shrink
// to the ellipsis alone, so layouts can give it any width.
class TruneElidedLabel final : public QWidget {
    Q_OBJECT

public:
    explicit TruneElidedLabel(
        const QString& text = {}, Qt::TextElideMode mode = Qt::ElideRight, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);

    // Qt::ElideRight or Qt::ElideMiddle.
    Qt::TextElideMode elideMode() const { return m_mode; }
    void setElideMode(Qt::TextElideMode mode);

    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);

    // The text as it is painted at the current width.
    QString displayedText() const;
    bool isElided() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Keeps the tooltip in step with the width; a hidden label catches up when it is shown.
    void refit();

    QString m_text;
    QString m_oneLine;
    Qt::TextElideMode m_mode;
    Qt::Alignment m_alignment = Qt::AlignLeading | Qt::AlignVCenter;
};

#pragma once

#include "kit/foundation/TruneAppIdentity.h"
#include "kit/platform/TruneBundle.h"

#include <QWidget>

#include <optional>

// What a brand mark shows: one app's emblem, the running app's emblem, or the maker's suite mark.
class TruneBrandMarkStyle final {
public:
    enum class Kind { app, currentApp, quorvaneSuite };

    static TruneBrandMarkStyle app(TruneAppIdentity identity) { return {Kind::app, identity}; }
    static TruneBrandMarkStyle currentApp() { return {Kind::currentApp, std::nullopt}; }
    static TruneBrandMarkStyle quorvaneSuite() { return {Kind::quorvaneSuite, std::nullopt}; }

    Kind kind() const { return m_kind; }
    // The app of an `app` style.
    std::optional<TruneAppIdentity> identity() const { return m_identity; }

    bool operator==(const TruneBrandMarkStyle&) const = default;

private:
    TruneBrandMarkStyle(Kind kind, std::optional<TruneAppIdentity> identity)
        : m_kind(kind)
        , m_identity(identity)
    {
    }

    Kind m_kind;
    std::optional<TruneAppIdentity> m_identity;
};

// A `size` x `size` mark centred in the widget: an app's emblem in its own colours, or the suite
// mark (three silver pieces with a diagonal sheen) when the style asks for it or the running app
// is not in the catalogue.
class TruneBrandMark final : public QWidget {
    Q_OBJECT

public:
    TruneBrandMark(qreal size, TruneBrandMarkStyle style, QWidget* parent = nullptr);
    // `runningApp` stands for the running program when the style is `currentApp`.
    TruneBrandMark(qreal size, TruneBrandMarkStyle style, const TruneBundle& runningApp, QWidget* parent = nullptr);

    qreal markSize() const { return m_size; }
    const TruneBrandMarkStyle& style() const { return m_style; }
    // The app whose emblem is shown, or nothing for the suite mark.
    std::optional<TruneAppIdentity> shownApp() const;

    // Paints the suite mark filling `canvas`.
    static void paintSuiteMark(QPainter& painter, const QRectF& canvas);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_size;
    TruneBrandMarkStyle m_style;
    std::optional<TruneAppIdentity> m_runningApp;
};

#pragma once

// The one way a view test hosts a view, lets it settle, waits for it and drives it. Waiting and
// settling are tests/support/TestWaits.h: waitUntil() for what must come, settle() for what is
// already on its way.

#include "kit/ui/TruneGroundBackground.h"
#include "tests/support/TestWaits.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <stdexcept>
#include <string>

// The studio window's size: every view is seen there.
inline constexpr QSize kStudioSize{1240, 700};

// Where a view sits in the studio's window: filling it (a tab page), at its top under the header,
// or docked along its bottom.
enum class ViewPlace { fill, top, bottom };

// The accent the studio draws with on its ground.
QColor studioAccent();

// The child of `root` of type T named `name`. A missing one ends the test with its name (GoogleTest
// reports the exception) instead of a crash where it is used.
template <typename T> T* findNamed(const QObject& root, const QString& name)
{
    T* found = root.findChild<T*>(name);
    if (!found)
        throw std::runtime_error(
            "no " + std::string(T::staticMetaObject.className()) + " named \"" + name.toStdString() + "\"");
    return found;
}

// The children of `root` of type T (named `name`, when given) that `root` shows.
template <typename T> QList<T*> findShown(const QWidget& root, const QString& name = {})
{
    QList<T*> shown;
    for (T* widget : root.findChildren<T*>(name)) {
        if (widget->isVisibleTo(&root))
            shown.append(widget);
    }
    return shown;
}

// The texts of every label and button `root` shows.
QStringList shownTexts(const QWidget& root);

// Clicks `widget` in its middle with the left button, as the user would, and settles.
void click(QWidget* widget);

// Types `text` into `widget` key by key, as the user would, and settles.
void typeInto(QWidget* widget, const QString& text);

// What `widget` paints, on transparency rather than a window's background.
QImage renderedAlone(QWidget& widget);

// Puts `view` in `window` at `place`, shows the window and settles.
void placeOnGround(TruneGroundBackground& window, QWidget* view, ViewPlace place, QSize size);

// A view where the studio shows it: in a window of the studio's size on the deep emerald ground.
// The window takes the view and ends with the host.
template <typename View> class ViewHost final {
public:
    explicit ViewHost(View* hosted, ViewPlace place = ViewPlace::fill, QSize size = kStudioSize)
        : window(std::make_unique<TruneGroundBackground>(TruneProductPalette::deepEmerald))
        , view(hosted)
    {
        placeOnGround(*window, view, place, size);
    }

    template <typename T> T* find(const QString& name) const { return findNamed<T>(*view, name); }
    template <typename T> QList<T*> findAll(const QString& name = {}) const { return findShown<T>(*view, name); }
    QStringList shownTexts() const { return ::shownTexts(*view); }

    std::unique_ptr<TruneGroundBackground> window;
    View* view;
};

#pragma once

// The declarative model a host describes its main menu with: items, dividers and submenus whose
// titles are closures, so that they follow the interface language each time a menu opens.

#include "kit/localization/TruneLanguage.h"

#include <QString>

#include <functional>
#include <variant>
#include <vector>

using TruneMenuTitle = std::function<QString()>;
// An empty function stands for an absent check.
using TruneMenuCheck = std::function<bool()>;

class TruneMenuElement;

struct TruneMenuItem {
    TruneMenuTitle title = {};
    // Empty for none; the modifiers count only together with a key.
    QString keyEquivalent = {};
    Qt::KeyboardModifiers modifiers = Qt::ControlModifier;
    TruneMenuCheck isEnabled = {};
    TruneMenuCheck isHidden = {};
    // Disabled while a text input of the active window has the focus.
    bool skipWhenEditingText = false;
    std::function<void()> action = {};
};

struct TruneMenuDivider {
    TruneMenuCheck isHidden = {};
};

struct TruneMenuSubmenu {
    TruneMenuTitle title = {};
    // Evaluated when the submenu is built and again every time it opens.
    std::function<std::vector<TruneMenuElement>()> items = {};
};

class TruneMenuElement final {
public:
    using Value = std::variant<TruneMenuItem, TruneMenuDivider, TruneMenuSubmenu>;

    static TruneMenuElement item(TruneMenuItem item) { return TruneMenuElement(std::move(item)); }
    static TruneMenuElement divider(TruneMenuCheck isHidden = {})
    {
        return TruneMenuElement(TruneMenuDivider{std::move(isHidden)});
    }
    static TruneMenuElement submenu(TruneMenuTitle title, std::function<std::vector<TruneMenuElement>()> items)
    {
        return TruneMenuElement(TruneMenuSubmenu{std::move(title), std::move(items)});
    }

    // "Language" with the system entry first, then every language; the one in force carries a
    // check mark. Rebuilt each time it opens, so the marks and names follow the stored choice.
    static TruneMenuElement languageSubmenu(
        std::function<TruneLanguage()> current, std::function<void(TruneLanguage)> onSelect);

    const Value& value() const { return m_value; }

private:
    explicit TruneMenuElement(Value value)
        : m_value(std::move(value))
    {
    }

    Value m_value;
};

// One top-level menu of the host's own.
struct TruneCustomMenu {
    TruneCustomMenu(TruneMenuTitle title, std::vector<TruneMenuElement> elements)
        : title(std::move(title))
        , elements(std::move(elements))
    {
    }
    TruneCustomMenu(const QString& fixedTitle, std::vector<TruneMenuElement> elements)
        : TruneCustomMenu(TruneMenuTitle([fixedTitle] { return fixedTitle; }), std::move(elements))
    {
    }

    TruneMenuTitle title;
    std::vector<TruneMenuElement> elements;
};

// The host's own handling of Edit commands; an empty function keeps the standard command, which
// goes to the focused text input. Duplicate exists only when its override is given.
struct TruneEditMenuOverrides {
    std::function<void()> undo = {};
    TruneMenuCheck canUndo = {};
    std::function<void()> redo = {};
    TruneMenuCheck canRedo = {};
    std::function<void()> cut = {};
    std::function<void()> copy = {};
    std::function<void()> paste = {};
    std::function<void()> duplicate = {};
    std::function<void()> selectAll = {};
};

#pragma once

#include "app/views/parts/FilterChipButton.h"
#include "app/views/parts/MetricPillCard.h"
#include "app/views/parts/SortMenuButton.h"
#include "app/views/parts/StudioPageParts.h"
#include "app/views/shell/SegmentedStudioTab.h"

#include <QAction>
#include <QMenu>
#include <QStringList>

// What the studio's own painted parts show, for snapshotOf(): a metric's title and value, whether
// a chip or tab is the active one, a tab's badge, a sort button's label and chosen entry, and a
// glyph's symbol and tint.
inline QStringList studioWidgetFacts(const QWidget& widget)
{
    using namespace Qt::StringLiterals;
    const auto quoted = [](const QString& text) { return u"\""_s + text + u"\""_s; };
    if (const auto* metric = qobject_cast<const MetricPillCard*>(&widget))
        return {u"title="_s + quoted(metric->title()), u"value="_s + quoted(metric->value()),
            u"tint="_s + metric->tint().name(QColor::HexArgb)};
    if (const auto* chip = qobject_cast<const FilterChipButton*>(&widget))
        return {chip->isActive() ? u"active"_s : u"inactive"_s};
    if (const auto* tab = qobject_cast<const SegmentedStudioTab*>(&widget))
        return {tab->isActive() ? u"active"_s : u"inactive"_s, u"badge="_s + quoted(tab->badgeText())};
    if (const auto* sort = qobject_cast<const SortMenuButton*>(&widget)) {
        QStringList entries;
        for (const QAction* entry : sort->entriesMenu().actions())
            entries.append(entry->isChecked() ? u"["_s + entry->text() + u"]"_s : entry->text());
        return {u"label="_s + quoted(sort->label()), u"entries="_s + quoted(entries.join(u"|"_s))};
    }
    if (const auto* glyph = qobject_cast<const StudioSymbolGlyph*>(&widget))
        return {u"symbol="_s + glyph->symbol(), u"tint="_s + glyph->color().name(QColor::HexArgb)};
    return {};
}

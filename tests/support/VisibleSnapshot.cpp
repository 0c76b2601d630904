#include "tests/support/VisibleSnapshot.h"

#include "kit/ui/TruneCapsuleBadge.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneSymbolView.h"
#include "kit/ui/TruneToastBanner.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A text on one line, quoted, so that line breaks and blanks at its ends stay visible in a diff.
QString quoted(const QString& text)
{
    QString escaped = text;
    escaped.replace(u"\\"_s, u"\\\\"_s).replace(u"\n"_s, u"\\n"_s).replace(u"\""_s, u"\\\""_s);
    return u"\""_s + escaped + u"\""_s;
}

QString shownValue(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return quoted(value.toStringList().join(u"|"_s));
    if (value.canConvert<QString>())
        return quoted(value.toString());
    return QString::fromLatin1(value.typeName());
}

// The roles a row is read by: the ones every view shows, then the model's own in their order.
QList<int> rolesOf(const QAbstractItemModel& model)
{
    QList<int> roles{Qt::DisplayRole, Qt::ToolTipRole, Qt::CheckStateRole, Qt::AccessibleTextRole};
    QList<int> own = model.roleNames().keys();
    std::ranges::sort(own);
    for (int role : own) {
        if (role >= Qt::UserRole)
            roles.append(role);
    }
    return roles;
}

QString rowsOf(const QAbstractItemView& view)
{
    const QAbstractItemModel* model = view.model();
    if (!model)
        return u"no model"_s;
    const auto* listView = qobject_cast<const QListView*>(&view);
    const QList<int> roles = rolesOf(*model);
    QHash<int, QByteArray> names{{Qt::DisplayRole, "display"}, {Qt::ToolTipRole, "toolTip"},
        {Qt::CheckStateRole, "checkState"}, {Qt::AccessibleTextRole, "accessibleText"}};
    names.insert(model->roleNames());
    QString rows = u"rows=%1"_s.arg(model->rowCount());
    for (int row = 0; row < model->rowCount(); ++row) {
        if (listView && listView->isRowHidden(row))
            continue;
        const QModelIndex index = model->index(row, 0);
        QStringList values;
        for (int role : roles) {
            const QVariant value = model->data(index, role);
            if (value.isValid())
                values.append(
                    QString::fromLatin1(names.value(role, QByteArray::number(role))) + u"="_s + shownValue(value));
        }
        const bool selected = view.selectionModel() && view.selectionModel()->isSelected(index);
        rows += u"\n      row %1%2: "_s.arg(row).arg(selected ? u" (selected)"_s : QString()) + values.join(u" "_s);
    }
    return rows;
}

QStringList comboChoices(const QComboBox& combo)
{
    QStringList items;
    for (int index = 0; index < combo.count(); ++index)
        items.append(combo.itemText(index));
    return {u"current="_s + quoted(combo.currentText()), u"items="_s + quoted(items.join(u"|"_s))};
}

// The colour a text is drawn in, which some texts change with what they say.
QString inkOf(const QWidget& widget)
{
    return u"ink="_s + widget.palette().color(widget.foregroundRole()).name(QColor::HexArgb);
}

// The symbol and the active or busy look of the kit's buttons.
QStringList buttonLookOf(const QWidget& widget)
{
    if (const auto* glass = qobject_cast<const TruneGlassButton*>(&widget))
        return {u"symbol="_s + glass->symbol(), glass->isActive() ? u"active"_s : u"inactive"_s};
    if (const auto* primary = qobject_cast<const TrunePrimaryButton*>(&widget))
        return {u"symbol="_s + primary->symbol(), primary->isBusy() ? u"busy"_s : u"idle"_s};
    return {};
}

// What a widget shows by its own class; the kit's painted widgets by what they paint.
QStringList factsOf(const QWidget& widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return {u"text="_s + quoted(label->text()), inkOf(widget)};
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        QStringList facts{u"text="_s + quoted(button->text())};
        if (button->isCheckable())
            facts.append(button->isChecked() ? u"checked"_s : u"unchecked"_s);
        return facts + buttonLookOf(widget);
    }
    if (const auto* field = qobject_cast<const QLineEdit*>(&widget))
        return {u"text="_s + quoted(field->text()), u"placeholder="_s + quoted(field->placeholderText())};
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget))
        return comboChoices(*combo);
    if (const auto* edit = qobject_cast<const QPlainTextEdit*>(&widget))
        return {u"text="_s + quoted(edit->toPlainText()), u"placeholder="_s + quoted(edit->placeholderText())};
    if (const auto* edit = qobject_cast<const QTextEdit*>(&widget))
        return {u"text="_s + quoted(edit->toPlainText())};
    if (const auto* view = qobject_cast<const QAbstractItemView*>(&widget))
        return {rowsOf(*view)};
    if (const auto* label = qobject_cast<const TruneElidedLabel*>(&widget))
        return {u"text="_s + quoted(label->text()), inkOf(widget)};
    if (const auto* badge = qobject_cast<const TruneCapsuleBadge*>(&widget))
        return {u"text="_s + quoted(badge->text()), u"symbol="_s + badge->symbol()};
    if (const auto* toast = qobject_cast<const TruneToastBanner*>(&widget))
        return {u"message="_s + quoted(toast->message())};
    if (const auto* symbol = qobject_cast<const TruneSymbolView*>(&widget))
        return {u"symbol="_s + symbol->symbol()};
    return {};
}

QString describe(const QWidget& widget, const WidgetFacts& facts)
{
    QStringList parts{QString::fromLatin1(widget.metaObject()->className())};
    if (!widget.isEnabled())
        parts.append(u"disabled"_s);
    if (!widget.toolTip().isEmpty())
        parts.append(u"tooltip="_s + quoted(widget.toolTip()));
    parts.append(factsOf(widget));
    if (facts)
        parts.append(facts(widget));
    return parts.join(u" "_s);
}

// The children a widget shows, from top left to bottom right; layers at one place in the order
// they were made.
QList<const QWidget*> shownChildren(const QWidget& parent)
{
    QList<const QWidget*> shown;
    for (const QObject* child : parent.children()) {
        const auto* widget = qobject_cast<const QWidget*>(child);
        if (widget && !widget->isWindow() && widget->isVisibleTo(&parent))
            shown.append(widget);
    }
    std::ranges::stable_sort(shown, [](const QWidget* left, const QWidget* right) {
        return std::pair(left->y(), left->x()) < std::pair(right->y(), right->x());
    });
    return shown;
}

QString stepName(const QWidget& widget)
{
    return widget.objectName().isEmpty() ? QString::fromLatin1(widget.metaObject()->className()) : widget.objectName();
}

void record(const QWidget& widget, const QString& path, const WidgetFacts& facts, VisibleSnapshot& snapshot)
{
    snapshot.widgets.insert(path, describe(widget, facts));
    const QList<const QWidget*> children = shownChildren(widget);
    QHash<QString, int> sharing;
    for (const QWidget* child : children)
        ++sharing[stepName(*child)];
    QHash<QString, int> seen;
    for (const QWidget* child : children) {
        const QString name = stepName(*child);
        QString step = name;
        if (sharing.value(name) > 1)
            step += u"["_s + QString::number(seen[name]++) + u"]"_s;
        record(*child, path + u"/"_s + step, facts, snapshot);
    }
}

} // namespace

VisibleSnapshot snapshotOf(const QWidget& root, const WidgetFacts& facts)
{
    VisibleSnapshot snapshot;
    record(root, stepName(root), facts, snapshot);
    return snapshot;
}

::testing::AssertionResult showTheSame(const VisibleSnapshot& live, const VisibleSnapshot& fresh)
{
    QStringList differences;
    QStringList paths = live.widgets.keys() + fresh.widgets.keys();
    paths.removeDuplicates();
    std::ranges::sort(paths);
    for (const QString& path : paths) {
        const auto shownLive = live.widgets.constFind(path);
        const auto shownFresh = fresh.widgets.constFind(path);
        if (shownLive == live.widgets.cend())
            differences.append(path + u"\n    only in the fresh view: "_s + *shownFresh);
        else if (shownFresh == fresh.widgets.cend())
            differences.append(path + u"\n    only in the live view:  "_s + *shownLive);
        else if (*shownLive != *shownFresh)
            differences.append(path + u"\n    live:  "_s + *shownLive + u"\n    fresh: "_s + *shownFresh);
    }
    if (differences.isEmpty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the live view shows " << differences.size()
                                         << " widget(s) otherwise than a view built from the same state:\n  "
                                         << differences.join(u"\n  "_s).toStdString();
}

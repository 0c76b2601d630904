#pragma once

// What a user sees of a widget tree, as lines that two trees can be compared by: a view that has
// followed a series of changes must show what a view built afresh from the final state shows.

#include <gtest/gtest.h>

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// What a user sees of a widget whose text or state a widget of its own paints (one the snapshot
// cannot read from Qt's own classes): lines such as "value=12", or none for other widgets.
using WidgetFacts = std::function<QStringList(const QWidget&)>;

// Every widget a root shows, by its path from the root: each step is the widget's object name
// (or its class when it has none) and, when siblings share it, its place among them from top to
// bottom, then left to right. For each: its kind and what it shows — texts and their colour,
// tooltips, a disabled or checked state, line-edit texts and placeholders, combo-box choices, and
// a list's rows by their roles and selection. A hidden widget and what lies in it are absent.
struct VisibleSnapshot {
    QMap<QString, QString> widgets; // path -> what it shows

    bool operator==(const VisibleSnapshot&) const = default;
};

VisibleSnapshot snapshotOf(const QWidget& root, const WidgetFacts& facts = {});

// Success when both show the same; otherwise each widget shown differently, shown by one only,
// with both sides.
::testing::AssertionResult showTheSame(const VisibleSnapshot& live, const VisibleSnapshot& fresh);

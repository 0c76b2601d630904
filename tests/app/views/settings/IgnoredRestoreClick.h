#pragma once

#include "app/views/settings/IgnoredAppRowDelegate.h"

#include <gtest/gtest.h>

#include <QListView>
#include <QTest>

// Clicks the painted "Restore" button of `row` of the ignored identifiers' list, scrolled into
// view first.
inline void clickIgnoredRestore(QListView& list, int row)
{
    const QModelIndex index = list.model()->index(row, 0);
    list.scrollTo(index);
    auto* delegate = qobject_cast<IgnoredAppRowDelegate*>(list.itemDelegate());
    ASSERT_NE(delegate, nullptr);
    const QPoint at = delegate->restoreRect(list.visualRect(index)).center().toPoint();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
}

#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// One text field of every item, in order, so a test can compare a list of records by that field:
//     textsOf(records, &InstalledAppRecord::name)
template <typename Items, typename Member> QStringList textsOf(const Items& items, Member member)
{
    QStringList texts;
    for (const auto& item : items)
        texts.append(std::invoke(member, item));
    return texts;
}

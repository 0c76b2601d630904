#pragma once

#include "core/sparkle/SparkleAppcastItem.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

// Items are written with designated initializers naming only the fields that matter; g++ 12 warns
// about every member left to its default there.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

inline void PrintTo(const SparkleAppcastItem& item, std::ostream* os)
{
    *os << "{title \"" << item.title.toStdString() << "\", short \"" << item.shortVersionString.toStdString()
        << "\", build \"" << item.buildVersion.toStdString() << "\", download ";
    *os << ::testing::PrintToString(item.downloadURL);
    *os << ", notes ";
    *os << ::testing::PrintToString(item.releaseNotesURL);
    *os << ", minimum ";
    *os << ::testing::PrintToString(item.minimumSystemVersion);
    *os << ", os ";
    *os << ::testing::PrintToString(item.operatingSystem);
    *os << ", date ";
    *os << ::testing::PrintToString(item.pubDate);
    *os << ", channel ";
    *os << ::testing::PrintToString(item.channel);
    *os << '}';
}

namespace AppcastTestValues {

// A feed document around the given item elements.
inline QByteArray feedWithItems(const QByteArray& items)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"https://example.com/xml-namespaces/sparkle\">\n"
           "<channel><title>Feed</title>\n"
        + items + "\n</channel></rss>\n";
}

// A feed with one release of the given version.
inline QByteArray feedOffering(const QByteArray& version)
{
    return feedWithItems("<item><title>Version " + version + "</title><enclosure url=\"https://downloads.example.com/"
        + "app-" + version + ".zip\" sparkle:version=\"" + version + "\" length=\"1000\"/></item>");
}

// feedOffering(version) padded with white space to exactly `size` bytes.
inline QByteArray paddedFeedOffering(const QByteArray& version, qint64 size)
{
    const QByteArray head = feedOffering(version);
    const QByteArray tail = "</channel></rss>\n";
    QByteArray feed = head.left(head.size() - tail.size());
    feed.append(size - feed.size() - tail.size(), ' ');
    return feed + tail;
}

inline QByteArray fixture(const QString& name)
{
    QFile file(QStringLiteral(TRUNE_APPCAST_FIXTURE_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "cannot read the fixture " << name.toStdString();
    return file.readAll();
}

} // namespace AppcastTestValues

#include "kit/platform/TruneWorkspaceIcon.h"

#include "kit/platform/TrunePropertyList.h"
#include "kit/platform/TruneSafeFile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QPointer>
#include <QThreadPool>
#include <QtEndian>

#include <new>

using namespace Qt::StringLiterals;

namespace {

using Kind = TruneWorkspaceIconError::Kind;

// Real Info.plist files hold a few kilobytes; real ones are never near this.
constexpr qint64 maxInfoPlistBytes = 4 * 1024 * 1024;
constexpr TrunePropertyListLimits infoPlistLimits{.maxValues = 20'000, .maxBytes = maxInfoPlistBytes};
// Enough for several hundred tiles at twice their size.
constexpr qsizetype maxCachedBytes = 48 * 1024 * 1024;

QString infoPlistPath(const QString& bundlePath)
{
    return bundlePath + u"/Contents/Info.plist"_s;
}

bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != u"."_s && name != u".."_s && !name.contains(u'/') && !name.contains(QChar(0));
}

// The edge of an icon file's entry by its type, for decoders that cannot tell the size of an
// entry without decoding it; 0 for a type not listed.
int edgeOfEntryType(const QByteArray& type)
{
    static const QHash<QByteArray, int> edges{
        {"icp4", 16},
        {"is32", 16},
        {"ic04", 16},
        {"ics#", 16},
        {"ics4", 16},
        {"ics8", 16},
        {"icp5", 32},
        {"il32", 32},
        {"ic05", 32},
        {"ic11", 32},
        {"ICN#", 32},
        {"icl4", 32},
        {"icl8", 32},
        {"ih32", 48},
        {"ich#", 48},
        {"ich4", 48},
        {"ich8", 48},
        {"icp6", 64},
        {"ic12", 64},
        {"it32", 128},
        {"ic07", 128},
        {"ic08", 256},
        {"ic13", 256},
        {"ic09", 512},
        {"ic14", 512},
        {"ic10", 1024},
    };
    return edges.value(type, 0);
}

// Which entry of the file to decode: the smallest that is at least `pixelSize` on its shorter
// side, else the largest. Entries larger than any real icon are passed over; those whose size
// cannot be told without decoding count as the smallest.
std::optional<int> nearestEntry(QImageReader& reader, int pixelSize)
{
    const int count = std::max(reader.imageCount(), 1);
    std::optional<int> best;
    int bestEdge = -1;
    for (int index = 0; index < count; ++index) {
        if (count > 1 && !reader.jumpToImage(index))
            continue;
        const QSize size = reader.size();
        if (size.isValid() && std::max(size.width(), size.height()) > TruneWorkspaceIcon::maxEntryEdge)
            continue;
        const int edge = size.isValid() ? std::min(size.width(), size.height()) : edgeOfEntryType(reader.subType());
        const bool largeEnough = edge >= pixelSize;
        const bool bestLargeEnough = bestEdge >= pixelSize;
        const bool better = !best || (largeEnough && (!bestLargeEnough || edge < bestEdge))
            || (!largeEnough && !bestLargeEnough && edge > bestEdge);
        if (better) {
            best = index;
            bestEdge = edge;
        }
    }
    return best;
}

quint32 bigEndian32(const QByteArray& bytes, qsizetype offset)
{
    return qFromBigEndian<quint32>(bytes.constData() + offset);
}

// Qt's icon file reader believes the lengths a file declares and allocates what they say before
// reading: one entry claiming 4 GiB costs gigabytes, however short the file is. The file's own
// structure is checked first: every entry and every table-of-contents record lies inside the
// file, and there are no more entries than a real icon file has. Returns why the file is refused.
std::optional<QString> structureFault(const QByteArray& bytes)
{
    constexpr qsizetype headerBytes = 8;
    if (bytes.size() < headerBytes || !bytes.startsWith("icns"))
        return u"Not an icon file"_s;
    const qsizetype end = bigEndian32(bytes, 4);
    if (end < headerBytes || end > bytes.size())
        return u"The file declares %1 bytes but holds %2"_s.arg(end).arg(bytes.size());
    int entries = 0;
    for (qsizetype offset = headerBytes; offset < end;) {
        if (++entries > TruneWorkspaceIcon::maxEntries)
            return u"More than %1 entries"_s.arg(TruneWorkspaceIcon::maxEntries);
        if (end - offset < headerBytes)
            return u"An entry header is cut short"_s;
        const qsizetype length = bigEndian32(bytes, offset + 4);
        if (length < headerBytes || length > end - offset)
            return u"An entry of %1 bytes does not fit in the file"_s.arg(length);
        if (bytes.mid(offset, 4) == "TOC ") {
            // The reader finds the entries through the table when there is one: each record's
            // length is added to the position after the table.
            qsizetype listed = offset + length;
            for (qsizetype record = offset + headerBytes; record + headerBytes <= offset + length;
                 record += headerBytes) {
                const qsizetype listedLength = bigEndian32(bytes, record + 4);
                if (listedLength < headerBytes || listedLength > end - listed)
                    return u"The table of contents names an entry of %1 bytes outside the file"_s.arg(listedLength);
                listed += listedLength;
            }
        }
        offset += length;
    }
    return std::nullopt;
}

// `image` scaled to fit a `pixelSize` square keeping its aspect ratio, centred on transparency.
QImage fittedSquare(const QImage& image, int pixelSize)
{
    QImage square(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    const QImage scaled = image.scaled(pixelSize, pixelSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&square);
    painter.drawImage(QPointF((pixelSize - scaled.width()) / 2.0, (pixelSize - scaled.height()) / 2.0), scaled);
    return square;
}

// The entry nearest `pixelSize` of a file whose structure was checked, fitted to the square.
std::expected<QImage, TruneWorkspaceIconError> decodeEntry(const QByteArray& bytes, int pixelSize)
{
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "icns");
    const std::optional<int> entry = nearestEntry(reader, pixelSize);
    if (!entry)
        return std::unexpected(TruneWorkspaceIconError{Kind::undecodable, u"No icon entry of a usable size"_s});
    // Reading the sizes moved through the entries: start again at the chosen one. Qt's
    // allocation limit stops an entry whose size only decoding tells from exhausting memory.
    buffer.seek(0);
    QImageReader chosen(&buffer, "icns");
    if (*entry > 0)
        chosen.jumpToImage(*entry);
    const QImage image = chosen.read();
    if (image.isNull())
        return std::unexpected(TruneWorkspaceIconError{Kind::undecodable, chosen.errorString()});
    return fittedSquare(image, pixelSize);
}

qint64 modifiedMs(const QFileInfo& info)
{
    return info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
}

} // namespace

namespace TruneWorkspaceIcon {

std::expected<QString, TruneWorkspaceIconError> declaredIconPath(const QString& bundlePath)
{
    const auto bytes = TruneSafeFile::readRegularFile(infoPlistPath(bundlePath), maxInfoPlistBytes);
    if (!bytes)
        return std::unexpected(TruneWorkspaceIconError{Kind::noIconDeclared, bytes.error().description()});
    const auto root = TrunePropertyList::parse(*bytes, infoPlistLimits);
    const QVariant name = root ? root->toMap().value(u"CFBundleIconFile"_s) : QVariant();
    if (name.typeId() != QMetaType::QString || name.toString().isEmpty())
        return std::unexpected(TruneWorkspaceIconError{Kind::noIconDeclared, u"No CFBundleIconFile"_s});
    QString fileName = name.toString();
    if (!isPlainFileName(fileName))
        return std::unexpected(TruneWorkspaceIconError{Kind::unsafeName, u"Not a plain file name: "_s + fileName});
    if (!fileName.endsWith(u".icns"_s, Qt::CaseInsensitive))
        fileName += u".icns"_s;
    return bundlePath + u"/Contents/Resources/"_s + fileName;
}

std::expected<QImage, TruneWorkspaceIconError> decode(const QByteArray& bytes, int pixelSize)
{
    if (pixelSize <= 0)
        return std::unexpected(TruneWorkspaceIconError{Kind::undecodable, u"No pixels asked for"_s});
    if (const std::optional<QString> fault = structureFault(bytes))
        return std::unexpected(TruneWorkspaceIconError{Kind::undecodable, *fault});
    // A decoder that still asks for more memory than there is must cost this icon, not the
    // program.
    try {
        return decodeEntry(bytes, pixelSize);
    } catch (const std::bad_alloc&) {
        return std::unexpected(TruneWorkspaceIconError{Kind::undecodable, u"Out of memory while decoding"_s});
    }
}

std::expected<QImage, TruneWorkspaceIconError> readIconFile(const QString& iconPath, int pixelSize)
{
    const auto bytes = TruneSafeFile::readRegularFile(iconPath, maxFileBytes);
    if (!bytes)
        return std::unexpected(TruneWorkspaceIconError{Kind::unreadableFile, bytes.error().description()});
    return decode(*bytes, pixelSize);
}

std::expected<QImage, TruneWorkspaceIconError> load(const QString& bundlePath, int pixelSize)
{
    const auto path = declaredIconPath(bundlePath);
    if (!path)
        return std::unexpected(path.error());
    return readIconFile(*path, pixelSize);
}

} // namespace TruneWorkspaceIcon

TruneWorkspaceIconCache& TruneWorkspaceIconCache::shared()
{
    static QPointer<TruneWorkspaceIconCache> current;
    if (!current)
        current = new TruneWorkspaceIconCache(QCoreApplication::instance());
    return *current;
}

TruneWorkspaceIconCache::TruneWorkspaceIconCache(QObject* parent)
    : QObject(parent)
    , m_pool(new QThreadPool(this))
    , m_entries(maxCachedBytes)
{
    m_pool->setObjectName(u"workspace.icons"_s);
    m_pool->setMaxThreadCount(2);
    m_clock.start();
}

TruneWorkspaceIconCache::~TruneWorkspaceIconCache()
{
    // Before the pool goes: a load still running posts its result to this object, which must
    // still exist then (the posted result is discarded with it).
    m_pool->clear();
    m_pool->waitForDone();
}

QImage TruneWorkspaceIconCache::icon(const QString& bundlePath, int pixelSize)
{
    const Key key{bundlePath, pixelSize};
    const Entry* entry = m_entries.object(key);
    if (!entry) {
        startLoad(key, std::nullopt);
        return {};
    }
    if (m_clock.elapsed() - entry->checkedAtMs >= m_recheckAfterMs)
        startLoad(key, entry->stamp);
    return entry->image;
}

void TruneWorkspaceIconCache::clear()
{
    m_entries.clear();
}

void TruneWorkspaceIconCache::startLoad(const Key& key, std::optional<Stamp> known)
{
    if (key.pixelSize <= 0 || m_loading.contains(key))
        return;
    m_loading.insert(key);
    m_pool->start([this, key, known] {
        std::optional<Entry> entry = readIfChanged(key, known);
        QMetaObject::invokeMethod(
            this, [this, key, entry = std::move(entry)] { receive(key, entry); }, Qt::QueuedConnection);
    });
}

void TruneWorkspaceIconCache::receive(const Key& key, std::optional<Entry> entry)
{
    m_loading.remove(key);
    if (!entry) {
        if (Entry* kept = m_entries.object(key))
            kept->checkedAtMs = m_clock.elapsed();
        return;
    }
    entry->checkedAtMs = m_clock.elapsed();
    const qsizetype cost = entry->image.sizeInBytes() + 1;
    m_entries.insert(key, new Entry(std::move(*entry)), cost);
    emit loaded(key.path);
}

std::optional<TruneWorkspaceIconCache::Entry> TruneWorkspaceIconCache::readIfChanged(
    const Key& key, std::optional<Stamp> known)
{
    const auto path = TruneWorkspaceIcon::declaredIconPath(key.path);
    Stamp stamp{.infoModifiedMs = modifiedMs(QFileInfo(infoPlistPath(key.path)))};
    if (path) {
        const QFileInfo icon(*path);
        stamp.iconModifiedMs = modifiedMs(icon);
        stamp.iconBytes = icon.exists() ? icon.size() : -1;
    }
    if (known == stamp)
        return std::nullopt;
    const auto image = path ? TruneWorkspaceIcon::readIconFile(*path, key.pixelSize) : std::unexpected(path.error());
    return Entry{.image = image.value_or(QImage()), .stamp = stamp};
}

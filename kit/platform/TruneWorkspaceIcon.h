#pragma once

#include <QCache>
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>

#include <expected>
#include <optional>

class QThreadPool;

// Why a bundle has no icon that can be shown.
struct TruneWorkspaceIconError {
    enum class Kind {
        noIconDeclared, // no readable Info.plist, or no text under "CFBundleIconFile"
        unsafeName,     // the declared name is not a plain file name ("../x", "a/b" ...)
        unreadableFile, // missing, a link, a FIFO or device, or larger than maxFileBytes
        undecodable,    // not an icon image, or one too large to decode
    };

    Kind kind = Kind::noIconDeclared;
    QString reason; // English, for logs

    bool operator==(const TruneWorkspaceIconError&) const = default;
};

// The icon an application bundle declares: the file its Info.plist names under
// "CFBundleIconFile" in Contents/Resources (".icns" added when the name lacks it). Bundles may be
// hostile, so the name must be a plain file name, the file is read without following a link,
// without blocking on a FIFO or device and only up to maxFileBytes, its structure is checked
// before a decoder sees it (every entry inside the file, at most maxEntries), and no entry larger
// than maxEntryEdge or beyond Qt's image allocation limit is decoded.
// Everything here blocks on the disk: call it from a worker thread.
namespace TruneWorkspaceIcon {

inline constexpr qint64 maxFileBytes = 16 * 1024 * 1024;
// The largest entries of real icon files are 1024 px square.
inline constexpr int maxEntryEdge = 2048;
// Real icon files hold a few dozen entries at most; a file with more is refused unread.
inline constexpr int maxEntries = 64;

// The path of the icon file the bundle declares.
std::expected<QString, TruneWorkspaceIconError> declaredIconPath(const QString& bundlePath);

// The icon of the bundle, `pixelSize` square: the entry of the file nearest that size (the
// smallest one at least as large, else the largest), scaled to fit and centred.
std::expected<QImage, TruneWorkspaceIconError> load(const QString& bundlePath, int pixelSize);

// The icon in the file at `iconPath`, read as guardedly as `load` reads the declared one.
std::expected<QImage, TruneWorkspaceIconError> readIconFile(const QString& iconPath, int pixelSize);

// The icon in the bytes of an icon file.
std::expected<QImage, TruneWorkspaceIconError> decode(const QByteArray& bytes, int pixelSize);

} // namespace TruneWorkspaceIcon

// Bundle icons for painting on the GUI thread: looked up without touching the disk, loaded on a
// small pool of its own and kept by (bundle path, modification time, pixel size). A tile painted
// again after `recheckAfterMs` looks at the files once more off the GUI thread, so an icon that
// changed on disk replaces the old one. Use it on the GUI thread only.
class TruneWorkspaceIconCache final : public QObject {
    Q_OBJECT

public:
    // The one cache of the program, a child of the application object.
    static TruneWorkspaceIconCache& shared();
    // Waits for the loads on its way; their results are dropped.
    ~TruneWorkspaceIconCache() override;

    // The loaded icon; a null image while it loads or when the bundle has none (paint a stand-in).
    // A first request, or one after the recheck time, starts a load.
    QImage icon(const QString& bundlePath, int pixelSize);

    // A load of this icon is on its way.
    bool isLoading(const QString& bundlePath, int pixelSize) const
    {
        return m_loading.contains({bundlePath, pixelSize});
    }

    // How long a loaded icon is shown before the files are looked at again.
    int recheckAfterMs() const { return m_recheckAfterMs; }
    void setRecheckAfterMs(int milliseconds) { m_recheckAfterMs = milliseconds; }

    // Forgets every icon (a load on its way still arrives).
    void clear();

signals:
    // A load of the bundle's icon has finished, with an icon or without one.
    void loaded(const QString& bundlePath);

private:
    struct Key {
        QString path;
        int pixelSize = 0;
        bool operator==(const Key&) const = default;
    };
    friend size_t qHash(const Key& key, size_t seed) { return qHashMulti(seed, key.path, key.pixelSize); }

    // What the files looked like when the icon was read: when one of them changes, the icon is
    // read anew.
    struct Stamp {
        qint64 infoModifiedMs = -1;
        qint64 iconModifiedMs = -1;
        qint64 iconBytes = -1;
        bool operator==(const Stamp&) const = default;
    };

    struct Entry {
        QImage image; // null: the bundle has no icon that can be shown
        Stamp stamp;
        qint64 checkedAtMs = 0;
    };

    explicit TruneWorkspaceIconCache(QObject* parent);

    void startLoad(const Key& key, std::optional<Stamp> known);
    // `entry` is empty when the files had not changed since `known`.
    void receive(const Key& key, std::optional<Entry> entry);
    // Off the GUI thread: the icon as the files now are, or nothing when they still match `known`.
    static std::optional<Entry> readIfChanged(const Key& key, std::optional<Stamp> known);

    QThreadPool* m_pool;
    QCache<Key, Entry> m_entries;
    QSet<Key> m_loading;
    int m_recheckAfterMs = 5000;
    QElapsedTimer m_clock;
};

#pragma once

#include <QObject>
#include <QString>

#include <optional>

// Whether the uninstaller's target bundle can go to the Trash: something exists at its path and
// it does not lie in the Trash already. The file system is asked off the GUI thread; until the
// first answer for a path arrives, the bundle counts as not offered.
class BundlePresenceProbe final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Asks again for `path` (an empty path is never offered). Answers for an earlier path that
    // arrive later are dropped.
    void probe(const QString& path);

    const QString& path() const { return m_path; }
    bool isOffered() const { return m_offered; }

signals:
    // The answer for the current path differs from the one before.
    void offeredChanged(bool offered);

private:
    void receive(quint64 request, bool offered);

    QString m_path;
    bool m_offered = false;
    quint64 m_request = 0;
};

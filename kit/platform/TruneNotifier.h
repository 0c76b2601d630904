#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

// Names of the kit's in-process notifications.
namespace TruneNotificationName {
inline const QString languageDidChange = QStringLiteral("com.quorvane.languageDidChange");
inline const QString reopenStudioWindow = QStringLiteral("com.quorvane.reopenStudioWindow");
} // namespace TruneNotificationName

// The process's notification center: anyone may post a named notification with optional user
// info, and every receiver connected to `posted` hears it. A receiver living in the posting
// thread is called before post() returns; one living in another thread is called from that
// thread's event loop (Qt's automatic connection), so posting from a worker is safe.
class TruneNotifier final : public QObject {
    Q_OBJECT

public:
    static TruneNotifier& instance();

    void post(const QString& name, const QVariantMap& userInfo = {});

signals:
    void posted(const QString& name, const QVariantMap& userInfo);

private:
    TruneNotifier() = default;
};

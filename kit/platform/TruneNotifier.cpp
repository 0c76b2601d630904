#include "kit/platform/TruneNotifier.h"

TruneNotifier& TruneNotifier::instance()
{
    static TruneNotifier notifier;
    return notifier;
}

void TruneNotifier::post(const QString& name, const QVariantMap& userInfo)
{
    emit posted(name, userInfo);
}

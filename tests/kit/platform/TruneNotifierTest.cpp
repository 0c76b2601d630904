#include "kit/platform/TruneNotifier.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <optional>
#include <thread>

namespace {

struct Received {
    QString name;
    QVariantMap userInfo;
    QThread* thread = nullptr;
};

} // namespace

TEST(TruneNotifierTest, ReceiverInThePostingThreadHearsBeforePostReturns)
{
    QObject receiver;
    std::vector<Received> heard;
    QObject::connect(&TruneNotifier::instance(), &TruneNotifier::posted, &receiver,
        [&](const QString& name, const QVariantMap& userInfo) {
            heard.push_back({name, userInfo, QThread::currentThread()});
        });

    TruneNotifier::instance().post(TruneNotificationName::reopenStudioWindow);
    TruneNotifier::instance().post(
        TruneNotificationName::languageDidChange, {{QStringLiteral("language"), QStringLiteral("tr")}});

    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[0].name, QStringLiteral("com.quorvane.reopenStudioWindow"));
    EXPECT_TRUE(heard[0].userInfo.isEmpty());
    EXPECT_EQ(heard[1].name, QStringLiteral("com.quorvane.languageDidChange"));
    EXPECT_EQ(heard[1].userInfo, (QVariantMap{{QStringLiteral("language"), QStringLiteral("tr")}}));
}

TEST(TruneNotifierTest, PostFromAWorkerReachesTheMainThreadReceiver)
{
    QObject receiver;
    std::optional<Received> heard;
    QObject::connect(&TruneNotifier::instance(), &TruneNotifier::posted, &receiver,
        [&](const QString& name, const QVariantMap& userInfo) {
            heard = Received{name, userInfo, QThread::currentThread()};
        });

    std::thread worker([] {
        TruneNotifier::instance().post(QStringLiteral("com.quorvane.test.fromWorker"), {{QStringLiteral("count"), 3}});
    });
    worker.join();

    ASSERT_TRUE(waitUntil([&] { return heard.has_value(); }));
    EXPECT_EQ(heard->name, QStringLiteral("com.quorvane.test.fromWorker"));
    EXPECT_EQ(heard->userInfo.value(QStringLiteral("count")), QVariant(3));
    EXPECT_EQ(heard->thread, QCoreApplication::instance()->thread());
}

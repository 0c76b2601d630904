#include "kit/foundation/TruneApplicationName.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

TEST(TruneApplicationNameTest, DisplayNameThenBundleNameThenProcessName)
{
    struct Case {
        const char* name;
        QVariantMap info;
        QString expected;
    };
    const QString processName = QCoreApplication::applicationName();
    const Case cases[] = {
        {"both",
            {{QStringLiteral("CFBundleDisplayName"), QStringLiteral("Trune Update")},
                {QStringLiteral("CFBundleName"), QStringLiteral("TruneUpdate")}},
            QStringLiteral("Trune Update")},
        {"bundle name only", {{QStringLiteral("CFBundleName"), QStringLiteral("TruneUpdate")}},
            QStringLiteral("TruneUpdate")},
        {"display name not text",
            {{QStringLiteral("CFBundleDisplayName"), 7},
                {QStringLiteral("CFBundleName"), QStringLiteral("TruneUpdate")}},
            QStringLiteral("TruneUpdate")},
        {"neither", {{QStringLiteral("CFBundleName"), QStringList{QStringLiteral("TruneUpdate")}}}, processName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(truneApplicationName(TruneBundle(c.info, QString())), c.expected);
    }
    EXPECT_FALSE(processName.isEmpty());
    EXPECT_EQ(truneApplicationName(), QStringLiteral("TruneUpdate"));
}

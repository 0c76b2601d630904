#include "kit/foundation/TruneHotkeyDescriptor.h"

#include <gtest/gtest.h>

#include <QSet>

TEST(TruneHotkeyDescriptorTest, MasksCombineCommandWithShiftOrOption)
{
    EXPECT_EQ(TruneHotkeyDescriptor::cmdShiftFlag, 768u);
    EXPECT_EQ(TruneHotkeyDescriptor::cmdOptionFlag, 2304u);
}

TEST(TruneHotkeyDescriptorTest, JsonRoundTripKeepsEqualityAndHash)
{
    const TruneHotkeyDescriptor descriptors[] = {
        {32, TruneHotkeyDescriptor::cmdOptionFlag},
        {0, 0},
        {0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (const TruneHotkeyDescriptor& descriptor : descriptors) {
        SCOPED_TRACE(descriptor.keyCode);
        const QByteArray json = truneJsonSerialize(descriptor);
        const auto decoded = truneJsonDecode<TruneHotkeyDescriptor>(json);
        ASSERT_TRUE(decoded) << decoded.error().description().toStdString();
        EXPECT_EQ(*decoded, descriptor);
        EXPECT_EQ(qHash(*decoded, 7), qHash(descriptor, 7));
    }
    EXPECT_EQ(
        truneJsonSerialize(TruneHotkeyDescriptor{32, 2304}), QByteArray(R"({"carbonModifiers":2304,"keyCode":32})"));

    // The fields are told apart: swapping them is another shortcut.
    const QSet<TruneHotkeyDescriptor> set{{32, 2304}, {2304, 32}};
    EXPECT_EQ(set.size(), 2);
}

TEST(TruneHotkeyDescriptorTest, DecodingRequiresBothKeysAsUnsigned32BitNumbers)
{
    struct Case {
        const char* json;
        const char* errorKey;
    };
    const Case cases[] = {
        {R"({"keyCode":32})", "carbonModifiers"},
        {R"({"carbonModifiers":2304})", "keyCode"},
        {R"({"keyCode":32,"carbonModifiers":null})", "carbonModifiers"},
        {R"({"keyCode":"32","carbonModifiers":2304})", "keyCode"},
        {R"({"keyCode":32.5,"carbonModifiers":2304})", "keyCode"},
        {R"({"keyCode":-1,"carbonModifiers":2304})", "keyCode"},
        {R"({"keyCode":32,"carbonModifiers":4294967296})", "carbonModifiers"},
        {R"([32,2304])", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        const auto decoded = truneJsonDecode<TruneHotkeyDescriptor>(QByteArray(c.json));
        ASSERT_FALSE(decoded);
        EXPECT_EQ(decoded.error().keyPath, QString::fromLatin1(c.errorKey));
    }
}

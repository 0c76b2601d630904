#include "kit/secrets/TruneKeychainStore.h"

#include "tests/support/PrivateSecretService.h"

#include <gtest/gtest.h>

#include <libsecret/secret.h>

#include <QUuid>

#include <memory>
#include <thread>
#include <vector>

namespace {

// Every test process gets a bus and a keyring of its own, started before the first test.
class SecretServiceEnvironment final : public ::testing::Environment {
public:
    static PrivateSecretService& service() { return *s_service; }

    void SetUp() override
    {
        s_service = std::make_unique<PrivateSecretService>();
        ASSERT_TRUE(s_service->failure().isEmpty())
            << s_service->failure().toStdString() << " (scripts/setup installs dbus-daemon and gnome-keyring)";
    }

    void TearDown() override { s_service.reset(); }

private:
    static inline std::unique_ptr<PrivateSecretService> s_service;
};

[[maybe_unused]] const ::testing::Environment* const environment
    = ::testing::AddGlobalTestEnvironment(new SecretServiceEnvironment);

// The stored form other writers (and earlier versions) share: items are found by this schema.
const SecretSchema storedSchema = {
    .name = "com.quorvane.GenericPassword",
    .flags = SECRET_SCHEMA_NONE,
    .attributes = {
        {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
        {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
    },
    .reserved = 0,
    .reserved1 = nullptr,
    .reserved2 = nullptr,
    .reserved3 = nullptr,
    .reserved4 = nullptr,
    .reserved5 = nullptr,
    .reserved6 = nullptr,
    .reserved7 = nullptr,
};

// Tests that lock the keyring open it again however they end, for the tests after them in the
// same process.
class KeyringUnlockedAfterwards final {
public:
    ~KeyringUnlockedAfterwards() { SecretServiceEnvironment::service().unlockDefaultCollection(); }
};

// A service name no other test uses, so tests share the keyring without meeting.
QString uniqueService()
{
    return QStringLiteral("com.quorvane.test.") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

GHashTable* attributesOf(const QString& service, const QString& account)
{
    GHashTable* attributes = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
    g_hash_table_insert(attributes, g_strdup("service"), g_strdup(service.toUtf8().constData()));
    g_hash_table_insert(attributes, g_strdup("account"), g_strdup(account.toUtf8().constData()));
    return attributes;
}

SecretService* secretService()
{
    return secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, nullptr);
}

// Items holding the service and account under any schema, locked or not.
int itemCount(const QString& service, const QString& account)
{
    SecretService* connection = secretService();
    GHashTable* attributes = attributesOf(service, account);
    GList* items = secret_service_search_sync(connection, nullptr, attributes, SECRET_SEARCH_ALL, nullptr, nullptr);
    const int count = int(g_list_length(items));
    g_list_free_full(items, g_object_unref);
    g_hash_table_unref(attributes);
    g_object_unref(connection);
    return count;
}

// An item written by another program: raw bytes, and never replacing an item already there.
void addForeignItem(const QString& service, const QString& account, const QByteArray& bytes)
{
    SecretService* connection = secretService();
    SecretCollection* collection = secret_collection_for_alias_sync(
        connection, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, nullptr);
    ASSERT_NE(collection, nullptr);
    SecretValue* value = secret_value_new(bytes.constData(), bytes.size(), "application/octet-stream");
    GHashTable* attributes = attributesOf(service, account);
    GError* error = nullptr;
    SecretItem* item = secret_item_create_sync(
        collection, &storedSchema, attributes, "foreign", value, SECRET_ITEM_CREATE_NONE, nullptr, &error);
    EXPECT_NE(item, nullptr) << (error ? error->message : "");
    g_clear_error(&error);
    if (item)
        g_object_unref(item);
    g_hash_table_unref(attributes);
    secret_value_unref(value);
    g_object_unref(collection);
    g_object_unref(connection);
}

TEST(TruneKeychainStore, KeepsEverySecretTextAsItWasSaved)
{
    struct Row {
        const char* name;
        QString secret;
    };
    const Row rows[] = {
        {"empty", QString()},
        {"ascii", QStringLiteral("hunter2")},
        {"turkish", QStringLiteral("Şifre: ğüşıöç İI")},
        {"astral", QStringLiteral("key 🔑 𝄞")},
        {"inner NUL", QStringLiteral("before") + QChar(u'\0') + QStringLiteral("after")},
        {"leading byte-order mark", QChar(0xFEFF) + QStringLiteral("token")},
        {"long", QString(65536, QLatin1Char('x'))},
    };
    const QString service = uniqueService();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString account = QString::fromLatin1(row.name);
        ASSERT_TRUE(TruneKeychainStore::save(row.secret, service, account).has_value());
        EXPECT_EQ(TruneKeychainStore::load(service, account), std::optional(row.secret));
    }
}

TEST(TruneKeychainStore, SavingAgainLeavesOneItemWithTheNewSecret)
{
    const QString service = uniqueService();
    const QString account = QStringLiteral("alice");
    ASSERT_TRUE(TruneKeychainStore::save(QStringLiteral("first"), service, account).has_value());
    ASSERT_TRUE(TruneKeychainStore::save(QStringLiteral("second"), service, account).has_value());

    EXPECT_EQ(TruneKeychainStore::load(service, account), QStringLiteral("second"));
    EXPECT_EQ(itemCount(service, account), 1);
}

// Items another program added beside each other would let a load pick a stale one.
TEST(TruneKeychainStore, SavingRemovesDuplicatesOthersLeft)
{
    const QString service = uniqueService();
    const QString account = QStringLiteral("alice");
    addForeignItem(service, account, "stale one");
    addForeignItem(service, account, "stale two");
    ASSERT_EQ(itemCount(service, account), 2);

    ASSERT_TRUE(TruneKeychainStore::save(QStringLiteral("current"), service, account).has_value());

    EXPECT_EQ(itemCount(service, account), 1);
    EXPECT_EQ(TruneKeychainStore::load(service, account), QStringLiteral("current"));
}

TEST(TruneKeychainStore, KeepsServicesAndAccountsApart)
{
    const QString service = uniqueService();
    const QString other = uniqueService();
    const QString alice = QStringLiteral("alice");
    const QString bob = QStringLiteral("bob");
    ASSERT_TRUE(TruneKeychainStore::save(QStringLiteral("a"), service, alice).has_value());
    ASSERT_TRUE(TruneKeychainStore::save(QStringLiteral("b"), service, bob).has_value());
    ASSERT_TRUE(TruneKeychainStore::save(QStringLiteral("c"), other, alice).has_value());

    TruneKeychainStore::deleteSecret(service, alice);

    EXPECT_EQ(TruneKeychainStore::load(service, alice), std::nullopt);
    EXPECT_EQ(itemCount(service, alice), 0);
    EXPECT_EQ(TruneKeychainStore::load(service, bob), QStringLiteral("b"));
    EXPECT_EQ(TruneKeychainStore::load(other, alice), QStringLiteral("c"));
}

// A NUL ends a name on the bus, so "bob\0x" would reach bob's secret.
TEST(TruneKeychainStore, NamesWithANulNeverReachAnotherItem)
{
    const QString service = uniqueService();
    const QString bob = QStringLiteral("bob");
    const QString bobAndMore = bob + QChar(u'\0') + QStringLiteral("x");
    ASSERT_TRUE(TruneKeychainStore::save(QStringLiteral("bob's"), service, bob).has_value());

    const auto saved = TruneKeychainStore::save(QStringLiteral("intruder"), service, bobAndMore);
    ASSERT_FALSE(saved.has_value());
    EXPECT_EQ(saved.error(), (TruneKeychainError{QStringLiteral("g-io-error-quark"), G_IO_ERROR_INVALID_ARGUMENT}));
    EXPECT_EQ(TruneKeychainStore::load(service, bobAndMore), std::nullopt);
    EXPECT_EQ(TruneKeychainStore::save(QStringLiteral("intruder"), service + QChar(u'\0'), bob).has_value(), false);
    TruneKeychainStore::deleteSecret(service, bobAndMore);

    EXPECT_EQ(TruneKeychainStore::load(service, bob), QStringLiteral("bob's"));
}

TEST(TruneKeychainStore, LoadsNothingForMissingOrNonUtf8Items)
{
    const QString service = uniqueService();
    EXPECT_EQ(TruneKeychainStore::load(service, QStringLiteral("nobody")), std::nullopt);
    TruneKeychainStore::deleteSecret(service, QStringLiteral("nobody"));

    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"invalid byte", QByteArray("\xff\xfe", 2)},
        {"truncated sequence", QByteArray("ok\xc3", 3)},
        {"encoded surrogate", QByteArray("\xed\xa0\x80", 3)},
        {"overlong slash", QByteArray("\xc0\xaf", 2)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString account = QString::fromLatin1(row.name);
        addForeignItem(service, account, row.bytes);
        ASSERT_EQ(itemCount(service, account), 1);
        EXPECT_EQ(TruneKeychainStore::load(service, account), std::nullopt);
    }
}

TEST(TruneKeychainStore, ALockedKeyringRefusesTheSaveAndKeepsTheEarlierSecret)
{
    PrivateSecretService& keyring = SecretServiceEnvironment::service();
    const KeyringUnlockedAfterwards unlockedAfterwards;
    const QString service = uniqueService();
    const QString account = QStringLiteral("alice");
    ASSERT_TRUE(TruneKeychainStore::save(QStringLiteral("earlier"), service, account).has_value());
    ASSERT_TRUE(keyring.lockDefaultCollection());

    const auto saved = TruneKeychainStore::save(QStringLiteral("later"), service, account);
    ASSERT_FALSE(saved.has_value());
    EXPECT_EQ(saved.error(), (TruneKeychainError{QStringLiteral("secret-error"), SECRET_ERROR_IS_LOCKED}));
    EXPECT_EQ(TruneKeychainStore::load(service, account), std::nullopt) << "a locked keyring yields nothing";

    ASSERT_TRUE(keyring.unlockDefaultCollection());
    EXPECT_EQ(TruneKeychainStore::load(service, account), QStringLiteral("earlier"));
    EXPECT_EQ(itemCount(service, account), 1);
}

// The earlier secret lives in a collection that stays open while the one new items go to is
// locked: removing it before adding the new one would lose it.
TEST(TruneKeychainStore, ARefusedSaveNeverRemovesTheEarlierSecret)
{
    PrivateSecretService& keyring = SecretServiceEnvironment::service();
    const KeyringUnlockedAfterwards unlockedAfterwards;
    const QString service = uniqueService();
    const QString account = QStringLiteral("alice");
    ASSERT_TRUE(TruneKeychainStore::save(QStringLiteral("earlier"), service, account).has_value());
    ASSERT_TRUE(keyring.addDefaultCollection());
    ASSERT_TRUE(keyring.lockDefaultCollection());

    const auto saved = TruneKeychainStore::save(QStringLiteral("later"), service, account);
    ASSERT_FALSE(saved.has_value());
    EXPECT_EQ(saved.error().status, SECRET_ERROR_IS_LOCKED);
    EXPECT_EQ(TruneKeychainStore::load(service, account), QStringLiteral("earlier"));
    EXPECT_EQ(itemCount(service, account), 1);
}

TEST(TruneKeychainStore, WorksFromManyThreadsAtOnce)
{
    const QString service = uniqueService();
    std::vector<std::thread> threads;
    std::vector<int> mismatches(8, 0);
    for (int thread = 0; thread < 8; ++thread) {
        threads.emplace_back([&, thread] {
            const QString account = QStringLiteral("account-") + QString::number(thread);
            for (int round = 0; round < 5; ++round) {
                const QString secret = account + QStringLiteral("/") + QString::number(round);
                if (!TruneKeychainStore::save(secret, service, account)
                    || TruneKeychainStore::load(service, account) != secret)
                    ++mismatches[size_t(thread)];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(8, 0));
}

TEST(TruneKeychainError, NamesTheServicesStatusInEnglishAndTurkish)
{
    const TruneKeychainError error{QStringLiteral("secret-error"), 2};
    EXPECT_EQ(error.description(TruneLanguage::en),
        QStringLiteral("The secret could not be stored in the keychain (secret-error 2)."));
    EXPECT_EQ(error.description(TruneLanguage::tr),
        QStringLiteral("Gizli bilgi anahtar zincirine kaydedilemedi (secret-error 2)."));
}

} // namespace

#include "kit/secrets/TruneKeychainStore.h"

#include <libsecret/secret.h>

#include <QStringDecoder>

#include <memory>

// The user's keychain is the desktop's Secret Service (gnome-keyring, KeePassXC ...), reached over
// the session bus; its errors keep libsecret's and GDBus's domains ("secret-error",
// "g-dbus-error-quark" ...).

namespace {

// The kit's generic-password items. The schema name is part of the stored form: items are found
// by it, so changing it would orphan every secret saved before.
const SecretSchema genericPasswordSchema = {
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

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct HashTableUnref {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
struct SecretValueUnref {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};
struct ItemListFree {
    void operator()(GList* items) const { g_list_free_full(items, g_object_unref); }
};

using AttributesPtr = std::unique_ptr<GHashTable, HashTableUnref>;
using SecretValuePtr = std::unique_ptr<SecretValue, SecretValueUnref>;
using ItemListPtr = std::unique_ptr<GList, ItemListFree>;
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

TruneKeychainError takeError(GError* error)
{
    TruneKeychainError result{QString::fromUtf8(g_quark_to_string(error->domain)), error->code};
    g_error_free(error);
    return result;
}

TruneKeychainError errorOf(GQuark domain, int code)
{
    return {QString::fromUtf8(g_quark_to_string(domain)), code};
}

// D-Bus strings end at the first NUL, so a name holding one would silently stand for a shorter
// name and reach another service's or account's secret.
bool isUsableName(const QString& name)
{
    return !name.contains(QChar(u'\0'));
}

AttributesPtr itemAttributes(const QString& service, const QString& account)
{
    AttributesPtr attributes(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
    g_hash_table_insert(attributes.get(), g_strdup("service"), g_strdup(service.toUtf8().constData()));
    g_hash_table_insert(attributes.get(), g_strdup("account"), g_strdup(account.toUtf8().constData()));
    return attributes;
}

// The text the bytes spell in UTF-8, byte for byte (a leading byte-order mark stays part of it);
// nothing when they are not UTF-8.
std::optional<QString> strictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Items of the same service and account that another writer left beside `kept` would let a
// later load find a stale secret. Locked ones are left alone: deleting them would ask the user
// to unlock their collection.
void deleteOtherItems(SecretService* secretService, GHashTable* attributes, SecretItem* kept)
{
    const ItemListPtr items(secret_service_search_sync(
        secretService, &genericPasswordSchema, attributes, SECRET_SEARCH_ALL, nullptr, nullptr));
    const gchar* keptPath = g_dbus_proxy_get_object_path(G_DBUS_PROXY(kept));
    for (GList* entry = items.get(); entry; entry = entry->next) {
        auto* item = static_cast<SecretItem*>(entry->data);
        if (g_strcmp0(g_dbus_proxy_get_object_path(G_DBUS_PROXY(item)), keptPath) != 0 && !secret_item_get_locked(item))
            secret_item_delete_sync(item, nullptr, nullptr);
    }
}

} // namespace

std::expected<void, TruneKeychainError> TruneKeychainStore::save(
    const QString& secret, const QString& service, const QString& account)
{
    if (!isUsableName(service) || !isUsableName(account))
        return std::unexpected(errorOf(G_IO_ERROR, G_IO_ERROR_INVALID_ARGUMENT));

    GError* error = nullptr;
    const GObjectPtr<SecretService> secretService(
        secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &error));
    if (!secretService)
        return std::unexpected(takeError(error));
    const GObjectPtr<SecretCollection> collection(secret_collection_for_alias_sync(
        secretService.get(), SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, nullptr, &error));
    if (error)
        return std::unexpected(takeError(error));
    if (!collection)
        return std::unexpected(errorOf(SECRET_ERROR, SECRET_ERROR_NO_SUCH_OBJECT));

    const QByteArray bytes = secret.toUtf8();
    const SecretValuePtr value(secret_value_new(bytes.constData(), bytes.size(), "text/plain"));
    const AttributesPtr attributes = itemAttributes(service, account);
    // Replacing inside the service, rather than deleting and adding, keeps the old secret when
    // the new one is refused.
    const GObjectPtr<SecretItem> item(secret_item_create_sync(collection.get(), &genericPasswordSchema,
        attributes.get(), service.toUtf8().constData(), value.get(), SECRET_ITEM_CREATE_REPLACE, nullptr, &error));
    if (!item)
        return std::unexpected(error ? takeError(error) : errorOf(SECRET_ERROR, SECRET_ERROR_PROTOCOL));
    deleteOtherItems(secretService.get(), attributes.get(), item.get());
    return {};
}

std::optional<QString> TruneKeychainStore::load(const QString& service, const QString& account)
{
    if (!isUsableName(service) || !isUsableName(account))
        return std::nullopt;
    const AttributesPtr attributes = itemAttributes(service, account);
    GError* error = nullptr;
    const SecretValuePtr value(
        secret_password_lookupv_binary_sync(&genericPasswordSchema, attributes.get(), nullptr, &error));
    g_clear_error(&error);
    if (!value)
        return std::nullopt;
    gsize length = 0;
    const gchar* bytes = secret_value_get(value.get(), &length);
    return strictUtf8(QByteArrayView(bytes, qsizetype(length)));
}

void TruneKeychainStore::deleteSecret(const QString& service, const QString& account)
{
    if (!isUsableName(service) || !isUsableName(account))
        return;
    const AttributesPtr attributes = itemAttributes(service, account);
    GError* error = nullptr;
    secret_password_clearv_sync(&genericPasswordSchema, attributes.get(), nullptr, &error);
    g_clear_error(&error);
}

#pragma once

#include "kit/secrets/TruneKeychainError.h"

#include <QString>

#include <expected>
#include <optional>

// One secret text per service and account, kept as a password item in the user's keychain. Items
// live in its default collection, the one unlocked with the user's session, and carry the
// attributes "service" and "account" under the schema "com.quorvane.GenericPassword"; the secret is
// the text's UTF-8 bytes. Keeps no state; every operation may run on any thread.
namespace TruneKeychainStore {

// Stores the secret, replacing the one held for the same service and account in a single step of
// the service: a refused save leaves the earlier secret as it was. Afterwards exactly one item
// holds the service and account.
std::expected<void, TruneKeychainError> save(const QString& secret, const QString& service, const QString& account);

// The stored secret; nothing when there is none, when its bytes are not UTF-8 or when the
// service cannot be reached or is locked.
std::optional<QString> load(const QString& service, const QString& account);

// Removes every item of the service and account; never fails ("delete" is a C++ keyword).
void deleteSecret(const QString& service, const QString& account);

} // namespace TruneKeychainStore

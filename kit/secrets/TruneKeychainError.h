#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QString>

// A refusal of the Secret Service when storing a secret: the error domain and status code the
// service reported, carried unchanged and with nothing added.
struct TruneKeychainError {
    QString domain; // "secret-error", "g-dbus-error-quark" ...
    int status = 0;

    // Names the domain and the status in both languages.
    QString description(TruneLanguage language) const;

    bool operator==(const TruneKeychainError&) const = default;
};

#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QString>

// A refusal of the keychain when storing a secret: the error domain and status code the keychain
// reported, carried unchanged and with nothing added.
struct TruneKeychainError {
    QString domain;
    int status = 0;

    // Names the domain and the status in both languages.
    QString description(TruneLanguage language) const;

    bool operator==(const TruneKeychainError&) const = default;
};

#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QByteArray>

#include <optional>

// Sets an environment variable (or removes it, for nullopt) for the life of the object.
class ScopedEnvironmentVariable final {
public:
    ScopedEnvironmentVariable(const char* name, const std::optional<QByteArray>& value);
    ~ScopedEnvironmentVariable();
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

private:
    QByteArray m_name;
    std::optional<QByteArray> m_saved;
};

// Makes `language` the interface language for the life of the object (in the test's own home).
class ScopedInterfaceLanguage final {
public:
    explicit ScopedInterfaceLanguage(TruneLanguage language);
    ~ScopedInterfaceLanguage();
    ScopedInterfaceLanguage(const ScopedInterfaceLanguage&) = delete;
    ScopedInterfaceLanguage& operator=(const ScopedInterfaceLanguage&) = delete;
};

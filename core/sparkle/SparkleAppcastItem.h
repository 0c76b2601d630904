#pragma once

#include <QHashFunctions>
#include <QString>

#include <optional>

// One release of an application as an appcast feed describes it. Every text is kept as the feed
// wrote it (trimmed); nothing here is parsed or checked.
struct SparkleAppcastItem {
    QString title;
    QString shortVersionString; // the marketing version; the build version when the feed gives none
    QString buildVersion;       // "" when the feed gives none
    std::optional<QString> downloadURL;
    std::optional<QString> releaseNotesURL;
    std::optional<QString> minimumSystemVersion;
    std::optional<QString> operatingSystem;
    std::optional<QString> pubDate; // as written, never read as a date
    // The update channel the feed publishes the release on ("beta", "nightly" ...); nullopt for
    // the default channel that every user receives.
    std::optional<QString> channel;

    // shortVersionString when it is non-empty, else buildVersion.
    const QString& effectiveVersion() const;

    bool operator==(const SparkleAppcastItem&) const = default;
};

size_t qHash(const SparkleAppcastItem& item, size_t seed = 0);

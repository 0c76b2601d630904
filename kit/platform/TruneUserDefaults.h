#pragma once

#include <QString>
#include <QVariant>

#include <optional>

// The user's defaults: small named preferences that outlive the process, kept by QSettings in
// the platform's native place (an INI file under $XDG_CONFIG_HOME here, the preferences domain on
// macOS). Keys are used as given; dots in them ("com.quorvane.preferredLanguage") are ordinary
// characters. Each call opens the store afresh, so a change made by another thread or another
// process is seen at the next read, and every write reaches the disk before the call returns.
class TruneUserDefaults final {
public:
    // The program's domain: organization "Quorvane", application "TruneUpdate".
    static TruneUserDefaults standard();

    TruneUserDefaults(QString organization, QString application);

    // An invalid QVariant when the key is absent. The INI file keeps no types: a number or
    // boolean comes back as its text once read from the file.
    QVariant value(const QString& key) const;
    // The stored value when it is text, or the text of a stored number or boolean (what the file
    // holds). Bytes, lists and other values give nullopt.
    std::optional<QString> string(const QString& key) const;

    // Storing an invalid QVariant removes the key. An empty key is ignored by writes and removals.
    void setValue(const QString& key, const QVariant& value) const;
    void setString(const QString& key, const QString& text) const;
    void remove(const QString& key) const;

    // Re-reads what other processes have written.
    void sync() const;

private:
    QString m_organization;
    QString m_application;
};

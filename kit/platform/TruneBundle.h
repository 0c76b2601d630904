#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// A bundle as the kit reads it: an Info dictionary (the values of an Info.plist) and the folder
// that holds its resources. The program's own bundle is `main()`: its Info values are fixed at
// build time and its resources are the program's data folder, <executable folder>/../share/truneupdate.
class TruneBundle final {
public:
    TruneBundle(QVariantMap infoDictionary, QString resourcesPath);

    static const TruneBundle& main();

    // The value stored under `key`, or an invalid QVariant when the key is absent.
    QVariant infoValue(const QString& key) const;
    const QVariantMap& infoDictionary() const { return m_info; }

    // "CFBundleIdentifier" when it is text, else empty.
    QString bundleIdentifier() const;

    const QString& resourcesPath() const { return m_resourcesPath; }

    // The path of the resource file "<name>.<extension>" when it exists, else nullopt.
    std::optional<QString> pathForResource(const QString& name, const QString& extension) const;

private:
    QVariantMap m_info;
    QString m_resourcesPath;
};

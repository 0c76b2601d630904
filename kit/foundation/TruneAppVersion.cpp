#include "kit/foundation/TruneAppVersion.h"

namespace {

QString trimmedTextOr(const QVariant& value, const QString& fallback)
{
    if (value.typeId() != QMetaType::QString)
        return fallback;
    const QString trimmed = value.toString().trimmed();
    return trimmed.isEmpty() ? fallback : trimmed;
}

} // namespace

QString TruneAppVersion::tag() const
{
    return QStringLiteral("v") + shortVersion;
}

QString TruneAppVersion::detailedDisplay() const
{
    return QStringLiteral("v%1 (%2)").arg(shortVersion, buildNumber);
}

std::optional<TruneSemVer> TruneAppVersion::semVer() const
{
    return TruneSemVer::parsing(shortVersion);
}

TruneAppVersion TruneAppVersion::current(
    const TruneBundle& bundle, const QString& fallbackVersion, const QString& fallbackBuild)
{
    return {
        trimmedTextOr(bundle.infoValue(QStringLiteral("CFBundleShortVersionString")), fallbackVersion),
        trimmedTextOr(bundle.infoValue(QStringLiteral("CFBundleVersion")), fallbackBuild),
    };
}

#include "kit/foundation/TruneAppIdentity.h"

#include "kit/platform/TrunePlatform.h"

#include <QStringList>

#include <string>
#include <string_view>

namespace {

struct Alias {
    std::string_view slug;
    TruneAppIdentity identity;
};

// Other names the products are known by.
constexpr std::array aliases{
    Alias{"signalbar", TruneAppIdentityCatalog::signalBar},
    Alias{"tallyracalc", TruneAppIdentity::tallyra},
    Alias{"tallyrapro", TruneAppIdentity::tallyra},
    Alias{"marrow", TruneAppIdentity::marrowpad},
    Alias{"glimmetlite", TruneAppIdentity::glimmet},
};

QString lastDotSeparatedPiece(const QString& name)
{
    const QStringList pieces = name.split(QLatin1Char('.'), Qt::SkipEmptyParts);
    return pieces.isEmpty() ? name : pieces.last();
}

QString lettersMarksAndDigits(const QString& text)
{
    std::u32string kept;
    for (const uint codePoint : text.toUcs4()) {
        if (QChar::isLetterOrNumber(codePoint) || QChar::isMark(codePoint))
            kept.push_back(char32_t(codePoint));
    }
    return QString::fromUcs4(kept.data(), qsizetype(kept.size()));
}

std::optional<TruneAppIdentity> aliasTarget(const QString& slug)
{
    const QByteArray utf8 = slug.toUtf8();
    const std::string_view wanted(utf8.constData(), size_t(utf8.size()));
    for (const Alias& alias : aliases) {
        if (alias.slug == wanted)
            return alias.identity;
    }
    return std::nullopt;
}

std::optional<TruneAppIdentity> resolveInfoText(const TruneBundle& bundle, const char* key)
{
    const QVariant value = bundle.infoValue(QLatin1String(key));
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return TruneAppIdentityCatalog::resolve(value.toString());
}

} // namespace

namespace TruneAppIdentityCatalog {

std::optional<TruneAppIdentity> resolve(const QString& name)
{
    const QString slug = lettersMarksAndDigits(lastDotSeparatedPiece(name).toLower());
    if (const std::optional<TruneAppIdentity> identity = aliasTarget(slug))
        return identity;
    return fromRawValue<TruneAppIdentity>(slug);
}

std::optional<TruneAppIdentity> current(const TruneBundle& bundle)
{
    if (auto identity = resolve(bundle.bundleIdentifier()))
        return identity;
    if (auto identity = resolveInfoText(bundle, "CFBundleDisplayName"))
        return identity;
    if (auto identity = resolveInfoText(bundle, "CFBundleName"))
        return identity;
    return resolve(TrunePlatform::processName());
}

} // namespace TruneAppIdentityCatalog

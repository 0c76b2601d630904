#include "core/homebrew/HomebrewCaskMatcher.h"

#include <algorithm>

namespace {

QString lastPathComponent(const QString& path)
{
    QStringView view(path);
    while (view.size() > 1 && view.endsWith(u'/'))
        view.chop(1);
    return view.sliced(view.lastIndexOf(u'/') + 1).toString();
}

// The letters and digits of `text` in lower case, of any script; spaces, punctuation and
// symbols go. Precomposed and decomposed accents give the same key.
QString normalizeMatchKey(const QString& text)
{
    const QString lowered = text.toLower().normalized(QString::NormalizationForm_C);
    QString key;
    key.reserve(lowered.size());
    for (qsizetype index = 0; index < lowered.size();) {
        const bool isPair
            = lowered[index].isHighSurrogate() && index + 1 < lowered.size() && lowered[index + 1].isLowSurrogate();
        const char32_t character
            = isPair ? QChar::surrogateToUcs4(lowered[index], lowered[index + 1]) : lowered[index].unicode();
        const qsizetype length = isPair ? 2 : 1;
        if (QChar::isLetterOrNumber(character))
            key.append(QStringView(lowered).sliced(index, length));
        index += length;
    }
    return key;
}

qsizetype characterCount(const QString& text)
{
    return text.size() - std::count_if(text.begin(), text.end(), [](QChar unit) { return unit.isLowSurrogate(); });
}

void keepFirst(QHash<QString, std::size_t>& firsts, const QString& key, std::size_t index)
{
    if (!firsts.contains(key))
        firsts.insert(key, index);
}

} // namespace

HomebrewCaskMatcher::HomebrewCaskMatcher(const std::vector<HomebrewItem>& items)
    : m_items(items)
{
    // Walking in list order and keeping the first entry per key makes a lookup find the first
    // match in list order.
    for (std::size_t index = 0; index < items.size(); ++index) {
        const HomebrewItem& item = items[index];
        if (!item.isCask)
            continue;
        for (const QString& artifact : item.appArtifacts)
            keepFirst(m_firstByBundleName, lastPathComponent(artifact).toLower(), index);
        keepFirst(m_firstByNameKey, normalizeMatchKey(item.fullName), index);
        keepFirst(m_firstByNameKey, normalizeMatchKey(item.name), index);
    }
}

const HomebrewItem* HomebrewCaskMatcher::match(const InstalledAppRecord& app) const
{
    // A cask that installs the very bundle wins over any cask whose name merely resembles the app's.
    if (const auto found = m_firstByBundleName.constFind(lastPathComponent(app.path).toLower());
        found != m_firstByBundleName.cend())
        return &m_items[*found];

    // Keys of one or two characters would tie unrelated apps and casks together.
    const QString appKey = normalizeMatchKey(app.name);
    if (characterCount(appKey) < 3)
        return nullptr;
    const auto found = m_firstByNameKey.constFind(appKey);
    return found == m_firstByNameKey.cend() ? nullptr : &m_items[*found];
}

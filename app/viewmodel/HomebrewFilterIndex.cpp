#include "app/viewmodel/HomebrewFilterIndex.h"

void HomebrewFilterIndex::FoldedText::follow(const QString& text)
{
    if (source.isSharedWith(text))
        return;
    source = text;
    folded = text.toLower();
}

void HomebrewFilterIndex::follow(const std::vector<HomebrewItem>& items)
{
    m_entries.resize(items.size());
    for (size_t position = 0; position < items.size(); ++position) {
        const HomebrewItem& item = items[position];
        Entry& entry = m_entries[position];
        entry.name.follow(item.name);
        entry.fullName.follow(item.fullName);
        entry.description.follow(item.description);
    }
}

bool HomebrewFilterIndex::matches(size_t position, const QString& query) const
{
    const Entry& entry = m_entries.at(position);
    return entry.name.folded.contains(query) || entry.fullName.folded.contains(query)
        || entry.description.folded.contains(query);
}

#pragma once

#include "core/records/HomebrewItem.h"

#include <QString>

#include <vector>

// The lower-cased texts the Homebrew filter searches (name, full name and description), one entry
// per package of a list and in its order, kept beside the list so that a key typed into the
// filter lower-cases no text. follow() brings the index in step with the list before each use:
// it lower-cases again only the texts that are no longer the ones an entry was made from, so a
// package renamed, added or removed between two keys is matched by its new texts.
class HomebrewFilterIndex final {
public:
    void follow(const std::vector<HomebrewItem>& items);

    // Whether one of the texts of the package at `position` contains `query`, which is already
    // lower-cased. The index must follow the list first.
    bool matches(size_t position, const QString& query) const;

private:
    // A text as the package holds it and lower-cased. The kept text shares the package's data,
    // so a text that changed never shares it: a change is seen without comparing characters.
    struct FoldedText {
        QString source;
        QString folded;

        void follow(const QString& text);
    };

    struct Entry {
        FoldedText name;
        FoldedText fullName;
        FoldedText description;
    };

    std::vector<Entry> m_entries;
};

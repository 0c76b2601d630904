#pragma once

#include "kit/platform/TruneJson.h"

#include <QString>
#include <QStringList>

#include <optional>

// A Homebrew value that is sometimes one string and sometimes a list of strings. Reading it
// never fails: null, or any shape other than a string or a list of strings, gives no values.
struct FlexibleStringList {
    QStringList values;

    // The first value that is not blank, as written (untrimmed).
    std::optional<QString> firstNonEmpty() const;

    bool operator==(const FlexibleStringList&) const = default;
};

template <> struct TruneJsonCoding<FlexibleStringList> {
    static TruneJsonResult<FlexibleStringList> decode(const QJsonValue& json);
};

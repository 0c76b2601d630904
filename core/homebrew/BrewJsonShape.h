#pragma once

#include "kit/platform/TruneJson.h"

#include <QByteArray>
#include <QJsonValue>

#include <span>
#include <string_view>

struct BrewJsonShape;

// One key kept of an object, with the shape of its value; no shape keeps the value whole.
struct BrewJsonField {
    std::string_view key;
    const BrewJsonShape* shape = nullptr;
};

// Which parts of one of brew's JSON documents are read: the keys kept of an object at this place.
// The elements of an array take the array's own shape, so a list of packages is described by the
// shape of one package. A value of another kind than its shape expects is kept as it is, for the
// decoder to reject with its key path.
struct BrewJsonShape {
    std::span<const BrewJsonField> fields;
};

// Parses `json` (UTF-8) and keeps only what `shape` names, without building the rest of the
// document. The whole text is still checked: a syntax error anywhere, in a kept part or not,
// trailing text, or nesting deeper than 1000 levels fails as truneJsonParse fails. Duplicate keys
// keep their last value. Taking the bytes by value lets a caller that moves its output in spare
// the copy the parser needs for its read-ahead margin.
TruneJsonResult<QJsonValue> parseBrewJson(QByteArray json, const BrewJsonShape& shape);

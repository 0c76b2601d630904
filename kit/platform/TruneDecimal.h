#pragma once

#include <QString>

// An integer in plain ASCII digits ("-" for negatives, no grouping), whatever the locale: for
// texts that must read the same everywhere (counts in messages, exit codes, offsets).
QString truneDecimal(qint64 value);

#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QString>

#include <optional>

// The text to show for a visible text written as an English and a Turkish literal: a user
// override, the literal for English and Turkish, a catalogue translation for every other
// language, English when nothing better is found. Never fails; never empty when `en` is not.
QString truneText(const QString& en, const QString& tr, const std::optional<QString>& key, TruneLanguage language);

// The same without a catalogue key, as nearly every caller writes it.
QString truneText(const QString& en, const QString& tr, TruneLanguage language);

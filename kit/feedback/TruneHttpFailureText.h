#pragma once

#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneHttpExchange.h"

#include <QString>

// A short phrase saying why an exchange failed, to stand inside the caller's own error sentence
// ("Could not reach <host> (<phrase>)."). A transport failure gives the system's own text.
QString truneHttpFailureText(const TruneHttpExchangeError& error, TruneLanguage language);

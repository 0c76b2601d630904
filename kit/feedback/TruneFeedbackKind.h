#pragma once

#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneRawValue.h"

#include <QString>

// What a piece of feedback is about. The raw value is what the web form's query and the upload
// carry as "type".
enum class TruneFeedbackKind { bug, feature, newApp, general };

template <> struct TruneRawValues<TruneFeedbackKind> {
    static constexpr std::array cases{
        TruneRawCase{TruneFeedbackKind::bug, "bug"},
        TruneRawCase{TruneFeedbackKind::feature, "feature"},
        TruneRawCase{TruneFeedbackKind::newApp, "new_app"},
        TruneRawCase{TruneFeedbackKind::general, "general"},
    };
};

// The symbol that stands for the kind.
QString symbolName(TruneFeedbackKind kind);
// "Bug Report" / "Hata Bildirimi" ...
QString title(TruneFeedbackKind kind, TruneLanguage language);

#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QObject>

#include <functional>

// "System Language (<native name of the system's language>)" in `language`.
QString truneSystemLanguageEntryLabel(TruneLanguage language);

// Whether a language control shows "follow the system" as its selection, and the two choices
// both language controls offer. Main thread only.
class TruneLanguagePickerState final : public QObject {
    Q_OBJECT

public:
    using OnSelect = std::function<void(TruneLanguage)>;

    // Starts out following the system exactly when the stored preference is "system".
    explicit TruneLanguagePickerState(QObject* parent = nullptr);

    bool isFollowingSystem() const { return m_isFollowingSystem; }

    // Re-reads the stored preference; announces only a change.
    void syncFromDefaults();

    // Stores "system", then hands the system's language to `onSelect` while storing is
    // suppressed, so that an owner adopting it with setCurrent() keeps "system" stored.
    void chooseSystem(const OnSelect& onSelect);
    // Stores and announces `language`, then hands it to `onSelect`; also when it is already chosen.
    void chooseLanguage(TruneLanguage language, const OnSelect& onSelect);

signals:
    void isFollowingSystemChanged(bool isFollowingSystem);

private:
    void setFollowingSystem(bool following);

    bool m_isFollowingSystem;
};

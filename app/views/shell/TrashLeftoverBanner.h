#pragma once

#include "core/records/LeftoverFileItem.h"

#include <QWidget>

#include <optional>

class QLabel;
class TruneGlassButton;
class TrunePrimaryButton;
class UpdateStudioViewModel;

// The yellow strip under the studio's header while an app bundle lies in the Trash with its
// leftovers still in the Library: what was found, "Review & Clean" (the leftovers in the
// uninstaller) and a close button. It shows the newest alert and hides when there is none.
class TrashLeftoverBanner final : public QWidget {
    Q_OBJECT

public:
    explicit TrashLeftoverBanner(UpdateStudioViewModel& viewModel, QWidget* parent = nullptr);

    // "'<app>' was moved to Trash with <n> leftover files (<size>) still in ~/Library." in the
    // view model's language.
    QString message() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();

    UpdateStudioViewModel& m_viewModel;
    std::optional<TrashLeftoverAlert> m_alert;
    QLabel* m_message;
    TrunePrimaryButton* m_reviewButton;
    TruneGlassButton* m_closeButton;
};

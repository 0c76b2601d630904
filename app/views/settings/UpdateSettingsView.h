#pragma once

#include <QColor>
#include <QWidget>

class UpdateStudioViewModel;

// The studio's Settings tab: on one scrolling page the preferences card beside the card of
// ignored applications, and the history card across the width below them.
class UpdateSettingsView final : public QWidget {
    Q_OBJECT

public:
    UpdateSettingsView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);
};

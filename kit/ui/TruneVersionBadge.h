#pragma once

#include "kit/foundation/TruneAppVersion.h"

#include <QWidget>

// A small capsule that shows an app's version: the tag ("v1.0.0"), or with the build number
// the detailed form ("v1.0.0 (100)"), in the small monospaced label font of the glass design.
class TruneVersionBadge final : public QWidget {
    Q_OBJECT

public:
    explicit TruneVersionBadge(TruneAppVersion version, bool showBuild, QWidget* parent = nullptr);

    const TruneAppVersion& version() const { return m_version; }
    bool showBuild() const { return m_showBuild; }
    // The text the badge shows.
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TruneAppVersion m_version;
    bool m_showBuild;
};

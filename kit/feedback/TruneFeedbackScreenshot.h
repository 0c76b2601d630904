#pragma once

#include <QByteArray>
#include <QString>
#include <QUuid>

// One image attached to a piece of feedback. Nothing checks its size or type here: the upload
// applies the limits.
struct TruneFeedbackScreenshot {
    QUuid id = QUuid::createUuid();
    QString filename = {};
    QString mimeType = {}; // "image/png", "image/jpeg", "image/webp" or "image/gif"
    QByteArray data = {};

    // The size of `data` in the kit's byte format ("12.3 KB").
    QString formattedSize() const;

    bool operator==(const TruneFeedbackScreenshot&) const = default;
};

// What the feedback service answered to an accepted upload.
struct TruneFeedbackReceipt {
    QString referenceCode = {};
    qint64 attachmentsCount = 0;
    QString message = {};

    bool operator==(const TruneFeedbackReceipt&) const = default;
};

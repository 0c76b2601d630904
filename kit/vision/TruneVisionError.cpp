#include "kit/vision/TruneVisionError.h"

#include "kit/localization/TruneText.h"

TruneVisionError TruneVisionError::featurePrintUnavailable()
{
    return {};
}

TruneVisionError TruneVisionError::invalidImage()
{
    TruneVisionError error;
    error.errorCase = Case::invalidImage;
    return error;
}

TruneVisionError TruneVisionError::recognizerUnavailable(const QString& language, const QString& dataFolder)
{
    TruneVisionError error;
    error.errorCase = Case::recognizerUnavailable;
    error.language = language;
    error.dataFolder = dataFolder;
    return error;
}

TruneVisionError TruneVisionError::recognitionFailed()
{
    TruneVisionError error;
    error.errorCase = Case::recognitionFailed;
    return error;
}

QString TruneVisionError::description(TruneLanguage uiLanguage) const
{
    switch (errorCase) {
    case Case::featurePrintUnavailable:
        return QStringLiteral("Could not compute image feature print.");
    case Case::invalidImage:
        return truneText(QStringLiteral("The image is empty."), QStringLiteral("Görüntü boş."), uiLanguage);
    case Case::recognizerUnavailable:
        return truneText(QStringLiteral("The text recognition data for '") + language
                + QStringLiteral("' could not be loaded from ") + dataFolder + QStringLiteral("."),
            QStringLiteral("'") + language + QStringLiteral("' için metin tanıma verisi ") + dataFolder
                + QStringLiteral(" klasöründen yüklenemedi."),
            uiLanguage);
    case Case::recognitionFailed:
        return truneText(
            QStringLiteral("Text recognition failed."), QStringLiteral("Metin tanıma başarısız oldu."), uiLanguage);
    }
    return {};
}

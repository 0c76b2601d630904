#include "kit/vision/TruneTextRecognizer.h"

#include "kit/vision/TruneGreyImage.h"

#include <QFileInfo>
#include <QLocale>

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

namespace {

const QString englishDataName = QStringLiteral("eng");

// A name made of ASCII letters, digits and underscores only: no separators, no way out of
// the data folder, no second language hidden behind a "+".
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && std::all_of(name.begin(), name.end(), [](QChar character) {
        return (character.unicode() < 128 && character.isLetterOrNumber()) || character == u'_';
    });
}

bool hasDataFile(const QString& folder, const QString& name)
{
    return isPlainName(name) && QFileInfo(folder + QLatin1Char('/') + name + QStringLiteral(".traineddata")).isFile();
}

// The data file's name for a language code: the code itself when it already names a data
// file, else the ISO 639-3 code of its language ("en-US" → "eng"). Empty when unknown.
QString dataNameForLanguage(const QString& folder, const QString& code)
{
    if (hasDataFile(folder, code))
        return code;
    qsizetype primaryLength = 0;
    while (primaryLength < code.size() && code[primaryLength] != u'-' && code[primaryLength] != u'_')
        ++primaryLength;
    const QLocale::Language language = QLocale::codeToLanguage(QStringView(code).left(primaryLength));
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return {};
    return QLocale::languageToCode(language, QLocale::ISO639Part3);
}

// The recognizer's language string ("eng+tur"), or the error naming the first language
// without data.
std::expected<QString, TruneVisionError> dataNames(const QString& folder, const QStringList& languages)
{
    const QStringList requested = languages.isEmpty() ? QStringList{englishDataName} : languages;
    QStringList names;
    for (const QString& code : requested) {
        const QString name = dataNameForLanguage(folder, code);
        if (!hasDataFile(folder, name))
            return std::unexpected(TruneVisionError::recognizerUnavailable(code, folder));
        if (!names.contains(name))
            names.append(name);
    }
    return names.join(QLatin1Char('+'));
}

// Tesseract's pixel box (top-left origin, right and bottom exclusive) in the normalised,
// bottom-left coordinates of the results.
TruneNormalizedRect normalizedBox(int left, int top, int right, int bottom, const QImage& image)
{
    const double width = image.width();
    const double height = image.height();
    return {left / width, (height - bottom) / height, (right - left) / width, (bottom - top) / height};
}

std::vector<TruneOCRLine> recognizedLines(tesseract::TessBaseAPI& api, const QImage& image)
{
    std::vector<TruneOCRLine> lines;
    const std::unique_ptr<tesseract::ResultIterator> iterator(api.GetIterator());
    if (!iterator)
        return lines;
    constexpr auto level = tesseract::RIL_TEXTLINE;
    do {
        const std::unique_ptr<char[]> utf8(iterator->GetUTF8Text(level));
        const QString text = utf8 ? QString::fromUtf8(utf8.get()).trimmed() : QString();
        int left = 0, top = 0, right = 0, bottom = 0;
        if (text.isEmpty() || !iterator->BoundingBox(level, &left, &top, &right, &bottom))
            continue;
        const float confidence = std::clamp(iterator->Confidence(level) / 100.0f, 0.0f, 1.0f);
        lines.push_back({text, normalizedBox(left, top, right, bottom, image), confidence});
    } while (iterator->Next(level));
    return lines;
}

// The image's resolution when it states a plausible one; otherwise the recognizer estimates it.
std::optional<int> pixelsPerInch(const QImage& image)
{
    const int ppi = static_cast<int>(std::lround(image.dotsPerMeterX() * 0.0254));
    return ppi >= 70 && ppi <= 2400 ? std::optional(ppi) : std::nullopt;
}

} // namespace

QString TruneTextRecognizer::dataFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("TESSDATA_PREFIX");
    return fromEnvironment.isEmpty() ? QStringLiteral(TRUNE_TESSDATA_DIR) : fromEnvironment;
}

std::expected<std::vector<TruneOCRLine>, TruneVisionError> TruneTextRecognizer::recognize(
    const QImage& image, const QStringList& languages, TruneRecognitionLevel level)
{
    if (image.isNull())
        return std::unexpected(TruneVisionError::invalidImage());
    const QString folder = dataFolder();
    const std::expected<QString, TruneVisionError> names = dataNames(folder, languages);
    if (!names)
        return std::unexpected(names.error());

    tesseract::TessBaseAPI api;
    if (api.Init(folder.toLocal8Bit().constData(), names->toUtf8().constData(), tesseract::OEM_LSTM_ONLY) != 0)
        return std::unexpected(TruneVisionError::recognizerUnavailable(*names, folder));
    // Text may stand anywhere in the image, in several blocks: let the recognizer find the layout.
    api.SetPageSegMode(tesseract::PSM_AUTO);
    if (level == TruneRecognitionLevel::fast)
        api.SetVariable("tessedit_do_invert", "0");

    const QImage grey = truneGreyImage(image);
    api.SetImage(grey.constBits(), grey.width(), grey.height(), 1, static_cast<int>(grey.bytesPerLine()));
    if (const std::optional<int> ppi = pixelsPerInch(image))
        api.SetSourceResolution(*ppi);
    if (api.Recognize(nullptr) != 0)
        return std::unexpected(TruneVisionError::recognitionFailed());
    return recognizedLines(api, image);
}

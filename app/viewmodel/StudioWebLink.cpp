#include "app/viewmodel/StudioWebLink.h"

using namespace Qt::StringLiterals;

std::optional<QUrl> studioWebLink(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    const QUrl url(*text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http"_s && scheme != u"https"_s) || url.host().isEmpty())
        return std::nullopt;
    return url;
}

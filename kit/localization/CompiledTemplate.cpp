#include "kit/localization/CompiledTemplate.h"

#include "kit/localization/TruneGraphemeText.h"

#include <algorithm>

namespace {

QString placeholder(qsizetype index)
{
    return QLatin1Char('{') + QString::number(index) + QLatin1Char('}');
}

// Puts every capture into the target in one left-to-right pass, so a captured value that itself
// looks like a placeholder ("{1}") is copied as it is and never filled in turn. Placeholders
// without a capture stay as written.
QString fillPlaceholders(const QString& target, const QStringList& captures)
{
    QStringList placeholders;
    for (qsizetype i = 0; i < captures.size(); ++i)
        placeholders.append(placeholder(i));

    QString filled;
    filled.reserve(target.size());
    qsizetype position = 0;
    while (position < target.size()) {
        const qsizetype brace = target.indexOf(QLatin1Char('{'), position);
        if (brace < 0)
            break;
        filled.append(QStringView(target).sliced(position, brace - position));
        const QStringView rest = QStringView(target).sliced(brace);
        const auto hit = std::find_if(placeholders.cbegin(), placeholders.cend(),
            [rest](const QString& candidate) { return rest.startsWith(candidate); });
        if (hit == placeholders.cend()) {
            filled.append(QLatin1Char('{'));
            position = brace + 1;
        } else {
            filled.append(captures.at(hit - placeholders.cbegin()));
            position = brace + hit->size();
        }
    }
    filled.append(QStringView(target).sliced(position));
    return filled;
}

} // namespace

CompiledTemplate::CompiledTemplate(QStringList sourceLiterals, QString targetTemplate, qsizetype literalWeight)
    : m_sourceLiterals(std::move(sourceLiterals))
    , m_targetTemplate(std::move(targetTemplate))
    , m_literalWeight(literalWeight)
{
}

std::optional<CompiledTemplate> CompiledTemplate::compile(const QString& source, const QString& target)
{
    const QString text = TruneGraphemeText::composed(source);
    QStringList literals;
    qsizetype position = 0;
    for (qsizetype n = 0;; ++n) {
        const QString marker = placeholder(n);
        const qsizetype found = text.indexOf(marker, position);
        if (found < 0)
            break;
        literals.append(text.sliced(position, found - position));
        position = found + marker.size();
    }
    if (literals.isEmpty())
        return std::nullopt;
    literals.append(text.sliced(position));

    qsizetype weight = 0;
    for (const QString& literal : literals)
        weight += TruneGraphemeText::characterCount(literal);
    if (weight < 2)
        return std::nullopt;
    return CompiledTemplate(std::move(literals), target, weight);
}

std::optional<QString> CompiledTemplate::apply(const QString& input) const
{
    const TruneGraphemeText text(input);
    if (text.characterCount() < m_literalWeight)
        return std::nullopt;
    const QString& first = m_sourceLiterals.first();
    const QString& last = m_sourceLiterals.last();
    if (!text.hasPrefix(first) || !text.hasSuffix(last))
        return std::nullopt;

    const qsizetype spanEnd = text.text().size() - last.size();
    qsizetype position = first.size();
    if (spanEnd < position)
        return std::nullopt;

    QStringList captures;
    const auto capture = [&](qsizetype end) {
        captures.append(text.text().sliced(position, end - position));
        return end > position;
    };
    for (qsizetype i = 1; i + 1 < m_sourceLiterals.size(); ++i) {
        const QString& middle = m_sourceLiterals.at(i);
        if (middle.isEmpty())
            return std::nullopt;
        const qsizetype found = text.indexOf(middle, position, spanEnd);
        if (found < 0 || !capture(found))
            return std::nullopt;
        position = found + middle.size();
    }
    if (!capture(spanEnd))
        return std::nullopt;
    return fillPlaceholders(m_targetTemplate, captures);
}

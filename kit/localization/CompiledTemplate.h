#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One catalogue template: an English text with numbered placeholders ({0}, {1}, ...) and its
// translation. apply() recognises an English text built from the template at run time and
// returns the translation with the captured values put in.
class CompiledTemplate final {
public:
    // None when the source has no {0}, or its literal pieces together hold fewer than 2
    // characters. Placeholders count only in the order {0}, {1}, {2} ..., each after the one
    // before; the first one missing ends the numbering.
    static std::optional<CompiledTemplate> compile(const QString& source, const QString& target);

    // The pieces around the placeholders, one more than placeholderCount(); first and last may
    // be empty.
    const QStringList& sourceLiterals() const { return m_sourceLiterals; }
    int placeholderCount() const { return static_cast<int>(m_sourceLiterals.size()) - 1; }
    const QString& targetTemplate() const { return m_targetTemplate; }
    // Characters in all literals together; the more, the more specific the template.
    qsizetype literalWeight() const { return m_literalWeight; }

    // The translation of `text`, or none when the text does not fit the template or a captured
    // value would be empty.
    std::optional<QString> apply(const QString& text) const;

private:
    CompiledTemplate(QStringList sourceLiterals, QString targetTemplate, qsizetype literalWeight);

    QStringList m_sourceLiterals; // NFC
    QString m_targetTemplate;
    qsizetype m_literalWeight = 0;
};

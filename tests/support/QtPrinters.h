#pragma once

// Lets GoogleTest print Qt values readably in failure messages. Included in every test.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << "QByteArray(\"" << bytes.toStdString() << "\")";
}

inline void PrintTo(const QDateTime& date, std::ostream* os)
{
    *os << date.toString(Qt::ISODateWithMs).toStdString();
}

inline void PrintTo(const QVariant& value, std::ostream* os)
{
    *os << "QVariant(" << value.typeName() << ", " << value.toString().toStdString() << ')';
}

// Measures each path given on the command line with the size cache in use and prints one size a
// line. Tests run it under another user, so that permission errors can be provoked even when the
// tests themselves run as root. Exits with 3 when a measurement left a descriptor open.
#include "core/inventory/FastDirectorySizeReader.h"

#include <QDir>
#include <QString>

#include <cstdio>

namespace {

qsizetype openDescriptorCount()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

} // namespace

int main(int argc, char** argv)
{
    const qsizetype descriptorsBefore = openDescriptorCount();
    for (int index = 1; index < argc; ++index) {
        const qint64 size = FastDirectorySizeReader::allocatedSize(QString::fromLocal8Bit(argv[index]), true);
        std::printf("%lld\n", static_cast<long long>(size));
    }
    return openDescriptorCount() == descriptorsBefore ? 0 : 3;
}

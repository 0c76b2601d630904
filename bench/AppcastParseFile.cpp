// Reads one appcast file and parses it as the update checker does, printing the number of
// releases: the whole-process side of bench_appcast_parse.
//
//   bench-appcast-parse-file FEED.xml
#include "bench/ProcessMeasurement.h"
#include "core/sparkle/SparkleAppcastParser.h"

#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-appcast-parse-file FEED.xml\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    std::printf("%zu releases\n", SparkleAppcastParser::parseItems(file.readAll()).size());
    printOwnPeakMemory();
    return 0;
}

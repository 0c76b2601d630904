// How long reading a stored document takes when it is full of numbers that Qt's parser would fold
// onto -2^63 (each one has to be turned back into the number it was written as), against Qt's
// parser alone on the same text.
//
//   bench_json_repair [--megabytes N] [--runs N]
//
// Prints the best time of each over the runs; the last line is "ratio <ours / Qt alone>".
#include "bench/BenchSupport.h"
#include "kit/platform/TruneJson.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>

namespace {

// An array of "-9223372036854775809" (each rounds to -2^63 as a double) about `megabytes` long.
QByteArray foldingNumbers(int megabytes)
{
    const QByteArray number = "-9223372036854775809";
    const qsizetype count = qsizetype(megabytes) * 1024 * 1024 / (number.size() + 1);
    QByteArray text;
    text.reserve(count * (number.size() + 1) + 2);
    text += '[';
    for (qsizetype index = 0; index < count; ++index) {
        if (index > 0)
            text += ',';
        text += number;
    }
    text += ']';
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    int megabytes = 16;
    int runs = 3;
    if (!readBenchOptions(QCoreApplication::arguments(),
            {{QLatin1String("--megabytes"), &megabytes}, {QLatin1String("--runs"), &runs}})) {
        std::fprintf(stderr, "usage: bench_json_repair [--megabytes N] [--runs N]\n");
        return 2;
    }
    const QByteArray text = foldingNumbers(megabytes);
    qsizetype values = 0;
    const double ours = bestMilliseconds(runs, [&] { values = truneJsonParse(text)->toArray().size(); });
    const double anchor = bestMilliseconds(runs, [&] { QJsonDocument::fromJson(text); });
    std::printf("document: %.2f MB, %lld numbers that fold onto -2^63\n", text.size() / 1e6, qlonglong(values));
    std::printf("anchor QJsonDocument::fromJson: %10.2f ms (best of %d)\n", anchor, runs);
    std::printf("ours truneJsonParse:            %10.2f ms (best of %d)\n", ours, runs);
    std::printf("ratio %.2f\n", ours / anchor);
    return 0;
}

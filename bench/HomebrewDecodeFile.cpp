// Decodes one `brew info --json=v2 --installed` document and one `brew outdated --json=v2`
// document from files into the Homebrew item list, as the state fetch does (parse both, merge,
// sort), and prints the number of items: the whole-process side of bench_homebrew_decode.
//
//   bench-homebrew-decode-file INFO.json OUTDATED.json
#include "bench/ProcessMeasurement.h"
#include "core/homebrew/HomebrewState.h"

#include <QFile>

#include <cstdio>
#include <optional>

namespace {

std::optional<QByteArray> contentsOf(const char* path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench-homebrew-decode-file INFO.json OUTDATED.json\n");
        return 2;
    }
    std::optional<QByteArray> info = contentsOf(argv[1]);
    const std::optional<QByteArray> outdated = contentsOf(argv[2]);
    if (!info || !outdated) {
        std::fprintf(stderr, "cannot read the documents\n");
        return 1;
    }
    const auto installed = HomebrewService::parseInstalledInfoJSON(std::move(*info));
    const auto outdatedSnapshot = HomebrewService::parseOutdatedJSON(*outdated);
    if (!installed || !outdatedSnapshot) {
        std::fprintf(stderr, "the documents did not decode\n");
        return 1;
    }
    std::printf("%zu items\n", HomebrewService::merge(*installed, *outdatedSnapshot, true).size());
    printOwnPeakMemory();
    return 0;
}

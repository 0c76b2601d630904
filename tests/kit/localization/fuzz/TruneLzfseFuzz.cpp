// libFuzzer target: any input must decode or fail cleanly, within the cap, without a sanitizer
// report. Run it with scripts/fuzz-lzfse.

#include "kit/localization/TruneLzfseDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
// Below the default cap so that inputs declaring huge blocks don't make every run allocate tens
// of megabytes; the cap is checked the same way whatever its value.
constexpr qsizetype fuzzMaxOutput = 1024 * 1024;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto result = TruneLzfse::decode(input, fuzzMaxOutput);
    if (result && result->size() > fuzzMaxOutput)
        std::abort();
    if (!result && result.error().reason().isEmpty())
        std::abort();
    return 0;
}

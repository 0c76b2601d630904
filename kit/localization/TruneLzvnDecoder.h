#pragma once

// Internal to the LZFSE decoder: the LZVN block format.

#include "kit/localization/TruneLzfseBlockWriter.h"

#include <span>

namespace TruneLzvn {

// Decodes one block's payload into `out`. False if the payload is malformed, a match is out of
// bounds, or the payload doesn't produce exactly the block's declared size.
bool decodeBlock(std::span<const unsigned char> payload, TruneLzfseBlockWriter& out);

} // namespace TruneLzvn

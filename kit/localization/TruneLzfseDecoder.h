#pragma once

// Decoder for LZFSE streams, the compressed form of the localization catalogues (".json.lzfse").
//
// A stream is a sequence of blocks, each opened by a four-byte magic:
//   "bvx-"  stored bytes
//   "bvxn"  LZVN (byte-oriented literals and matches, used for small inputs)
//   "bvx2"  LZFSE: literals and match triples entropy-coded with finite-state tables,
//           behind a bit-packed header; "bvx1" is the same block with a plain header
//   "bvx$"  the end of the stream (anything after it is ignored)
//
// The input is untrusted: every read and every match is bounds-checked, and a block's declared
// size is checked against the caller's cap before any memory is set aside for it.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <expected>

struct TruneLzfseError {
    enum class Case {
        invalidMagic,       // where a block should start there is no block magic
        truncated,          // the input ends inside a block
        corrupt,            // a block's contents contradict themselves or its header
        missingEndOfStream, // the input ends between blocks, without the end-of-stream block
        outputTooLarge,     // the decoded data would exceed the caller's cap
    };

    Case errorCase = Case::corrupt;
    qint64 offset = 0; // input offset of the block at fault (or where one was expected)
    qint64 limit = 0;  // the cap on the decoded size that was in force

    // English, for logs: "the LZFSE block at byte 21147 is corrupt".
    QString reason() const;

    bool operator==(const TruneLzfseError&) const = default;
};

namespace TruneLzfse {

inline constexpr qsizetype defaultMaxOutput = 32 * 1024 * 1024;

// The decoded bytes of a whole stream, or why it can't be decoded. Never more than maxOutput
// bytes: a stream that would decode to more fails with outputTooLarge.
std::expected<QByteArray, TruneLzfseError> decode(QByteArrayView compressed, qsizetype maxOutput = defaultMaxOutput);

} // namespace TruneLzfse

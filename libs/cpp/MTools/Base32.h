#pragma once
// RFC 4648 Base32 with "=" padding: free functions on caller-supplied buffers, and Qt wrappers over them.

#include <QByteArray>
#include <QString>

#include <cstdint>

// Significant output characters for n input bytes: n * 8 / 5, plus 1 when n is not a multiple of 5.
uint64_t base32_encoder_last_quintent(uint64_t n);
// Number of "=" after the significant characters: 0, 6, 4, 3 or 1.
uint64_t base32_encoder_output_padding_size(uint64_t n);
// Full encoded length, always a multiple of 8.
uint64_t base32_encoder_buffer_size(uint64_t n);
// 5-bit value of output character position: input bits 5p to 5p + 4, bits past inputLength read as zero.
uint8_t base32_encoder_encode_bits(uint64_t position, const uint8_t* input, uint64_t inputLength);
// Alphabet character of base32_encoder_encode_bits.
uint8_t base32_encoder_encode_at_position(uint64_t position, const uint8_t* input, uint64_t inputLength);
// Writes the significant characters, then "=" up to outputLength; never more than outputLength bytes,
// no terminator.
void base32_encode(uint8_t* output, uint64_t outputLength, const uint8_t* input, uint64_t inputLength);
// Returns the bytes written, at most outputLength. Upper and lower case are accepted; a length that is not a
// multiple of 8, a character outside the alphabet or padding anywhere but at the end of the last block gives 0.
uint64_t base32_decode(uint8_t* output, uint64_t outputLength, const uint8_t* input, uint64_t inputLength);
// Output buffer enough for decoding n characters; 0 when n is 0 or not a multiple of 8.
uint64_t base32_decoder_buffer_size(uint64_t n);

namespace MTools {

class Base32
{
public:
    static QString codeQByteArray(const QByteArray& data);
    // Empty for text whose length is not a multiple of 8 or that is not valid Base32.
    static QByteArray decodeQByteArray(const QString& text);
    static QString codeLatin1(const QString& str);
    // The decoded bytes up to the first zero byte, read as Latin-1.
    static QString decodeLatin1(const QString& text);
};

} // namespace MTools

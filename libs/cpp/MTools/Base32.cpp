#include "Base32.h"

#include <array>
#include <limits>

namespace {

const char sm_alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
const uint8_t sm_invalid = 255;

std::array<uint8_t, 256> makeDecodingTable()
{
    std::array<uint8_t, 256> table;
    table.fill(sm_invalid);
    for (int i = 0; i < 26; ++i) {
        table['A' + i] = uint8_t(i);
        table['a' + i] = uint8_t(i);
    }
    for (int i = 0; i < 6; ++i)
        table['2' + i] = uint8_t(26 + i);
    return table;
}

const std::array<uint8_t, 256>& decodingTable()
{
    static const std::array<uint8_t, 256> table = makeDecodingTable();
    return table;
}

bool isValidPadding(uint64_t count) { return count == 0 || count == 1 || count == 3 || count == 4 || count == 6; }

} // namespace

uint64_t base32_encoder_last_quintent(uint64_t n) { return n * 8 / 5 + (n % 5 != 0 ? 1 : 0); }

uint64_t base32_encoder_output_padding_size(uint64_t n)
{
    if (n % 5 == 0)
        return 0;
    return (40 - (n % 5) * 8) / 5;
}

uint64_t base32_encoder_buffer_size(uint64_t n)
{
    return base32_encoder_last_quintent(n) + base32_encoder_output_padding_size(n);
}

uint8_t base32_encoder_encode_bits(uint64_t position, const uint8_t* input, uint64_t inputLength)
{
    const uint64_t bit = position * 5;
    const uint64_t index = bit / 8;
    if (index >= inputLength)
        return 0;
    const unsigned high = input[index];
    const unsigned low = index + 1 < inputLength ? input[index + 1] : 0;
    const unsigned window = high << 8 | low;
    return uint8_t((window >> (11 - bit % 8)) & 0x1F);
}

uint8_t base32_encoder_encode_at_position(uint64_t position, const uint8_t* input, uint64_t inputLength)
{
    return uint8_t(sm_alphabet[base32_encoder_encode_bits(position, input, inputLength)]);
}

void base32_encode(uint8_t* output, uint64_t outputLength, const uint8_t* input, uint64_t inputLength)
{
    const uint64_t significant = base32_encoder_last_quintent(inputLength);
    uint64_t position = 0;
    for (; position < significant && position < outputLength; ++position)
        output[position] = base32_encoder_encode_at_position(position, input, inputLength);
    for (; position < outputLength; ++position)
        output[position] = '=';
}

uint64_t base32_decode(uint8_t* output, uint64_t outputLength, const uint8_t* input, uint64_t inputLength)
{
    if (outputLength == 0 || inputLength == 0 || inputLength % 8 != 0)
        return 0;

    uint64_t dataLength = inputLength;
    while (dataLength > 0 && input[dataLength - 1] == '=')
        --dataLength;
    if (!isValidPadding(inputLength - dataLength))
        return 0;

    const std::array<uint8_t, 256>& table = decodingTable();
    for (uint64_t i = 0; i < dataLength; ++i) {
        if (table[input[i]] == sm_invalid)
            return 0;
    }

    uint64_t produced = 0;
    unsigned buffer = 0;
    unsigned bits = 0;
    for (uint64_t i = 0; i < dataLength && produced < outputLength; ++i) {
        buffer = (buffer << 5 | table[input[i]]) & 0x1FFF;
        bits += 5;
        if (bits >= 8) {
            bits -= 8;
            output[produced++] = uint8_t(buffer >> bits);
        }
    }
    return produced;
}

uint64_t base32_decoder_buffer_size(uint64_t n)
{
    if (n == 0 || n % 8 != 0)
        return 0;
    return n * 8 / 5;
}

namespace MTools {

QString Base32::codeQByteArray(const QByteArray& data)
{
    const uint64_t size = base32_encoder_buffer_size(uint64_t(data.size()));
    if (size >= uint64_t(std::numeric_limits<int>::max()))
        return QString();
    QByteArray buffer(int(size + 1), '\0');
    base32_encode(reinterpret_cast<uint8_t*>(buffer.data()), size, reinterpret_cast<const uint8_t*>(data.constData()),
                  uint64_t(data.size()));
    return QString::fromLatin1(buffer.constData());
}

QByteArray Base32::decodeQByteArray(const QString& text)
{
    const QByteArray latin = text.toLatin1();
    const uint64_t size = base32_decoder_buffer_size(uint64_t(latin.size()));
    if (size == 0)
        return QByteArray();
    QByteArray buffer(int(size + 1), '\0');
    const uint64_t produced =
        base32_decode(reinterpret_cast<uint8_t*>(buffer.data()), size,
                      reinterpret_cast<const uint8_t*>(latin.constData()), uint64_t(latin.size()));
    buffer.truncate(int(produced));
    return buffer;
}

QString Base32::codeLatin1(const QString& str) { return codeQByteArray(str.toLatin1()); }

QString Base32::decodeLatin1(const QString& text)
{
    const QByteArray bytes = decodeQByteArray(text);
    return QString::fromLatin1(bytes.constData(), int(qstrnlen(bytes.constData(), uint(bytes.size()))));
}

} // namespace MTools

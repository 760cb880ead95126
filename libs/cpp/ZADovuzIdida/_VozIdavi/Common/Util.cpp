#include <ZADovuzIdida/_VozIdavi/Common/Util.h>

#include <QtEndian>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace ZADovuzIdida {

namespace {

const float kScale31 = 1.0f / 2147483648.0f;

// Clipped and truncated; NaN gives silence.
inline int clipTruncate(float product, float lowest, float highest, int silence)
{
    if (std::isnan(product))
        return silence;
    if (product < lowest)
        product = lowest;
    if (product > highest)
        product = highest;
    return static_cast<int>(product);
}

template <typename Convert> inline void floatToInt(const float* in, int* out, int n, Convert convert)
{
    for (int i = n - 1; i >= 0; --i)
        out[i] = convert(in[i]);
}

// The low bits of a sample moved to the top of a 32-bit word, as a float in [-1, 1].
inline float topToFloat(std::uint32_t top) { return static_cast<float>(static_cast<std::int32_t>(top)) * kScale31; }

template <int Bits, bool Unsigned> inline void intToFloat(const int* in, float* out, int n)
{
    for (int i = n - 1; i >= 0; --i) {
        std::uint32_t top = static_cast<std::uint32_t>(in[i]) << (32 - Bits);
        if (Unsigned)
            top ^= 0x80000000u;
        out[i] = topToFloat(top);
    }
}

inline unsigned char byteAt(const char* p, int i) { return static_cast<unsigned char>(p[i]); }

// The value of `width` bytes at p, least significant first when littleEndian.
inline std::uint32_t rawValue(const char* p, int width, bool littleEndian)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | byteAt(p, littleEndian ? width - 1 - i : i);
    return value;
}

inline void storeRaw(std::uint32_t value, char* p, int width, bool littleEndian)
{
    for (int i = 0; i < width; ++i)
        p[littleEndian ? i : width - 1 - i] = static_cast<char>((value >> (8 * i)) & 0xFFu);
}

template <int Width> inline void intToRaw(const int* in, char* out, int nBytes, bool littleEndian)
{
    const int n = nBytes / Width;
    for (int i = 0; i < n; ++i)
        storeRaw(static_cast<std::uint32_t>(in[i]), out + i * Width, Width, littleEndian);
}

template <int Width> inline void rawToInt(const char* in, int* out, int n, bool littleEndian)
{
    for (int i = n - 1; i >= 0; --i)
        out[i] = static_cast<int>(rawValue(in + i * Width, Width, littleEndian));
}

} // namespace

int Util::convertFloatTo8(const float* in, int* out, int n)
{
    floatToInt(in, out, n, [](float x) { return clipTruncate(x * 128.0f, -127.0f, 127.0f, 0); });
    return 0;
}

int Util::convertFloatTo16(const float* in, int* out, int n)
{
    floatToInt(in, out, n, [](float x) { return clipTruncate(x * 32768.0f, -32767.0f, 32767.0f, 0); });
    return 0;
}

int Util::convertFloatToShort16(const float* in, short* out, int n)
{
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<short>(clipTruncate(in[i] * 32768.0f, -32767.0f, 32767.0f, 0));
    return 0;
}

int Util::convertFloatTo24(const float* in, int* out, int n)
{
    floatToInt(in, out, n, [](float x) { return clipTruncate(x * 8388608.0f, -8388607.0f, 8388607.0f, 0); });
    return 0;
}

int Util::convertFloatTo32(const float* in, int* out, int n)
{
    // 2147483647 is not a float: compare against 2^31 and saturate instead of casting.
    floatToInt(in, out, n, [](float x) {
        const float product = x * 2147483648.0f;
        if (std::isnan(product))
            return 0;
        if (product >= 2147483648.0f)
            return INT_MAX;
        if (product <= -2147483648.0f)
            return INT_MIN;
        return static_cast<int>(product);
    });
    return 0;
}

int Util::convertFloatTo8U(const float* in, int* out, int n)
{
    floatToInt(in, out, n, [](float x) { return clipTruncate((x + 1.0f) * 128.0f, 0.0f, 255.0f, 128); });
    return 0;
}

int Util::convertFloatTo16U(const float* in, int* out, int n)
{
    floatToInt(in, out, n, [](float x) { return clipTruncate((x + 1.0f) * 32768.0f, 0.0f, 65535.0f, 32768); });
    return 0;
}

int Util::convertFloatTo24U(const float* in, int* out, int n)
{
    floatToInt(in, out, n, [](float x) { return clipTruncate((x + 1.0f) * 8388608.0f, 0.0f, 16777215.0f, 8388608); });
    return 0;
}

int Util::convert8ToFloat(const int* in, float* out, int n)
{
    intToFloat<8, false>(in, out, n);
    return 0;
}

int Util::convert16ToFloat(const int* in, float* out, int n)
{
    intToFloat<16, false>(in, out, n);
    return 0;
}

int Util::convert24ToFloat(const int* in, float* out, int n)
{
    intToFloat<24, false>(in, out, n);
    return 0;
}

int Util::convert32ToFloat(const int* in, float* out, int n)
{
    intToFloat<32, false>(in, out, n);
    return 0;
}

int Util::convert8UToFloat(const int* in, float* out, int n)
{
    intToFloat<8, true>(in, out, n);
    return 0;
}

int Util::convert16UToFloat(const int* in, float* out, int n)
{
    intToFloat<16, true>(in, out, n);
    return 0;
}

int Util::convert24UToFloat(const int* in, float* out, int n)
{
    intToFloat<24, true>(in, out, n);
    return 0;
}

int Util::convert32UToFloat(const int* in, float* out, int n)
{
    intToFloat<32, true>(in, out, n);
    return 0;
}

int Util::convert8UToRaw(const int* in, char* out, int n)
{
    intToRaw<1>(in, out, n, true);
    return 0;
}

int Util::convert16ToRaw(const int* in, char* out, int nBytes, bool littleEndian)
{
    intToRaw<2>(in, out, nBytes, littleEndian);
    return 0;
}

int Util::convert24ToRaw(const int* in, char* out, int nBytes)
{
    intToRaw<3>(in, out, nBytes, true);
    return 0;
}

int Util::convert32ToRaw(const int* in, char* out, int nBytes, bool littleEndian)
{
    intToRaw<4>(in, out, nBytes, littleEndian);
    return 0;
}

int Util::convertRawTo8U(const char* in, int* out, int n)
{
    rawToInt<1>(in, out, n, true);
    return 0;
}

int Util::convertRawTo16U(const char* in, int* out, int n, bool littleEndian)
{
    rawToInt<2>(in, out, n, littleEndian);
    return 0;
}

int Util::convertRawTo24U(const char* in, int* out, int n, bool littleEndian)
{
    rawToInt<3>(in, out, n, littleEndian);
    return 0;
}

int Util::convertRawTo32U(const char* in, int* out, int n, bool littleEndian)
{
    rawToInt<4>(in, out, n, littleEndian);
    return 0;
}

int Util::convertRaw16ToFloat(const char* in, float* out, int n, bool littleEndian)
{
    // Apart buffers of little-endian values, the usual case, in a loop the compiler can vectorize; the same values.
    const char* outBytes = reinterpret_cast<const char*>(out);
    if (littleEndian && (outBytes + 4 * qint64(n) <= in || in + 2 * qint64(n) <= outBytes)) {
        for (int i = 0; i < n; ++i) {
            const qint16 value = qFromLittleEndian<qint16>(in + 2 * i);
            out[i] = topToFloat(std::uint32_t(std::int32_t(value)) << 16);
        }
        return 0;
    }
    for (int i = n - 1; i >= 0; --i)
        out[i] = topToFloat(rawValue(in + 2 * i, 2, littleEndian) << 16);
    return 0;
}

int Util::convertRaw24ToFloat(const char* in, float* out, int n, bool littleEndian)
{
    for (int i = n - 1; i >= 0; --i)
        out[i] = topToFloat(rawValue(in + 3 * i, 3, littleEndian) << 8);
    return 0;
}

int Util::convertRaw32ToFloat(const char* in, float* out, int n, bool littleEndian)
{
    for (int i = n - 1; i >= 0; --i)
        out[i] = topToFloat(rawValue(in + 4 * i, 4, littleEndian));
    return 0;
}

int Util::convertFloatToFloat32(const float* in, void* out, int n, bool littleEndian)
{
    if (n < 1)
        return 0;
    char* bytes = static_cast<char*>(out);
    for (int i = 0; i < n; ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, in + i, 4);
        storeRaw(bits, bytes + 4 * i, 4, littleEndian);
    }
    return 0;
}

double Util::convertFromIeeeExtended(const char* bytes)
{
    const int exponent = ((byteAt(bytes, 0) & 0x7F) << 8) | byteAt(bytes, 1);
    const std::uint32_t hiMantissa = rawValue(bytes + 2, 4, false);
    const std::uint32_t loMantissa = rawValue(bytes + 6, 4, false);
    double result;
    if (exponent == 0 && hiMantissa == 0 && loMantissa == 0)
        result = 0.0;
    else if (exponent == 0x7FFF)
        result = HUGE_VAL;
    else
        result = std::ldexp(static_cast<double>(hiMantissa), exponent - 16383 - 31) +
                 std::ldexp(static_cast<double>(loMantissa), exponent - 16383 - 63);
    return (byteAt(bytes, 0) & 0x80) ? -result : result;
}

} // namespace ZADovuzIdida

// Conversions of PCM samples between normalised floats, integers and packed raw bytes.
#pragma once

namespace ZADovuzIdida {

// Every sample conversion returns 0 and does nothing for a count below 1.
// Counts are samples (all channels together), except convert16/24/32ToRaw, which take output bytes
// and write whole samples only. Float/int conversions and raw-to-int/float conversions walk from
// the last sample to the first, so they may run in place (also when widening, e.g. 1 to 4 bytes).
// Float to integer: the product is clipped, then truncated toward zero; NaN gives silence.
class Util
{
public:
    static int convertFloatTo8(const float* in, int* out, int n);
    static int convertFloatTo16(const float* in, int* out, int n);
    // Not in place.
    static int convertFloatToShort16(const float* in, short* out, int n);
    static int convertFloatTo24(const float* in, int* out, int n);
    static int convertFloatTo32(const float* in, int* out, int n);
    static int convertFloatTo8U(const float* in, int* out, int n);
    static int convertFloatTo16U(const float* in, int* out, int n);
    static int convertFloatTo24U(const float* in, int* out, int n);

    static int convert8ToFloat(const int* in, float* out, int n);
    static int convert16ToFloat(const int* in, float* out, int n);
    static int convert24ToFloat(const int* in, float* out, int n);
    static int convert32ToFloat(const int* in, float* out, int n);
    static int convert8UToFloat(const int* in, float* out, int n);
    static int convert16UToFloat(const int* in, float* out, int n);
    static int convert24UToFloat(const int* in, float* out, int n);
    static int convert32UToFloat(const int* in, float* out, int n);

    static int convert8UToRaw(const int* in, char* out, int n);
    static int convert16ToRaw(const int* in, char* out, int nBytes, bool littleEndian);
    // Always least significant byte first.
    static int convert24ToRaw(const int* in, char* out, int nBytes);
    static int convert32ToRaw(const int* in, char* out, int nBytes, bool littleEndian);

    static int convertRawTo8U(const char* in, int* out, int n);
    static int convertRawTo16U(const char* in, int* out, int n, bool littleEndian);
    static int convertRawTo24U(const char* in, int* out, int n, bool littleEndian);
    static int convertRawTo32U(const char* in, int* out, int n, bool littleEndian);

    static int convertRaw16ToFloat(const char* in, float* out, int n, bool littleEndian);
    static int convertRaw24ToFloat(const char* in, float* out, int n, bool littleEndian);
    static int convertRaw32ToFloat(const char* in, float* out, int n, bool littleEndian);

    // Copies n floats; with littleEndian false each float's bytes are stored most significant first.
    static int convertFloatToFloat32(const float* in, void* out, int n, bool littleEndian);

    // A 10-byte IEEE 754 extended number, most significant byte first (the AIFF sample rate field).
    static double convertFromIeeeExtended(const char* bytes);
};

} // namespace ZADovuzIdida

// Byte-order helpers and endian-aware reads and writes of header fields on a C stream.
#pragma once

#include <cstdio>

namespace ZADovuzIdida {

// swap false: the value is stored least significant byte first; true: most significant byte first.
// Reads return 0 when the stream ends before the value is complete (see feof/ferror);
// writes return the number of items written, 1 or 0.
class FileUtil
{
public:
    static unsigned int swapL(unsigned int value);
    static unsigned short swapS(unsigned short value);
    static unsigned long long swapLL(unsigned long long value);

    static unsigned char readB(FILE* file);
    static unsigned short readS(FILE* file, bool swap);
    static unsigned int readL(FILE* file, bool swap);
    static unsigned long long readLL(FILE* file, bool swap);

    static int writeB(unsigned char value, FILE* file);
    static int writeS(unsigned short value, FILE* file, bool swap);
    static int writeL(unsigned int value, FILE* file, bool swap);
    static int writeLL(unsigned long long value, FILE* file, bool swap);

private:
    static unsigned long long readBytes(FILE* file, int count, bool swap);
    static int writeBytes(unsigned long long value, int count, FILE* file, bool swap);
};

} // namespace ZADovuzIdida

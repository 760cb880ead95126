#include <ZADovuzIdida/_VozIdavi/Common/FileUtil.h>

namespace ZADovuzIdida {

unsigned int FileUtil::swapL(unsigned int value)
{
    return ((value & 0xFFu) << 24) | ((value & 0xFF00u) << 8) | ((value >> 8) & 0xFF00u) | (value >> 24);
}

unsigned short FileUtil::swapS(unsigned short value)
{
    return static_cast<unsigned short>(((value & 0xFFu) << 8) | (value >> 8));
}

unsigned long long FileUtil::swapLL(unsigned long long value)
{
    return (static_cast<unsigned long long>(swapL(static_cast<unsigned int>(value))) << 32) |
           swapL(static_cast<unsigned int>(value >> 32));
}

unsigned long long FileUtil::readBytes(FILE* file, int count, bool swap)
{
    unsigned char bytes[8];
    if (!file || fread(bytes, 1, count, file) != static_cast<size_t>(count))
        return 0;
    unsigned long long value = 0;
    for (int i = 0; i < count; ++i) {
        const int index = swap ? i : count - 1 - i;
        value = (value << 8) | bytes[index];
    }
    return value;
}

int FileUtil::writeBytes(unsigned long long value, int count, FILE* file, bool swap)
{
    unsigned char bytes[8];
    for (int i = 0; i < count; ++i) {
        const int index = swap ? count - 1 - i : i;
        bytes[index] = static_cast<unsigned char>(value >> (8 * i));
    }
    if (!file)
        return 0;
    return fwrite(bytes, count, 1, file) == 1 ? 1 : 0;
}

unsigned char FileUtil::readB(FILE* file) { return static_cast<unsigned char>(readBytes(file, 1, false)); }

unsigned short FileUtil::readS(FILE* file, bool swap) { return static_cast<unsigned short>(readBytes(file, 2, swap)); }

unsigned int FileUtil::readL(FILE* file, bool swap) { return static_cast<unsigned int>(readBytes(file, 4, swap)); }

unsigned long long FileUtil::readLL(FILE* file, bool swap) { return readBytes(file, 8, swap); }

int FileUtil::writeB(unsigned char value, FILE* file) { return writeBytes(value, 1, file, false); }

int FileUtil::writeS(unsigned short value, FILE* file, bool swap) { return writeBytes(value, 2, file, swap); }

int FileUtil::writeL(unsigned int value, FILE* file, bool swap) { return writeBytes(value, 4, file, swap); }

int FileUtil::writeLL(unsigned long long value, FILE* file, bool swap) { return writeBytes(value, 8, file, swap); }

} // namespace ZADovuzIdida

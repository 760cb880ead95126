#include "MediaStatus.h"

extern "C" {
#include <libavutil/error.h>
}

namespace ZADovuzIdida {

QString statusMessage(int status, const char* operation)
{
    const unsigned value = unsigned(status);
    char tag[4];
    bool printable = true;
    for (int i = 0; i < 4; ++i) {
        tag[i] = char((value >> (24 - 8 * i)) & 0xff);
        printable = printable && tag[i] >= 0x20 && tag[i] < 0x7f;
    }
    QString message = QString::number(status) + " : " + QString::fromUtf8(operation) + " ";
    if (printable) {
        message += "'" + QString::fromLatin1(tag, 4) + "'";
    } else {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(status, text, sizeof text);
        message += "(" + QString::fromUtf8(text) + ")";
    }
    return message;
}

} // namespace ZADovuzIdida

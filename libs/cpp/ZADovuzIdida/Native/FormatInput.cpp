#include "FormatInput.h"

#include <QString>

extern "C" {
#include <libavformat/avformat.h>
}

namespace ZADovuzIdida {

FormatInput::FormatInput(const QString& path)
{
    if (path.isEmpty())
        return;
    if (avformat_open_input(&m_pFormat, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return;
    if (avformat_find_stream_info(m_pFormat, nullptr) < 0)
        avformat_close_input(&m_pFormat);
}

FormatInput::~FormatInput() { avformat_close_input(&m_pFormat); }

} // namespace ZADovuzIdida

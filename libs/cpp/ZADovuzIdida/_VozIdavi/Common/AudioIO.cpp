#include <ZADovuzIdida/_VozIdavi/Common/AudioIO.h>

#include <QDebug>

namespace ZADovuzIdida {

AudioIO::AudioIO() : m_settings(48000, 2, 1, 16) {}

void AudioIO::dump() const { qDebug() << "AudioIO"; }

} // namespace ZADovuzIdida

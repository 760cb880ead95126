// Polymorphic root of every audio output, input and raw buffer: holds the stream settings.
#pragma once

#include <ZADovuzIdida/_VozIdavi/Common/Settings.h>

#include <QString>

namespace ZADovuzIdida {

class AudioIO
{
public:
    AudioIO();
    virtual ~AudioIO() = default;

    virtual const Settings& settings() const { return m_settings; }
    virtual void setSettings(const Settings& settings) { m_settings = settings; }
    virtual void dump() const;
    virtual QString name() const { return QStringLiteral("AudioIO"); }

protected:
    AudioIO(const AudioIO& other) = default;
    AudioIO& operator=(const AudioIO& other) = default;

private:
    Settings m_settings;
};

} // namespace ZADovuzIdida

// Process-wide parameters of the production audio files belong to (frame rate, rate, bits, project).
#pragma once

#include <QString>

namespace ZADovuzIdida {

class ProductionParameters
{
public:
    // The one instance, made with the defaults on first use and never deleted.
    static ProductionParameters* instance();

    void setFPS(float fps) { m_fFps = fps; }
    void setSampleRate(int sampleRate) { m_nSampleRate = sampleRate; }
    void setBitsPerSample(int bitsPerSample) { m_nBitsPerSample = bitsPerSample; }
    void setProjectName(const QString& projectName) { m_strProjectName = projectName; }

    float fps() const { return m_fFps; }
    int sampleRate() const { return m_nSampleRate; }
    int bitsPerSample() const { return m_nBitsPerSample; }
    QString projectName() const { return m_strProjectName; }

    void dump() const;

private:
    ProductionParameters() = default;

    float m_fFps = 30.0f;
    int m_nSampleRate = 48000;
    int m_nBitsPerSample = 24;
    QString m_strProjectName;
};

// Short ways to read the production parameters.
class Production
{
public:
    static float fps() { return ProductionParameters::instance()->fps(); }
    static int sampleRate() { return ProductionParameters::instance()->sampleRate(); }
    static int bitsPerSample() { return ProductionParameters::instance()->bitsPerSample(); }
    static QString projectName() { return ProductionParameters::instance()->projectName(); }
};

} // namespace ZADovuzIdida

#include <ZADovuzIdida/_VozIdavi/Common/ProductionParameters.h>

#include <QDebug>

namespace ZADovuzIdida {

ProductionParameters* ProductionParameters::instance()
{
    static ProductionParameters* const pInstance = new ProductionParameters;
    return pInstance;
}

void ProductionParameters::dump() const
{
    qDebug() << "---Production Parameters Begin ---";
    qDebug() << "Fps:" << m_fFps;
    qDebug() << "SampleRate:" << m_nSampleRate;
    qDebug() << "BitsPerSample:" << m_nBitsPerSample;
    qDebug() << "ProjectName:" << m_strProjectName;
    qDebug() << "---Production Parameters End ---";
}

} // namespace ZADovuzIdida

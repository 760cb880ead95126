#include "App.h"

#include <QMutexLocker>
#include <QSettings>

namespace VUVararer {

QSettings* App::settings() { return m_pSettings; }

QString App::storedKey(const QString& key) const
{
    if (m_bOldSettingsMode)
        return key;
    return QCoreApplication::applicationName() + QLatin1Char('/') + key;
}

QVariant App::settingsValue(const QString& key, const QVariant& defaultValue)
{
    QMutexLocker lock(&m_mtxSettings);
    return m_pSettings->value(storedKey(key), defaultValue);
}

void App::setSettingsValue(const QString& key, const QVariant& value)
{
    QMutexLocker lock(&m_mtxSettings);
    m_pSettings->setValue(storedKey(key), value);
}

void App::setOldSettingsMode(bool bOld)
{
    QMutexLocker lock(&m_mtxSettings);
    m_bOldSettingsMode = bOld;
}

void App::settingsBeginGroup(const QString& prefix)
{
    QMutexLocker lock(&m_mtxSettings);
    m_pSettings->beginGroup(prefix);
}

void App::settingsEndGroup()
{
    QMutexLocker lock(&m_mtxSettings);
    m_pSettings->endGroup();
}

QStringList App::settingsChildKeys()
{
    QMutexLocker lock(&m_mtxSettings);
    return m_pSettings->childKeys();
}

} // namespace VUVararer

#include "TranslationsManager.h"

#include "App.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace VUVararer {

TranslationsManager* TranslationsManager::m_pUniqueInstance = nullptr;

TranslationsManager* TranslationsManager::instance()
{
    if (!m_pUniqueInstance)
        m_pUniqueInstance = new TranslationsManager();
    return m_pUniqueInstance;
}

void TranslationsManager::resetInstance()
{
    delete m_pUniqueInstance;
    m_pUniqueInstance = nullptr;
}

TranslationsManager::TranslationsManager()
    : m_pQtTranslator(new QTranslator(this)), m_pLibsTranslator(new QTranslator(this)),
      m_pAppTranslator(new QTranslator(this))
{
    const QString strStored =
        App::theApp()->settingsValue(QStringLiteral("Language"), QLocale::system().name()).toString();
    setTranslation(languageForSetting(strStored));
}

QString TranslationsManager::languageForSetting(const QString& strStored)
{
    static const char* const codes[] = {"de", "ru", "fr",    "nl",    "it", "pt", "es",
                                        "ko", "ja", "zh_CN", "zh_TW", "hi", "ar"};
    for (const char* pszCode : codes) {
        if (strStored.contains(QLatin1String(pszCode)))
            return QString::fromLatin1(pszCode);
    }
    return QStringLiteral("en");
}

void TranslationsManager::setTranslation(const QString& language)
{
    QCoreApplication::removeTranslator(m_pQtTranslator);
    QCoreApplication::removeTranslator(m_pLibsTranslator);
    QCoreApplication::removeTranslator(m_pAppTranslator);

    if (language != QLatin1String("en")) {
        // Qt's own catalogues come from the system when the resources carry none.
        if (!m_pQtTranslator->load(QStringLiteral(":/") + m_strQtTranslationsBase + QStringLiteral("Translations/qt_") +
                                   language))
            m_pQtTranslator->load(QStringLiteral("qtbase_") + language,
                                  QLibraryInfo::location(QLibraryInfo::TranslationsPath));
        m_pLibsTranslator->load(QStringLiteral(":/") + m_strLibsTranslationsBase +
                                QStringLiteral("/Translations/libs_") + language);
        m_pAppTranslator->load(QStringLiteral(":/") + m_strAppTranslationsBase + QStringLiteral("Translations/") +
                               QCoreApplication::applicationName() + QLatin1Char('_') + language);
        QCoreApplication::installTranslator(m_pQtTranslator);
        QCoreApplication::installTranslator(m_pLibsTranslator);
        QCoreApplication::installTranslator(m_pAppTranslator);
    }

    m_strCurrentLanguage = language;
    QGuiApplication::setLayoutDirection(language == QLatin1String("ar") ? Qt::RightToLeft : Qt::LeftToRight);
    App::theApp()->setSettingsValue(QStringLiteral("Language"), language);
    App::theApp()->setCurrentLanguage(language);
}

void TranslationsManager::retranslate() { setTranslation(currentLanguage()); }

QString TranslationsManager::currentLanguage() const { return m_strCurrentLanguage; }

void TranslationsManager::setQtTranslationsBase(const QString& strBase) { m_strQtTranslationsBase = strBase; }

void TranslationsManager::setAppTranslationsBase(const QString& strBase) { m_strAppTranslationsBase = strBase; }

void TranslationsManager::setLibsTranslationsBase(const QString& strBase) { m_strLibsTranslationsBase = strBase; }

} // namespace VUVararer

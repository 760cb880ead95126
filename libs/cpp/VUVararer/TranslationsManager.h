#pragma once
// Chooses the user-interface language once per process and keeps the Qt, library and application translators.

#include <QObject>
#include <QString>

class QTranslator;

namespace VUVararer {

class TranslationsManager : public QObject
{
    Q_OBJECT

public:
    // The single instance, created on the first call; needs the application object.
    static TranslationsManager* instance();

    // Installs the translators of the language code ("en" installs none) and stores the choice.
    void setTranslation(const QString& language);
    void retranslate();
    QString currentLanguage() const;

    // Each base goes between ":/" and the fixed rest of its file name; used from the next setTranslation.
    void setQtTranslationsBase(const QString& strBase);
    void setAppTranslationsBase(const QString& strBase);
    void setLibsTranslationsBase(const QString& strBase);

    // Language code for a stored "Language" value: the first supported code it contains, else "en".
    static QString languageForSetting(const QString& strStored);

protected:
    // Test seam: drops the instance so the next instance() chooses again.
    static void resetInstance();

private:
    TranslationsManager();

    QTranslator* m_pQtTranslator;
    QTranslator* m_pLibsTranslator;
    QTranslator* m_pAppTranslator;
    QString m_strCurrentLanguage;
    QString m_strAppTranslationsBase;
    QString m_strLibsTranslationsBase;
    QString m_strQtTranslationsBase;

    static TranslationsManager* m_pUniqueInstance;
};

} // namespace VUVararer

// Shrinks JavaScript source by removing comments and unneeded white space.
#pragma once

#include <QString>

namespace MTools {

class JSMinimizer
{
public:
    JSMinimizer();

    // Minimises source on a fresh object.
    static QString minimize(const QString& strSource);
    // Minimises source; each call starts from a clean state and returns only its own result.
    QString minimizeJSCode(const QString& strSource);

private:
    void minimizeInternal();
    int getci();
    int putci(int c);
    static void error(const char* pszMessage);
    static bool isAlphanum(int c);
    int get();
    int peek();
    int next();
    void action(int d);

    QString m_strOutput;
    QString m_strInput;
    qint32 m_nPos = 0;

    // Scan registers: characters as UTF-16 code units, -1 for the end of the input.
    qint32 m_nTheA = 0;
    qint32 m_nTheB = 0;
    qint32 m_nTheLookahead = -1;
    qint32 m_nTheX = -1;
    qint32 m_nTheY = -1;
};

} // namespace MTools

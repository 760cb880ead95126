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
    // Minimises source and returns everything this object has emitted so far, earlier runs included.
    // The scan state is shared by all objects: only one run may be in progress in the process.
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

    static qint32 sm_theA;
    static qint32 sm_theB;
    static qint32 sm_theLookahead;
    static qint32 sm_theX;
    static qint32 sm_theY;
};

} // namespace MTools

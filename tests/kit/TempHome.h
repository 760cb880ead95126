#pragma once
// A private, temporary HOME with its own XDG folders, set up before any Qt object reads the environment.

#include <QByteArray>

namespace TestKit {

class TempHome
{
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    // Absolute path of the temporary home, without a trailing "/".
    QByteArray path() const { return m_baPath; }

private:
    QByteArray m_baPath;
};

} // namespace TestKit

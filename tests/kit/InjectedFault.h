#pragma once
// Makes the encoder tools (afconvert) started while it lives fail one system call, through a library preloaded into
// them (faults/FaultShim.cpp names the faults).

#include <QByteArray>

namespace TestKit {

class InjectedFault
{
public:
    explicit InjectedFault(const QByteArray& fault);
    ~InjectedFault();
    InjectedFault(const InjectedFault&) = delete;
    InjectedFault& operator=(const InjectedFault&) = delete;

private:
    QByteArray m_baPreload;
    bool m_bHadPreload;
};

} // namespace TestKit

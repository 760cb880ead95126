#include "InjectedFault.h"

namespace TestKit {

InjectedFault::InjectedFault(const QByteArray& fault)
    : m_baPreload(qgetenv("LD_PRELOAD")), m_bHadPreload(qEnvironmentVariableIsSet("LD_PRELOAD"))
{
    qputenv("TRELVANIC_FAULT", fault);
    qputenv("LD_PRELOAD", TESTKIT_FAULTS_PRELOAD);
}

InjectedFault::~InjectedFault()
{
    qunsetenv("TRELVANIC_FAULT");
    if (m_bHadPreload)
        qputenv("LD_PRELOAD", m_baPreload);
    else
        qunsetenv("LD_PRELOAD");
}

} // namespace TestKit

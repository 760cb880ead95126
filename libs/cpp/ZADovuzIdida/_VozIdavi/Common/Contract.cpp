#include <ZADovuzIdida/_VozIdavi/Common/Contract.h>

#include <QtGlobal>

namespace ZADovuzIdida {

void contractFailed(const char* szOperation, const char* szFile, const char* szCondition)
{
    qFatal("ASSERT failure in %s: \"%s\", file %s", szOperation, szCondition, szFile);
    abort();
}

} // namespace ZADovuzIdida

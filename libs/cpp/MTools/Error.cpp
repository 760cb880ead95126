#include <MTools/Error.h>

#include <cstring>

namespace MTools {

Error::Error(const char* szMessage) : m_strMessage(szMessage, szMessage ? std::strlen(szMessage) : 0) {}

Error::Error(const MString& strMessage) : m_strMessage(strMessage) {}

const MString& Error::message() const { return m_strMessage; }

} // namespace MTools

// Exception of the utility library: one byte-string message, thrown by value.
#pragma once

#include <MTools/MString.h>

namespace MTools {

class Error
{
public:
    explicit Error(const char* szMessage);
    explicit Error(const MString& strMessage);

    const MString& message() const;

private:
    MString m_strMessage;
};

} // namespace MTools

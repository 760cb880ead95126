// Regular expressions shared by input fields.
#pragma once

#include <QRegExp>

namespace MTools {

class RegExps
{
public:
    // Case-sensitive e-mail pattern; callers choose exact or partial matching.
    static QRegExp email();
};

} // namespace MTools

#pragma once
// A small style object: a style-sheet text for subclasses and a size unit that follows the screen.

#include <QObject>
#include <QString>

namespace VUVararer {

class CommonStyle : public QObject
{
    Q_OBJECT

public:
    explicit CommonStyle(QObject* parent = nullptr) : QObject(parent) {}

    // Empty here; subclasses return their style sheet.
    virtual QString cssStyle() const;
    // The smallest desktop dimension divided by divisor, truncated.
    static int sdp(float divisor);
};

} // namespace VUVararer

#include "RefusedCalls.h"

#include <QFile>
#include <QRegularExpression>

namespace TestKit {

QStringList refusedCalls(const QString& folder, const QMap<QString, int>& calls)
{
    QStringList refusals;
    for (auto it = calls.begin(); it != calls.end(); ++it)
        refusals << it.key() + '=' + QString::number(it.value());
    // AddressSanitizer's runtime, when this process has it, must come first in the list.
    QString preload = TESTKIT_REFUSED_CALLS;
    QFile maps("/proc/self/maps");
    if (maps.open(QIODevice::ReadOnly)) {
        const QRegularExpressionMatch asan =
            QRegularExpression("\\s(/\\S*/libasan\\.so[.\\d]*)$", QRegularExpression::MultilineOption)
                .match(QString::fromLocal8Bit(maps.readAll()));
        if (asan.hasMatch())
            preload = asan.captured(1) + ':' + preload;
    }
    return {"LD_PRELOAD=" + preload, "TESTKIT_REFUSED_CALLS=" + refusals.join(','), "TESTKIT_REFUSED_UNDER=" + folder};
}

} // namespace TestKit

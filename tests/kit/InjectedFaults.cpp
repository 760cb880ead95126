#include "InjectedFaults.h"

#include <QTest>

#include <cerrno>

namespace TestKit {

namespace {

// The environment entries of the faults, without their scope.
QStringList environment(const Faults& faults)
{
    QStringList entries;
    for (auto it = faults.begin(); it != faults.end(); ++it)
        entries << it.key() + '=' + QString::number(it.value());
    return {QString("LD_PRELOAD=") + TESTKIT_FAULTS_PRELOAD, "TESTKIT_FAULTS=" + entries.join(',')};
}

} // namespace

QStringList refusedCalls(const QString& folder, const Faults& faults)
{
    return environment(faults) << "TESTKIT_FAULTS_UNDER=" + folder;
}

Faults modeRefused(int error) { return {{"chmod", error}, {"fchmod", error}, {"fchmodat", error}}; }

void addModeRefusedRows()
{
    QTest::addColumn<int>("error");
    QTest::newRow("not implemented") << ENOSYS;
    QTest::newRow("not permitted") << EPERM;
}

InjectedFault::InjectedFault(const Faults& faults, const QString& program)
{
    const QStringList entries = environment(faults) << "TESTKIT_FAULTS_PROGRAM=" + program;
    for (const QString& entry : entries) {
        const QByteArray name = entry.section('=', 0, 0).toLocal8Bit();
        m_lstSaved.append({name, qEnvironmentVariableIsSet(name.constData())
                                     ? std::optional<QByteArray>(qgetenv(name.constData()))
                                     : std::nullopt});
        qputenv(name.constData(), entry.section('=', 1).toLocal8Bit());
    }
}

InjectedFault::~InjectedFault()
{
    for (const auto& [name, value] : m_lstSaved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

} // namespace TestKit

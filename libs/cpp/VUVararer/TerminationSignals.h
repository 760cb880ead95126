#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a queued Qt signal on the GUI thread (self-pipe and socket notifier).

#include <QObject>

class QSocketNotifier;

namespace VUVararer {

class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // Installs the handlers; one object per process, the handlers fall back to the default when it goes.
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    // Each arriving signal, with its number.
    void terminationRequested(int signalNumber);

private slots:
    void slotReadSignal();

private:
    QSocketNotifier* m_pNotifier = nullptr;
};

} // namespace VUVararer

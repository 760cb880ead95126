#include "TestMain.h"

#include <VUVararer/App.h>
#include <VUVararer/TerminationSignals.h>

#include <QSignalSpy>
#include <QtTest>

#include <csignal>

class TestTerminationSignals : public QObject
{
    Q_OBJECT

private slots:
    void testSignalsArriveAsQtSignals()
    {
        VUVararer::TerminationSignals termination;
        QSignalSpy spy(&termination, SIGNAL(terminationRequested(int)));
        for (int signalNumber : {SIGHUP, SIGINT, SIGTERM})
            QVERIFY(::raise(signalNumber) == 0);
        QTRY_COMPARE(spy.count(), 3);
        QCOMPARE(spy.at(0).at(0).toInt(), int(SIGHUP));
        QCOMPARE(spy.at(2).at(0).toInt(), int(SIGTERM));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestTerminationSignals)
#include "tst_terminationsignals.moc"

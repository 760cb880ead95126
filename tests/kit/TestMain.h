#pragma once
// main() for a test suite: a private temporary home, then the application object, then the test class.

#include "TempHome.h"

#include <QApplication>
#include <QtTest>

namespace TestKit {

template <class Application, class Suite> int runSuite(int argc, char** argv)
{
    TempHome home;
    int exitCode = 0;
    {
        Application app(argc, argv);
        app.setAttribute(Qt::AA_Use96Dpi, true);
        Suite suite;
        exitCode = QTest::qExec(&suite, argc, argv);
    }
    return exitCode;
}

} // namespace TestKit

// A suite that runs under a plain QApplication.
#define TRELVANIC_TEST_MAIN(Suite)                                                                                     \
    int main(int argc, char** argv) { return TestKit::runSuite<QApplication, Suite>(argc, argv); }

// A suite that runs under the given application class (for example the frame's application object).
#define TRELVANIC_TEST_MAIN_APP(Application, Suite)                                                                    \
    int main(int argc, char** argv) { return TestKit::runSuite<Application, Suite>(argc, argv); }

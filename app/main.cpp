#include <gui/MainPage.h>
#include <gui/StartUp.h>

#include <VUVararer/Release/ReleaseApp.h>
#include <VUVararer/TerminationSignals.h>
#include <VUVararer/Widgets/PromoMenuBar.h>

int main(int argc, char** argv)
{
    MRelease::ReleaseApp app(argc, argv, QStringLiteral("Zembrel"), QStringLiteral("Trelvanic"));
    StartUp::configure(&app);

    MainPage page;
    // SIGTERM, SIGINT and SIGHUP end a run at once, keeping only complete results, and quit within seconds.
    VUVararer::TerminationSignals termination;
    QObject::connect(&termination, SIGNAL(terminationRequested(int)), &page, SLOT(slotCancelAndQuit()));
    page.promoMenuBar()->setupAppsMenu(QStringLiteral("audio"));
    StartUp::setupIntroduction(&app);
    app.setMainWidget(&page);
    page.setWindowTitle(QCoreApplication::applicationName());
    page.show();
    return app.exec();
}

#include <gui/MainPage.h>
#include <gui/StartUp.h>

#include <VUVararer/Release/ReleaseApp.h>
#include <VUVararer/Widgets/PromoMenuBar.h>

int main(int argc, char** argv)
{
    MRelease::ReleaseApp app(argc, argv, QStringLiteral("Zembrel"), QStringLiteral("Trelvanic"));
    StartUp::configure(&app);

    MainPage page;
    page.promoMenuBar()->setupAppsMenu(QStringLiteral("audio"));
    StartUp::setupIntroduction(&app);
    app.setMainWidget(&page);
    page.setWindowTitle(QCoreApplication::applicationName());
    page.show();
    return app.exec();
}

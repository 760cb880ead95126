#include "DialogProbe.h"
#include "TestMain.h"
#include "Tools.h"
#include "UrlRecorder.h"

#include <VUVararer/App.h>
#include <VUVararer/Endpoints.h>
#include <VUVararer/IntroductionDialog.h>
#include <VUVararer/TranslationsManager.h>

#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using TestKit::buttonWithText;
using VUVararer::App;
using VUVararer::Endpoints;
using VUVararer::HelpDialog;
using VUVararer::HelpViewArea;

namespace {

QString makeSlide(const QString& path, const QSize& size, const QColor& colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path);
    return path;
}

bool isBlack(QRgb pixel) { return qRed(pixel) < 8 && qGreen(pixel) < 8 && qBlue(pixel) < 8; }

} // namespace

class TestIntro : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QStringList m_lstSlides;

private slots:
    void initTestCase()
    {
        VUVararer::TranslationsManager::instance();
        for (const QColor& colour : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)})
            m_lstSlides << makeSlide(m_dir.path() + "/" + colour.name() + ".png", {64, 48}, colour);
    }

    void testSlideShow()
    {
        HelpDialog dialog;
        for (const QString& slide : m_lstSlides)
            dialog.addSlide(slide);
        auto* area = dialog.findChild<HelpViewArea*>();
        auto* timer = area->findChild<QTimer*>();
        QCOMPARE(timer->interval(), 5000);
        dialog.show();
        QVERIFY(buttonWithText(&dialog, "1")->isChecked() && timer->isActive());
        QStringList shown{area->display()->slide()};
        for (int i = 0; i < 3; ++i) {
            QVERIFY(QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection));
            shown << area->display()->slide();
        }
        QCOMPARE(shown, m_lstSlides + m_lstSlides.mid(0, 1));

        buttonWithText(&dialog, "2")->click();
        QCOMPARE(area->display()->slide(), m_lstSlides.at(1));
        QVERIFY(!timer->isActive());
        dialog.hide();
        dialog.show();
        QVERIFY(timer->isActive() && buttonWithText(&dialog, "2")->isChecked());

        // Started before any slide exists.
        HelpViewArea late;
        late.slotStartSlideShow();
        late.addSlide(m_lstSlides.at(2));
        late.slotShowNextSlide();
        QCOMPARE(late.display()->slide(), m_lstSlides.at(2));
    }

    void testPainting()
    {
        VUVararer::HelpDisplay display;
        display.resize(400, 400);
        QCOMPARE(display.grab().toImage().pixel(200, 200), display.palette().color(QPalette::Window).rgb());

        display.setSlide(makeSlide(m_dir.path() + "/big.png", {1600, 1200}, Qt::white));
        const QImage image = display.grab().toImage();
        for (int x : {0, 200, 399}) {
            for (int y : {0, 49, 350, 399})
                QVERIFY2(isBlack(image.pixel(x, y)), qPrintable(QString("%1,%2").arg(x).arg(y)));
            for (int y : {50, 200, 349})
                QVERIFY2(qRed(image.pixel(x, y)) > 240, qPrintable(QString("%1,%2").arg(x).arg(y)));
        }
        display.setSlide(m_dir.path() + "/missing.png");
        QVERIFY(isBlack(display.grab().toImage().pixel(200, 200)));
    }

    void testSkipButton()
    {
        HelpDialog dialog;
        dialog.show();
        QPushButton* skip = buttonWithText(&dialog, "&Always skip intro");
        QVERIFY(skip->isVisible());
        skip->click();
        QVERIFY(!dialog.isVisible() && dialog.result() == QDialog::Accepted);
        App::theApp()->settings()->sync();
        QFile ini(App::theApp()->supportDirectory(false) + "settings.plist");
        QVERIFY(ini.open(QIODevice::ReadOnly) && ini.readAll().contains("NeverShowItAgain=true"));
        QVERIFY(!HelpDialog::isShowOnStartAvailable());
        dialog.show();
        QVERIFY(!skip->isVisible());
        App::theApp()->setSettingsValue("NeverShowItAgain", false);
    }

    void testVideoFallback_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("domain");
        QTest::newRow("ru short") << "ru" << Endpoints::current().m_strVideoShortPrefix << "ru";
        QTest::newRow("en watch") << "en" << Endpoints::current().m_strVideoWatchPrefix << "org";
    }

    void testVideoFallback()
    {
        QFETCH(QString, language);
        QFETCH(QString, prefix);
        QFETCH(QString, domain);
        App* app = App::theApp();
        app->setCurrentLanguage(language);
        app->setAppSupportPage("http://support.invalid/trelvanic");
        HelpDialog dialog;
        QPushButton* video = dialog.findChild<QPushButton*>("VideoButton");
        dialog.setVideoLink("");
        app->setKidsMode(true);
        dialog.setVideoLink(prefix + "Ab12_x");
        QVERIFY(video->isHidden());
        app->setKidsMode(false);
        dialog.setVideoLink(prefix + "Ab12_x");
        QVERIFY(!video->isHidden());

        TestKit::UrlRecorder recorder;
        QList<QUrl> tried;
        dialog.setUrlOpener([&tried](const QUrl& url) {
            tried << url;
            return false;
        });
        video->click();
        QCOMPARE(tried, (QList<QUrl>{QUrl(prefix + "Ab12_x"), QUrl(Endpoints::current().videoUrl(domain, "Ab12_x"))}));
        QCOMPARE(tried.at(1).query(), QString("view=Ab12_x"));
        QCOMPARE(recorder.urls(), QList<QUrl>{QUrl("http://support.invalid/trelvanic")});
        app->setCurrentLanguage("en");
    }

    void testHelpSlotCreatesOneDialog()
    {
        App* app = App::theApp();
        QWidget main;
        app->setMainWidget(&main);
        app->setIntroductionSlides(m_lstSlides);
        app->slotHelp();
        HelpDialog* dialog = app->helpDialog();
        QVERIFY(dialog && dialog->parentWidget() == &main && dialog->isVisible());
        app->setIntroductionSlides(m_lstSlides.mid(0, 1));
        dialog->hide();
        app->slotHelp();
        QVERIFY(app->helpDialog() == dialog && dialog->isVisible());
        QCOMPARE(main.findChildren<HelpDialog*>().size(), 1);
        QCOMPARE(dialog->findChildren<QPushButton*>("HelpSlideButton").size(), 3);
        app->setMainWidget(nullptr);
    }

    void testProjectResources_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("slides");
        QTest::newRow("ru") << "ru"
                            << "ru";
        QTest::newRow("fr falls back") << "fr"
                                       << "en";
    }

    void testProjectResources()
    {
        QFETCH(QString, language);
        QFETCH(QString, slides);
        const QString folder = App::theApp()->bundleResourcePath();
        const QStringList paths = HelpDialog::slidesFor(folder, language);
        QCOMPARE(paths.size(), 8);
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(paths.at(i), folder + QString("Slide%1_%2.jpg").arg(i + 1).arg(slides));
            QCOMPARE(QImage(paths.at(i), "JPEG").size(), QSize(1024, 768));
        }
        if (language != "ru")
            return;
        // The bell, as sox reads it: mono 44.1 kHz, a few seconds, loud but not clipped.
        QStringList facts;
        for (const char* option : {"-r", "-c", "-D"})
            facts << QString::fromUtf8(TestKit::runTool("soxi", {option, folder + "bell.wav"}).out.trimmed());
        QCOMPARE(facts.mid(0, 2), (QStringList{"44100", "1"}));
        QVERIFY(facts.at(2).toDouble() > 1.0 && facts.at(2).toDouble() < 5.0);
        const QString stat = QString::fromUtf8(TestKit::runTool("sox", {folder + "bell.wav", "-n", "stat"}).err);
        const double peak = QRegularExpression("Maximum amplitude:\\s+([0-9.]+)").match(stat).captured(1).toDouble();
        QVERIFY(peak > 0.5 && peak < 1.0);
    }

    void testScreenshot()
    {
        if (TestKit::onScreen()) {
            HelpDialog dialog;
            for (const QString& slide : HelpDialog::slidesFor(App::theApp()->bundleResourcePath(), "de"))
                dialog.addSlide(slide);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::qWait(200);
            QVERIFY(dialog.grab().save(TestKit::shotFolder() + "/intro.png"));
            return;
        }
        QTemporaryDir shots;
        const QString failure = TestKit::runOnScreen("testScreenshot", QSize(800, 600), shots.path());
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const QImage image(shots.path() + "/intro.png");
        QVERIFY(image.width() >= 400 && image.height() >= 300);
        QVERIFY(TestKit::distinctColours(image) > 20);
    }
};

TRELVANIC_TEST_MAIN_APP(App, TestIntro)
#include "tst_intro.moc"

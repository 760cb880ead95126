#include "SelfRun.h"
#include "TestMain.h"
#include "Tools.h"
#include "VirtualDisplay.h"

#include <gui/MainPage.h>
#include <gui/StartUp.h>

#include <VUVararer/App.h>
#include <VUVararer/Widgets/CrossPromoCatalogue.h>
#include <VUVararer/Widgets/PromoMenuBar.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

namespace {

VUVararer::App* app() { return VUVararer::App::theApp(); }

bool hasSelector(const QString& sheet, const QString& name)
{
    return sheet.contains(QRegularExpression("#" + QRegularExpression::escape(name) + "(?![A-Za-z0-9_])"));
}

int distinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

// The geometry of the program's main window as xwininfo reports it; empty until it is mapped.
QRect mainWindowGeometry(const QString& display)
{
    QProcess xwininfo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    xwininfo.setProcessEnvironment(env);
    xwininfo.start("xwininfo", {"-root", "-tree"});
    if (!xwininfo.waitForFinished(10000))
        return QRect();
    static const QRegularExpression line(
        "\"Trelvanic\": \\(\"trelvanic\" \"Trelvanic\"\\)\\s+(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)");
    const QRegularExpressionMatch match = line.match(QString::fromLocal8Bit(xwininfo.readAllStandardOutput()));
    if (!match.hasMatch())
        return QRect();
    return QRect(match.captured(3).toInt(), match.captured(4).toInt(), match.captured(1).toInt(),
                 match.captured(2).toInt());
}

} // namespace

class TestStartUp : public QObject
{
    Q_OBJECT

private slots:
    void testIntroduction_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("used");
        QTest::newRow("en") << "en"
                            << "en";
        QTest::newRow("de") << "de"
                            << "de";
        QTest::newRow("ru") << "ru"
                            << "ru";
        QTest::newRow("fr") << "fr"
                            << "en";
        QTest::newRow("upper-case DE") << "DE"
                                       << "en";
        QTest::newRow("empty") << ""
                               << "en";
    }

    void testIntroduction()
    {
        QFETCH(QString, language);
        QFETCH(QString, used);
        QCOMPARE(StartUp::introLanguage(language), used);
        const QStringList slides = StartUp::introSlides("/res/", StartUp::introLanguage(language));
        QCOMPARE(slides.size(), 8);
        QCOMPARE(slides.first(), "/res/Slide1_" + used + ".jpg");
        QCOMPARE(slides.last(), "/res/Slide8_" + used + ".jpg");
        QCOMPARE(StartUp::introVideoLink(language), StartUp::introVideoLink(used));

        const QSet<QString> links = {StartUp::introVideoLink("en"), StartUp::introVideoLink("de"),
                                     StartUp::introVideoLink("ru")};
        QCOMPARE(links.size(), 3);
        QVERIFY(QUrl(StartUp::introVideoLink(language)).isValid());
    }

    void testConfigure()
    {
        StartUp::configure(app());
        QCOMPARE(QCoreApplication::applicationVersion(), QString("1.0.2"));
        QVERIFY(!QCoreApplication::organizationDomain().isEmpty());
        QVERIFY(!app()->styleSheet().isEmpty());
        QCOMPARE(app()->styleSheet(), StartUp::styleSheet());
        QCOMPARE(app()->shareMessage(), QString("Click Convert and enjoy your M4A tracks!"));
        QVERIFY(QUrl(app()->privacyPolicyLink()).isValid());
        QVERIFY(!app()->privacyPolicyLink().isEmpty());
        QVERIFY(app()->appSupportPage().endsWith("/trelvanic"));
        // The legal notices name every library the program links, with its licence, as text.
        QTextDocument notices;
        notices.setHtml(app()->legalNotices());
        for (const char* name : {"libavformat", "libavcodec", "libavutil", "libswresample", "TagLib", "libFLAC", "Qt 5",
                                 "GNU Lesser General Public License", "BSD 3-clause"})
            QVERIFY2(notices.toPlainText().contains(name), name);
        // Links show light on the dark style.
        QVERIFY(app()->palette().color(QPalette::Link).lightness() > 150);
        QCOMPARE(QGuiApplication::desktopFileName(), QString("com.zembrel.Trelvanic"));

        app()->setCurrentLanguage("fr");
        StartUp::setupIntroduction(app());
        QCOMPARE(app()->introductionSlides().size(), 8);
        QCOMPARE(app()->introductionSlides().at(2), app()->bundleResourcePath() + "Slide3_en.jpg");
        QCOMPARE(app()->introVideosList(), StartUp::introVideoLink("en"));
        app()->setCurrentLanguage("en");
    }

    void testSelectorTable()
    {
        const QString sheet = StartUp::styleSheet();
        const QStringList selectors = {"QFrame#MainPage",
                                       "QPushButton#RunBatchButton:hover",
                                       "QPushButton#RunBatchButton:disabled",
                                       "QPushButton#ExportSettingsButton:hover",
                                       "QPushButton#BrowseButton:checked:hover",
                                       "QLabel#InfoLabel",
                                       "QListView",
                                       "QWidget#m_pwgtPlayPage",
                                       "QLabel#m_plblFileName",
                                       "QPushButton#m_pcmdPlayAndPause:checked",
                                       "QPushButton#m_pcmdPlayAndPause:checked:hover",
                                       "QPushButton#m_pcmdStop:pressed",
                                       "QLabel#DropArea",
                                       "QFrame#MenuBar",
                                       "QFrame#AdsBar",
                                       "QPushButton#AdsBarCloseButton",
                                       "QPushButton#BatchPauseButton",
                                       "QPushButton#BatchStopButton",
                                       "QPushButton#FadeButton",
                                       "QDial#DecoratedDial",
                                       "QLCDNumber:disabled",
                                       "QTabBar::tab:selected",
                                       "QCheckBox::indicator",
                                       "QGroupBox::indicator",
                                       "QWidget#AboutDialog",
                                       "QLabel#LogoLabel",
                                       "QPushButton#HelpSlideButton",
                                       "QPushButton#VideoButton",
                                       "QPushButton#FaceBookShareButton",
                                       "QPushButton#EmailJoinButton",
                                       "QPushButton#SearchStopButton",
                                       "QPushButton#PushButton",
                                       "QTextEdit#ErrorsText",
                                       "QMenu::item:selected",
                                       "QMenu::separator",
                                       "QMenu::indicator",
                                       "QMenu:!active",
                                       "QDialog",
                                       "QComboBox::drop-down",
                                       "QComboBox::down-arrow",
                                       "QComboBox::item:selected",
                                       "QLabel",
                                       "QLineEdit",
                                       "QPushButton::menu-indicator"};
        for (const QString& selector : selectors)
            QVERIFY2(sheet.contains(selector), qPrintable(selector));
        for (const char* button :
             {"AppButton", "MoreAppsButton", "JoinButton", "RateButton", "ShareButton", "IntroButton", "MoreButton"}) {
            QVERIFY2(sheet.contains(QString("QPushButton#%1 {").arg(button)), button);
            QVERIFY2(sheet.contains(QString("QPushButton#%1:hover {").arg(button)), button);
        }
        QVERIFY(sheet.contains(QRegularExpression("QComboBox \\{[^}]*min-width: 2[1-9][0-9]px")));
        QVERIFY(sheet.contains(QRegularExpression("QLineEdit \\{[^}]*min-height: (3[2-9]|[4-9][0-9])px")));
        QVERIFY(sheet.contains(
            QRegularExpression("QPushButton#RunBatchButton \\{[^}]*stop: 0\\.1[^}]*stop: 0\\.4[^}]*stop: 1 ")));
    }

    void testObjectNamesHaveSelectors()
    {
        // Every name the main window's widgets carry is a hook of the style sheet.
        const QString sheet = StartUp::styleSheet();
        MainPage page;
        page.promoMenuBar()->setupAppsMenu("audio");
        QStringList names = {page.objectName()};
        for (QWidget* widget : page.findChildren<QWidget*>())
            if (!widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_"))
                names << widget->objectName();
        QVERIFY(names.size() >= 14);
        for (const QString& name : names)
            QVERIFY2(hasSelector(sheet, name), qPrintable(name));
    }

    void testResourcesExist()
    {
        const QString sheet = StartUp::styleSheet();
        QRegularExpressionMatchIterator it = QRegularExpression("url\\((:/[^)]+)\\)").globalMatch(sheet);
        int count = 0;
        for (; it.hasNext(); ++count) {
            const QString path = it.next().captured(1);
            QVERIFY2(!QImage(path).isNull(), qPrintable(path));
        }
        QVERIFY(count > 30);
        for (const char* path :
             {":/star.png", ":/Help_hover.png", ":/share_hover.png", ":/join_hover.png", ":/moreappsicon.png",
              ":/feedback.png", ":/webpage.png", ":/droparea.png", ":/openfiles.png", ":/note.png", ":/noteplay.png",
              ":/PopupButton.png", ":/Box.png", ":/close.png", ":/_resources/imgs/MoreAppsButton_hover.png"})
            QVERIFY2(!QImage(path).isNull(), path);
        for (int i = 0; i < VUVararer::CrossPromoCatalogue::count(); ++i) {
            const QImage icon(VUVararer::CrossPromoCatalogue::entry(i).icon);
            QCOMPARE(icon.size(), QSize(64, 64));
        }
    }

    // A client that leaves does not reset the display, which would refuse the next client for a while.
    void testDisplayOutlivesClients()
    {
        TestKit::VirtualDisplay display;
        QVERIFY2(display.isRunning(), qPrintable(display.error()));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display.display());
        const QStringList mark = {"-root", "-f", "TRELVANIC_MARK", "8s", "-set", "TRELVANIC_MARK", "kept"};
        QCOMPARE(TestKit::runTool("xprop", mark, 10000, env).exitCode, 0);
        const TestKit::ToolResult read = TestKit::runTool("xprop", {"-root", "TRELVANIC_MARK"}, 10000, env);
        QVERIFY2(read.out.contains("\"kept\""), read.out.constData());
    }

    void testStartedWindow()
    {
        if (qgetenv("QT_QPA_PLATFORM") == "xcb") {
            const QPixmap screen = QGuiApplication::primaryScreen()->grabWindow(0);
            QVERIFY(screen.save(QString::fromLocal8Bit(qgetenv("TRELVANIC_SHOT"))));
            return;
        }
        const QString program = QString::fromLocal8Bit(qgetenv("TRELVANIC_BIN_DIR")) + "/trelvanic";
        QVERIFY2(QFileInfo(program).isExecutable(), qPrintable(program));
        app()->setSettingsValue("Width", 530);
        app()->setSettingsValue("Height", 640);
        app()->settings()->sync();

        TestKit::VirtualDisplay display(1024, 768);
        QVERIFY2(display.isRunning(), qPrintable(display.error()));
        QProcess trelvanic;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display.display());
        env.insert("QT_QPA_PLATFORM", "xcb");
        trelvanic.setProcessEnvironment(env);
        trelvanic.setProcessChannelMode(QProcess::ForwardedChannels);
        trelvanic.start(program, QStringList());
        QVERIFY(trelvanic.waitForStarted(10000));

        QRect window;
        QElapsedTimer waited;
        waited.start();
        while (window.isEmpty() && waited.elapsed() < 90000 && trelvanic.state() == QProcess::Running) {
            QTest::qWait(250);
            window = mainWindowGeometry(display.display());
        }
        QVERIFY2(!window.isEmpty(), "the main window did not appear");
        QCOMPARE(window.size(), QSize(530, 640));
        QTest::qWait(1500);

        QTemporaryDir shots;
        const QString shot = shots.filePath("startup.png");
        const TestKit::ToolResult child = TestKit::runSelf(
            {"testStartedWindow"}, {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display.display(), "TRELVANIC_SHOT=" + shot});
        trelvanic.terminate();
        if (!trelvanic.waitForFinished(10000)) {
            trelvanic.kill();
            trelvanic.waitForFinished();
        }
        QVERIFY2(child.exitCode == 0, (child.out + child.err).constData());

        const QImage screen(shot);
        QCOMPARE(screen.size(), QSize(1024, 768));
        const QImage image = screen.copy(window);
        const QString artefacts = QCoreApplication::applicationDirPath() + "/artefacts";
        QDir().mkpath(artefacts);
        QVERIFY(image.save(artefacts + "/startup.png"));
        QVERIFY2(distinctColours(image) > 50, "the window looks blank");
        // The style sheet is in force: the page's own grey fills the rows below the list.
        const QImage foot = image.copy(0, image.height() - 90, image.width(), 90);
        QVERIFY(distinctColours(foot) > 10);
        int pageGrey = 0;
        for (int y = 0; y < foot.height(); ++y)
            for (int x = 0; x < foot.width(); ++x)
                pageGrey += foot.pixel(x, y) == qRgb(71, 71, 71);
        QVERIFY2(pageGrey > foot.width() * 20, qPrintable(QString::number(pageGrey)));
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestStartUp)
#include "tst_startup.moc"

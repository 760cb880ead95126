#include "FileSizeLimit.h"
#include "ModalCloser.h"
#include "TestMain.h"
#include "Tools.h"

#include <VUVararer/App.h>
#include <VUVararer/SettingsDialog.h>
#include <VUVararer/SettingsWidget.h>

#include <QDomDocument>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using TestKit::ModalCloser;
using VUVararer::App;
using VUVararer::SettingsDialog;

namespace {

// Every visit of a page, as "<operation> <tag>".
QStringList s_lstVisits;

// A page holding one text value in the attribute "value" of its element.
class ValuePage : public VUVararer::SettingsWidget
{
    Q_OBJECT

public:
    explicit ValuePage(const QString& tag) : m_strTag(tag) {}

    void readSettings(const QDomNode& node) override
    {
        s_lstVisits << "read " + m_strTag;
        m_lstRead << node.toElement().attribute("value");
        m_strValue = node.toElement().attribute("value");
    }
    QDomElement writeSettings(QDomDocument& document) override
    {
        s_lstVisits << "write " + m_strTag;
        QDomElement element = document.createElement(m_strTag);
        element.setAttribute("value", m_strValue);
        element.appendChild(document.createElement("Detail")).appendChild(document.createTextNode("a < b & c"));
        return element;
    }
    QString settingsTag() const override { return m_strTag; }

    QString m_strTag;
    QString m_strValue;
    QStringList m_lstRead;

public slots:
    void slotApply() override { s_lstVisits << "apply " + m_strTag; }
};

// Answers the next file dialog with path, or cancels it when path is empty; records the dialog's title and folder.
class FileAnswer
{
public:
    explicit FileAnswer(const QString& path)
        : m_closer(
              [this, path](QWidget* modal) {
                  auto* dialog = qobject_cast<QFileDialog*>(modal);
                  m_strTitle = dialog->windowTitle();
                  m_strFolder = dialog->directory().absolutePath();
                  if (path.isEmpty()) {
                      dialog->reject();
                  } else {
                      ModalCloser::answerFileDialog(dialog, path);
                  }
              },
              "QFileDialog")
    {
    }
    bool fired() const { return m_closer.hasFired(); }
    QString m_strTitle;
    QString m_strFolder;

private:
    ModalCloser m_closer;
};

QPushButton* button(QWidget* dialog, const QString& name) { return dialog->findChild<QPushButton*>(name); }

// Dismisses the next message box and keeps its text.
class WarningCatcher
{
public:
    WarningCatcher()
        : m_closer(
              [this](QWidget* box) {
                  for (const QLabel* label : box->findChildren<QLabel*>())
                      m_strText += label->text();
                  qobject_cast<QDialog*>(box)->reject();
              },
              "VUVararer::MMessageBox")
    {
    }
    bool fired() const { return m_closer.hasFired(); }
    QString m_strText;

private:
    ModalCloser m_closer;
};

} // namespace

class TestSettingsDialogXml : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    ValuePage* m_pVideo = nullptr;
    ValuePage* m_pAudio = nullptr;
    ValuePage* m_pGeneral = nullptr;
    QPointer<QWidget> m_pPlain;

    void setValues(const QString& video, const QString& audio, const QString& general)
    {
        m_pVideo->m_strValue = video;
        m_pAudio->m_strValue = audio;
        m_pGeneral->m_strValue = general;
    }

    void clearReads()
    {
        for (ValuePage* page : {m_pVideo, m_pAudio, m_pGeneral})
            page->m_lstRead.clear();
        s_lstVisits.clear();
    }

    // Saves through the dialog's save button, answering the file dialog with answer.
    void save(SettingsDialog& dialog, const QString& answer)
    {
        FileAnswer file(answer);
        button(&dialog, "StorageBrowserSS")->click();
        QVERIFY(file.fired());
        QCOMPARE(file.m_strTitle, QString("Save Settings"));
    }

    void load(SettingsDialog& dialog, const QString& answer)
    {
        FileAnswer file(answer);
        button(&dialog, "StorageBrowserLS")->click();
        QVERIFY(file.fired());
        QCOMPARE(file.m_strTitle, QString("Load Settings"));
    }

    QString writeRaw(const QString& name, const QByteArray& content)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return QString();
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_pVideo = new ValuePage("Video");
        m_pAudio = new ValuePage("Audio");
        m_pGeneral = new ValuePage("General");
        m_pPlain = new QWidget;
        SettingsDialog::addWidget("Video", m_pVideo);
        SettingsDialog::addWidget("Audio", m_pAudio);
        SettingsDialog::addWidget("General", m_pGeneral);
        SettingsDialog::addWidget("Plain", m_pPlain);
    }

    void testLayoutAndApply()
    {
        SettingsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QCoreApplication::applicationName() + " Settings");
        QVERIFY(!dialog.findChild<QTabWidget*>());
        dialog.show();
        auto* tabs = dialog.findChild<QTabWidget*>();
        QVERIFY(tabs);
        QTRY_VERIFY(button(&dialog, "StorageBrowserSS")->isVisible());
        QStringList names;
        for (int i = 0; i < tabs->count(); ++i)
            names << tabs->tabText(i);
        QCOMPARE(names, (QStringList{"Video", "Audio", "General", "Plain"}));
        QCOMPARE(tabs->widget(3), m_pPlain.data());
        QCOMPARE(button(&dialog, "StorageBrowserSS")->toolTip(), QString("Save the Settings"));
        QCOMPARE(button(&dialog, "StorageBrowserLS")->toolTip(), QString("Load the Settings"));
        QVERIFY(button(&dialog, "StorageBrowserSS")->text().isEmpty());

        // A page registered after the first show is not added to this dialog.
        auto* late = new ValuePage("Late");
        SettingsDialog::addWidget("Late", late);
        dialog.hide();
        dialog.show();
        QCOMPARE(tabs->count(), 4);

        s_lstVisits.clear();
        QVERIFY(ModalCloser::clickButton(&dialog, "Apply"));
        QCOMPARE(s_lstVisits, (QStringList{"apply Audio", "apply General", "apply Late", "apply Video"}));
        QVERIFY(dialog.isVisible());
        s_lstVisits.clear();
        QVERIFY(ModalCloser::clickButton(&dialog, "Cancel"));
        QVERIFY(s_lstVisits.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        dialog.show();
        QVERIFY(ModalCloser::clickButton(&dialog, "Ok"));
        QCOMPARE(s_lstVisits, (QStringList{"apply Audio", "apply General", "apply Late", "apply Video"}));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible());
    }

    void testPagesOutliveDialog()
    {
        {
            SettingsDialog first;
            first.show();
        }
        QVERIFY(m_pPlain);
        SettingsDialog second;
        second.show();
        auto* tabs = second.findChild<QTabWidget*>();
        QCOMPARE(tabs->count(), 5);
        QCOMPARE(tabs->widget(0), static_cast<QWidget*>(m_pVideo));
        QCOMPARE(tabs->tabText(4), QString("Late"));
    }

    void testSave_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << "plain"
                                      << "plain.vqsettings";
        QTest::newRow("extension") << "kept.vqsettings"
                                   << "kept.vqsettings";
        QTest::newRow("capitals") << "Upper.VQSETTINGS"
                                  << "Upper.VQSETTINGS.vqsettings";
        QTest::newRow("other extension") << "notes.xml"
                                         << "notes.xml.vqsettings";
    }

    void testSave()
    {
        QFETCH(QString, answer);
        QFETCH(QString, written);
        App::theApp()->setSaveDirPath(QDir::homePath() + "/elsewhere.txt");
        setValues("v1", "a\"1", "g & 1");
        SettingsDialog dialog;
        dialog.show();
        s_lstVisits.clear();
        save(dialog, m_dir.filePath(answer));
        QCOMPARE(s_lstVisits, (QStringList{"write Audio", "write General", "write Late", "write Video"}));
        const QString path = m_dir.filePath(written);
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        if (answer != written)
            QVERIFY(!QFileInfo::exists(m_dir.filePath(answer)));
        QCOMPARE(QDir(App::theApp()->saveDirPath()).canonicalPath(), QDir(m_dir.path()).canonicalPath());

        // Well-formed for an independent parser.
        const TestKit::ToolResult lint = TestKit::runTool("xmllint", {"--noout", path});
        QVERIFY2(lint.exitCode == 0, lint.err.constData());

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray raw = file.readAll();
        QVERIFY(raw.contains("\n <Audio "));
        QVERIFY(raw.contains("\n  <Detail>"));
        QVERIFY(!raw.contains("DOCTYPE"));
        QDomDocument document;
        QString error;
        QVERIFY2(document.setContent(raw, &error), qPrintable(error));
        const QDomElement root = document.documentElement();
        QCOMPARE(root.tagName(), QString("Settings"));
        QStringList tags;
        QStringList values;
        for (QDomElement child = root.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
            tags << child.tagName();
            values << child.attribute("value");
            QCOMPARE(child.firstChildElement("Detail").text(), QString("a < b & c"));
        }
        QCOMPARE(tags, (QStringList{"Audio", "General", "Late", "Video"}));
        QCOMPARE(values, (QStringList{"a\"1", "g & 1", "", "v1"}));
    }

    void testSaveCancelledOrUnwritable()
    {
        const QString before = QDir::homePath() + "/before";
        QDir().mkpath(before);
        App::theApp()->setSaveDirPath(before + "/x");
        const QString remembered = App::theApp()->saveDirPath();
        SettingsDialog dialog;
        dialog.show();
        const QStringList filesBefore = QDir(m_dir.path()).entryList(QDir::Files);
        {
            FileAnswer cancel{QString()};
            button(&dialog, "StorageBrowserSS")->click();
            QVERIFY(cancel.fired());
            QCOMPARE(QDir(cancel.m_strFolder).canonicalPath(), QDir(before).canonicalPath());
        }
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), filesBefore);
        QCOMPARE(App::theApp()->saveDirPath(), remembered);

        // The completed name is taken by a folder: nothing written, the user is told, the folder is remembered
        // all the same.
        const QString blocked = m_dir.filePath("blocked.vqsettings");
        QVERIFY(QDir().mkpath(blocked));
        {
            WarningCatcher warning;
            save(dialog, m_dir.filePath("blocked"));
            QVERIFY(warning.fired());
            QVERIFY2(warning.m_strText.contains(blocked), qPrintable(warning.m_strText));
        }
        QVERIFY(QFileInfo(blocked).isDir());
        QVERIFY(!QFileInfo::exists(m_dir.filePath("blocked")));
        QCOMPARE(QDir(App::theApp()->saveDirPath()).canonicalPath(), QDir(m_dir.path()).canonicalPath());

        // A save that fails while writing leaves the earlier file as it was (the answer without extension
        // names it without the file dialog asking to replace it).
        const QString earlier = writeRaw("earlier.vqsettings", "<Settings/>\n");
        QVERIFY(!earlier.isEmpty());
        setValues(QString(4096, QLatin1Char('v')), "a", "g");
        {
            WarningCatcher warning;
            TestKit::FileSizeLimit limit(1024);
            QVERIFY(limit.isActive());
            save(dialog, m_dir.filePath("earlier"));
            QVERIFY(warning.fired());
        }
        QFile file(earlier);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("<Settings/>\n"));
    }

    void testLoad()
    {
        const QString path =
            writeRaw("hand.vqsettings", "<?xml version=\"1.0\"?>\n<Anything>text\n"
                                        " <Audio value=\"a1\"/>\n <!-- note -->\n <Unknown value=\"u\"/>\n"
                                        " <Audio value=\"a2\"><Detail/></Audio>\n <Video value=\"v\"/>\n</Anything>\n");
        QVERIFY(!path.isEmpty());
        QCOMPARE(TestKit::runTool("xmllint", {"--noout", path}).exitCode, 0);
        App::theApp()->setOpenDirPath(QDir::homePath() + "/x");
        setValues("v0", "a0", "g0");
        clearReads();
        SettingsDialog dialog;
        dialog.show();
        {
            FileAnswer file(path);
            button(&dialog, "StorageBrowserLS")->click();
            QVERIFY(file.fired());
            QCOMPARE(QDir(file.m_strFolder).canonicalPath(), QDir(QDir::homePath()).canonicalPath());
        }
        QCOMPARE(m_pAudio->m_lstRead, (QStringList{"a1", "a2"}));
        QCOMPARE(m_pVideo->m_lstRead, QStringList{"v"});
        QVERIFY(m_pGeneral->m_lstRead.isEmpty());
        // Loading does not apply.
        QCOMPARE(s_lstVisits, (QStringList{"read Audio", "read Audio", "read Video"}));
        QCOMPARE(QDir(App::theApp()->openDirPath()).canonicalPath(), QDir(m_dir.path()).canonicalPath());
    }

    void testLoadBroken_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("not well-formed") << QByteArray("<Settings><Audio value=\"x\"></Settings>");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("no page tags") << QByteArray("<Settings><Other value=\"x\"/></Settings>");
    }

    void testLoadBroken()
    {
        QFETCH(QByteArray, content);
        const QString path = writeRaw("broken.vqsettings", content);
        QVERIFY(!path.isEmpty());
        App::theApp()->setOpenDirPath(QDir::homePath() + "/x");
        setValues("v0", "a0", "g0");
        clearReads();
        SettingsDialog dialog;
        dialog.show();
        load(dialog, path);
        QVERIFY(s_lstVisits.isEmpty());
        QCOMPARE(m_pAudio->m_strValue, QString("a0"));
        QCOMPARE(QDir(App::theApp()->openDirPath()).canonicalPath(), QDir(m_dir.path()).canonicalPath());
    }

    void testRoundTrip()
    {
        setValues("video <1>", "audio 'two'", "général ✓");
        SettingsDialog dialog;
        dialog.show();
        save(dialog, m_dir.filePath("round"));
        setValues("", "", "");
        load(dialog, m_dir.filePath("round.vqsettings"));
        QCOMPARE(m_pVideo->m_strValue, QString("video <1>"));
        QCOMPARE(m_pAudio->m_strValue, QString("audio 'two'"));
        QCOMPARE(m_pGeneral->m_strValue, QString("général ✓"));
    }

    void testSameNameTwice()
    {
        auto* replacement = new ValuePage("Audio");
        SettingsDialog::addWidget("Audio", replacement);
        SettingsDialog dialog;
        dialog.show();
        auto* tabs = dialog.findChild<QTabWidget*>();
        QStringList names;
        for (int i = 0; i < tabs->count(); ++i)
            names << tabs->tabText(i);
        QCOMPARE(names, (QStringList{"Video", "Audio", "General", "Plain", "Late"}));
        QCOMPARE(tabs->widget(1), static_cast<QWidget*>(replacement));
        QVERIFY(!m_pAudio->parent());
        s_lstVisits.clear();
        dialog.slotApply();
        QCOMPARE(s_lstVisits, (QStringList{"apply Audio", "apply General", "apply Late", "apply Video"}));
        delete m_pAudio;
        m_pAudio = nullptr;
    }
};

TRELVANIC_TEST_MAIN_APP(VUVararer::App, TestSettingsDialogXml)
#include "tst_settingsdialog_xml.moc"

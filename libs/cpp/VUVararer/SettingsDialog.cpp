#include "SettingsDialog.h"

#include "App.h"
#include "Common.h"
#include "FileDialog.h"
#include "MMessageBox.h"
#include "SettingsWidget.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QVBoxLayout>

#include <MTools/ToolsCommon.h>

namespace VUVararer {

QMap<QString, QWidget*> SettingsDialog::m_mapWidgets;
QVector<QString> SettingsDialog::m_vecTabOrder;

namespace {

const QString s_strExtension = QStringLiteral(".vqsettings");

} // namespace

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QCoreApplication::applicationName() + tr(" Settings"));
}

SettingsDialog::~SettingsDialog()
{
    if (!m_ptabWidget)
        return;
    while (m_ptabWidget->count() > 0) {
        QWidget* page = m_ptabWidget->widget(0);
        m_ptabWidget->removeTab(0);
        page->setParent(nullptr);
    }
}

void SettingsDialog::addWidget(const QString& name, QWidget* page)
{
    m_mapWidgets[name] = page;
    m_vecTabOrder.append(name);
}

void SettingsDialog::showEvent(QShowEvent* event)
{
    if (!m_bBuilt) {
        build();
        m_bBuilt = true;
    }
    QDialog::showEvent(event);
}

void SettingsDialog::build()
{
    m_ptabWidget = new QTabWidget;
    // A name registered twice shows its (latest) page once, at the name's first place.
    QSet<QString> added;
    for (const QString& name : qAsConst(m_vecTabOrder)) {
        if (added.contains(name))
            continue;
        added.insert(name);
        m_ptabWidget->addTab(m_mapWidgets[name], name);
    }

    auto* pbtnOk = new QPushButton(tr("&Ok"));
    auto* pbtnApply = new QPushButton(tr("&Apply"));
    auto* pbtnCancel = new QPushButton(tr("&Cancel"));
    Common::applyPushButtonDetails(pbtnOk);
    Common::applyPushButtonDetails(pbtnApply);
    Common::applyPushButtonDetails(pbtnCancel);
    auto* pbtnSave = new QPushButton;
    auto* pbtnLoad = new QPushButton;
    Common::extend(pbtnSave, "StorageBrowserSS", tr("Save the Settings"));
    Common::extend(pbtnLoad, "StorageBrowserLS", tr("Load the Settings"));
    Common::applyToolButtonDetails(pbtnSave);
    Common::applyToolButtonDetails(pbtnLoad);

    connect(pbtnSave, SIGNAL(clicked()), this, SLOT(slotSaveSettings()));
    connect(pbtnLoad, SIGNAL(clicked()), this, SLOT(slotLoadSettings()));
    connect(pbtnApply, SIGNAL(clicked()), this, SLOT(slotApply()));
    connect(pbtnOk, SIGNAL(clicked()), this, SLOT(slotOk()));
    connect(pbtnCancel, SIGNAL(clicked()), this, SLOT(reject()));

    auto* top = new QHBoxLayout;
    top->setMargin(0);
    top->setSpacing(2);
    top->addWidget(pbtnSave);
    top->addWidget(pbtnLoad);
    top->addStretch(1);

    auto* bottom = new QHBoxLayout;
    bottom->setMargin(0);
    bottom->setSpacing(2);
    bottom->addStretch(1);
    bottom->addWidget(pbtnOk);
    bottom->addWidget(pbtnApply);
    bottom->addWidget(pbtnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setMargin(7);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(m_ptabWidget);
    layout->addLayout(bottom);
}

void SettingsDialog::slotOk()
{
    slotApply();
    accept();
}

void SettingsDialog::slotApply()
{
    for (QWidget* page : qAsConst(m_mapWidgets))
        if (auto* settings = qobject_cast<SettingsWidget*>(page))
            settings->slotApply();
}

void SettingsDialog::slotSaveSettings()
{
    const QString answer =
        FileDialog::getSaveFileName(this, tr("Save Settings"), App::theApp()->saveDirPath() + "/Settings.vqsettings",
                                    "*.vqsettings", nullptr, QFileDialog::Options());
    if (answer.isEmpty())
        return;

    QDomDocument document(QString{});
    QDomElement root = document.createElement("Settings");
    document.appendChild(root);
    for (QWidget* page : qAsConst(m_mapWidgets))
        if (auto* settings = qobject_cast<SettingsWidget*>(page))
            root.appendChild(settings->writeSettings(document));

    const QString fileName = answer.endsWith(s_strExtension) ? answer : answer + s_strExtension;
    App::theApp()->setSaveDirPath(answer);
    if (!MTools::ToolsCommon::saveFile(fileName, document.toString(1).toUtf8()))
        MMessageBox::warning(
            this, tr("Save Settings"),
            tr("<center>The settings could not be saved to<br>%1</center>").arg(fileName.toHtmlEscaped()));
}

void SettingsDialog::slotLoadSettings()
{
    const QString answer = FileDialog::getOpenFileName(this, tr("Load Settings"), App::theApp()->openDirPath() + "/ ",
                                                       "*.vqsettings", nullptr, QFileDialog::Options());
    if (answer.isEmpty())
        return;

    QFile file(answer);
    if (file.open(QIODevice::ReadOnly)) {
        QDomDocument document;
        if (document.setContent(&file, false))
            processRoot(document.documentElement());
        file.close();
    }
    App::theApp()->setOpenDirPath(answer);
}

void SettingsDialog::processRoot(const QDomElement& root)
{
    for (QDomNode child = root.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (!child.isElement())
            continue;
        const QString tag = child.toElement().tagName();
        for (QWidget* page : qAsConst(m_mapWidgets)) {
            auto* settings = qobject_cast<SettingsWidget*>(page);
            if (settings && settings->settingsTag() == tag)
                settings->readSettings(child);
        }
    }
}

} // namespace VUVararer

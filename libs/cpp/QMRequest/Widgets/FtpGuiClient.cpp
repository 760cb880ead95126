#include "FtpGuiClient.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace QMRequest {

namespace {

const quint16 kDefaultPort = 21;
const QString kParentFolder = QStringLiteral("..");
// Item data: true for folders.
const int kIsDirRole = Qt::UserRole + 1;

QHBoxLayout* newRow()
{
    auto* phbl = new QHBoxLayout;
    phbl->setContentsMargins(0, 0, 0, 0);
    phbl->setSpacing(0);
    return phbl;
}

} // namespace

FtpGuiClient::FtpGuiClient(QWidget* parent)
    : QWidget(parent), m_pledHost(new QLineEdit(this)), m_pledUser(new QLineEdit("ftpuser", this)),
      m_pledPassword(new QLineEdit("mirtane", this)), m_pcmdLogin(new QPushButton(tr("&Login"), this)),
      m_pledPath(new QLineEdit(this)), m_pcmdGo(new QPushButton(tr("&Go"), this)), m_ptrwEntries(new QTreeWidget(this)),
      m_pClient(new FtpClient(this)),
      m_strDownloadFolder(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation))
{
    setWindowTitle(tr("FTP Client"));
    m_pledHost->setPlaceholderText(tr("host or host:port"));
    m_pledPassword->setEchoMode(QLineEdit::Normal);
    m_ptrwEntries->setHeaderLabels({tr("Name"), tr("LastModified")});
    auto* pcmdRefresh = new QPushButton(tr("Rfr"), this);
    auto* pcmdTest = new QPushButton(tr("Test"), this);

    QHBoxLayout* phblLogin = newRow();
    phblLogin->addWidget(new QLabel(tr("Host:"), this));
    phblLogin->addWidget(m_pledHost);
    phblLogin->addWidget(new QLabel(tr("User:"), this));
    phblLogin->addWidget(m_pledUser);
    phblLogin->addWidget(new QLabel(tr("Password:"), this));
    phblLogin->addWidget(m_pledPassword);
    phblLogin->addWidget(m_pcmdLogin);
    QHBoxLayout* phblPath = newRow();
    phblPath->addWidget(new QLabel(tr("Path:"), this));
    phblPath->addWidget(m_pledPath);
    phblPath->addWidget(m_pcmdGo);
    phblPath->addWidget(pcmdRefresh);
    auto* pvblMain = new QVBoxLayout(this);
    pvblMain->setContentsMargins(0, 0, 0, 0);
    pvblMain->setSpacing(0);
    pvblMain->addLayout(phblLogin);
    pvblMain->addLayout(phblPath);
    pvblMain->addWidget(m_ptrwEntries);
    pvblMain->addWidget(pcmdTest);

    connect(m_pcmdLogin, SIGNAL(clicked()), this, SLOT(slotLogin()));
    connect(m_pcmdGo, SIGNAL(clicked()), this, SLOT(slotGo()));
    connect(pcmdRefresh, SIGNAL(clicked()), this, SLOT(slotRefresh()));
    connect(pcmdTest, SIGNAL(clicked()), this, SLOT(slotTest()));
    connect(m_ptrwEntries, SIGNAL(itemDoubleClicked(QTreeWidgetItem*, int)), this,
            SLOT(slotItemDoubleClicked(QTreeWidgetItem*, int)));
    connect(m_pClient, SIGNAL(done(bool)), this, SLOT(slotClientDone(bool)));
}

bool FtpGuiClient::beginCommand()
{
    if (m_bBusy) {
        qWarning() << "FtpGuiClient: a command is still waiting for the server";
        return false;
    }
    m_bBusy = true;
    m_bLastError = false;
    return true;
}

void FtpGuiClient::endCommand() { m_bBusy = false; }

void FtpGuiClient::slotClientDone(bool error) { m_bLastError = m_bLastError || error; }

void FtpGuiClient::slotLogin()
{
    if (!beginCommand())
        return;
    const FtpCore::State state = m_pClient->state();
    if (state == FtpCore::Connected || state == FtpCore::LoggedIn)
        m_pClient->close();
    QString strHost = m_pledHost->text().trimmed();
    quint16 nPort = kDefaultPort;
    const int nColon = strHost.lastIndexOf(':');
    if (nColon > 0) {
        bool bOk = false;
        const uint nGiven = strHost.mid(nColon + 1).toUInt(&bOk);
        if (bOk && nGiven > 0 && nGiven <= 65535) {
            nPort = quint16(nGiven);
            strHost.truncate(nColon);
        }
    }
    m_pClient->connectToHost(strHost, nPort);
    m_pClient->login(m_pledUser->text(), m_pledPassword->text());
    endCommand();
}

void FtpGuiClient::slotGo() { cdAndRefresh(m_pledPath->text()); }

void FtpGuiClient::slotCd(const QString& dir) { cdAndRefresh(dir); }

void FtpGuiClient::slotItemDoubleClicked(QTreeWidgetItem* item, int)
{
    if (!item)
        return;
    if (item->text(0) == kParentFolder || item->data(0, kIsDirRole).toBool())
        cdAndRefresh(item->text(0));
    else
        download(item->text(0));
}

void FtpGuiClient::cdAndRefresh(const QString& dir)
{
    if (!beginCommand())
        return;
    m_pClient->cd(dir);
    refreshEntries();
    endCommand();
}

void FtpGuiClient::slotRefresh()
{
    if (!beginCommand())
        return;
    refreshEntries();
    endCommand();
}

void FtpGuiClient::refreshEntries()
{
    m_ptrwEntries->clear();
    m_ptrwEntries->addTopLevelItem(new QTreeWidgetItem(QStringList{kParentFolder}));
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const UrlInfo& info : m_pClient->dirEntry()) {
        auto* pItem = new QTreeWidgetItem(QStringList{info.name(), info.lastModified().toString(Qt::ISODate)});
        pItem->setData(0, kIsDirRole, info.isDir());
        if (info.isDir())
            pItem->setIcon(0, folderIcon);
        m_ptrwEntries->addTopLevelItem(pItem);
    }
}

void FtpGuiClient::download(const QString& name)
{
    // A server's name must not lead out of the download folder.
    const QString strName = QFileInfo(name).fileName();
    if (strName.isEmpty() || strName == "." || strName == kParentFolder || strName != name) {
        qWarning() << "FtpGuiClient: refusing to save the remote name" << name;
        return;
    }
    if (!beginCommand())
        return;
    QDir().mkpath(m_strDownloadFolder);
    QSaveFile file(QDir(m_strDownloadFolder).filePath(strName));
    if (file.open(QIODevice::WriteOnly)) {
        m_pClient->get(name, &file);
        if (m_bLastError || !file.commit())
            qWarning() << "FtpGuiClient: download failed:" << name << m_pClient->ftpDevice()->errorString();
    } else {
        qWarning() << "FtpGuiClient: cannot write" << file.fileName();
    }
    endCommand();
}

void FtpGuiClient::slotTest()
{
    if (!beginCommand())
        return;
    m_pClient->put(QString("!!!TESTTEST!!!").toLatin1(), "TestFile.txt");
    endCommand();
}

} // namespace QMRequest

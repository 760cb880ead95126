#include "FtpGuiClient.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
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

// Host and port from "name", "name:port", a bare IPv6 address, "[v6]" or "[v6]:port"; the port is 21 unless given.
// A text that fits none of these is taken whole as the host.
void splitHostAndPort(const QString& text, QString* host, quint16* port)
{
    *host = text;
    *port = kDefaultPort;
    QString strHost;
    QString strPort;
    if (text.startsWith('[')) {
        const int nClose = text.indexOf(']');
        if (nClose < 0)
            return;
        strHost = text.mid(1, nClose - 1);
        const QString strRest = text.mid(nClose + 1);
        if (strRest.isEmpty()) {
            *host = strHost;
            return;
        }
        if (!strRest.startsWith(':'))
            return;
        strPort = strRest.mid(1);
    } else {
        // With more than one colon the text is an IPv6 address without a port.
        const int nColon = text.indexOf(':');
        if (nColon <= 0 || text.indexOf(':', nColon + 1) >= 0)
            return;
        strHost = text.left(nColon);
        strPort = text.mid(nColon + 1);
    }
    bool bOk = false;
    const uint nGiven = strPort.toUInt(&bOk);
    if (bOk && nGiven > 0 && nGiven <= 65535) {
        *host = strHost;
        *port = quint16(nGiven);
    }
}

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
      m_pledPath(new QLineEdit(this)), m_pcmdGo(new QPushButton(tr("&Go"), this)),
      m_pcmdRefresh(new QPushButton(tr("Rfr"), this)), m_ptrwEntries(new QTreeWidget(this)),
      m_pcmdTest(new QPushButton(tr("Test"), this)), m_pClient(new FtpClient(this)),
      m_strDownloadFolder(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation))
{
    setWindowTitle(tr("FTP Client"));
    m_pledHost->setPlaceholderText(tr("host or host:port"));
    m_pledPassword->setEchoMode(QLineEdit::Normal);
    m_ptrwEntries->setHeaderLabels({tr("Name"), tr("LastModified")});
    // The name gets the room the window has.
    m_ptrwEntries->header()->setStretchLastSection(false);
    m_ptrwEntries->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_ptrwEntries->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

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
    phblPath->addWidget(m_pcmdRefresh);
    auto* pvblMain = new QVBoxLayout(this);
    pvblMain->setContentsMargins(0, 0, 0, 0);
    pvblMain->setSpacing(0);
    pvblMain->addLayout(phblLogin);
    pvblMain->addLayout(phblPath);
    pvblMain->addWidget(m_ptrwEntries);
    pvblMain->addWidget(m_pcmdTest);

    connect(m_pcmdLogin, SIGNAL(clicked()), this, SLOT(slotLogin()));
    connect(m_pcmdGo, SIGNAL(clicked()), this, SLOT(slotGo()));
    connect(m_pcmdRefresh, SIGNAL(clicked()), this, SLOT(slotRefresh()));
    connect(m_pcmdTest, SIGNAL(clicked()), this, SLOT(slotTest()));
    connect(m_ptrwEntries, SIGNAL(itemDoubleClicked(QTreeWidgetItem*, int)), this,
            SLOT(slotItemDoubleClicked(QTreeWidgetItem*, int)));
    connect(m_pClient, SIGNAL(done(bool)), this, SLOT(slotClientDone(bool)));
}

FtpGuiClient::Command::Command(FtpGuiClient* window)
{
    if (window->m_bBusy) {
        qWarning() << "FtpGuiClient: a command is still waiting for the server";
        return;
    }
    m_window = window;
    window->setBusy(true);
    window->m_bAborted = false;
    window->m_bLastError = false;
}

FtpGuiClient::Command::~Command()
{
    if (!m_window)
        return;
    m_window->setBusy(false);
    if (m_window->m_bDeleteWhenIdle)
        m_window->deleteLater();
}

void FtpGuiClient::setBusy(bool bBusy)
{
    m_bBusy = bBusy;
    for (QPushButton* pButton : {m_pcmdLogin, m_pcmdGo, m_pcmdRefresh, m_pcmdTest})
        pButton->setEnabled(!bBusy);
    if (bBusy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void FtpGuiClient::closeEvent(QCloseEvent* event)
{
    if (m_bBusy) {
        m_bAborted = true;
        // The waiting call is still on the stack: the window goes only once it has returned.
        if (testAttribute(Qt::WA_DeleteOnClose)) {
            setAttribute(Qt::WA_DeleteOnClose, false);
            m_bDeleteWhenIdle = true;
        }
        m_pClient->abort();
    }
    QWidget::closeEvent(event);
}

void FtpGuiClient::slotClientDone(bool error) { m_bLastError = m_bLastError || error; }

void FtpGuiClient::slotLogin()
{
    const Command command(this);
    if (!command.goesOn())
        return;
    // An open session is closed first. None of its commands can be waiting (the window takes none meanwhile), and
    // settings queued on the client itself, such as the transfer mode, go on with the new login.
    const FtpCore::State state = m_pClient->state();
    if (state == FtpCore::Connected || state == FtpCore::LoggedIn) {
        m_pClient->close();
        if (!command.goesOn())
            return;
    }
    QString strHost;
    quint16 nPort = 0;
    splitHostAndPort(m_pledHost->text().trimmed(), &strHost, &nPort);
    m_pClient->connectToHost(strHost, nPort);
    m_pClient->login(m_pledUser->text(), m_pledPassword->text());
}

void FtpGuiClient::slotGo() { cdAndRefresh(m_pledPath->text()); }

void FtpGuiClient::slotCd(const QString& dir) { cdAndRefresh(dir); }

void FtpGuiClient::slotItemDoubleClicked(QTreeWidgetItem* item, int)
{
    if (!item)
        return;
    if (item->text(0) == kParentFolder || item->data(0, kIsDirRole).toBool())
        cdAndRefresh(item->text(0), true);
    else
        download(item->text(0));
}

void FtpGuiClient::cdAndRefresh(const QString& dir, bool bShowPath)
{
    const Command command(this);
    if (!command.goesOn())
        return;
    m_pClient->cd(dir);
    if (command.goesOn() && m_bLastError)
        qWarning() << "FtpGuiClient: changing directory failed:" << dir << m_pClient->ftpDevice()->errorString();
    const QString strPath = bShowPath && command.goesOn() && !m_bLastError ? m_pClient->currentDir() : QString();
    if (!command.goesOn())
        return;
    if (!strPath.isEmpty())
        m_pledPath->setText(strPath);
    refreshEntries(command);
}

void FtpGuiClient::slotRefresh()
{
    const Command command(this);
    if (command.goesOn())
        refreshEntries(command);
}

void FtpGuiClient::refreshEntries(const Command& command)
{
    m_ptrwEntries->clear();
    m_ptrwEntries->addTopLevelItem(new QTreeWidgetItem(QStringList{kParentFolder}));
    const QList<UrlInfo> entries = m_pClient->dirEntry();
    if (!command.goesOn())
        return;
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (const UrlInfo& info : entries) {
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
    const Command command(this);
    if (!command.goesOn())
        return;
    QDir().mkpath(m_strDownloadFolder);
    // Owned by the client, so that it goes with a window deleted during the wait.
    auto* pFile = new QSaveFile(QDir(m_strDownloadFolder).filePath(strName), m_pClient);
    if (!pFile->open(QIODevice::WriteOnly)) {
        qWarning() << "FtpGuiClient: cannot write" << pFile->fileName();
        delete pFile;
        return;
    }
    const QPointer<QSaveFile> file(pFile);
    m_pClient->get(name, pFile);
    if (!file)
        return;
    if (!command.goesOn() || m_bLastError || !pFile->commit())
        qWarning() << "FtpGuiClient: download failed:" << name << m_pClient->ftpDevice()->errorString();
    delete pFile;
}

void FtpGuiClient::slotTest()
{
    const Command command(this);
    if (command.goesOn())
        m_pClient->put(QString("!!!TESTTEST!!!").toLatin1(), "TestFile.txt");
}

} // namespace QMRequest

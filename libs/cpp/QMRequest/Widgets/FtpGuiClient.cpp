#include "FtpGuiClient.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace QMRequest {

namespace {

const QString kParentFolder = QStringLiteral("..");

// The host as typed, a bracketed IPv6 address without its brackets; nothing in it is read as a port.
QString hostOf(const QString& text)
{
    if (text.startsWith('[') && text.endsWith(']'))
        return text.mid(1, text.length() - 2);
    return text;
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
      m_pcmdTest(new QPushButton(tr("Test"), this)), m_pClient(new FtpClient(this))
{
    setWindowTitle(tr("FTP Client"));
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
    m_pClient->connectToHost(hostOf(m_pledHost->text().trimmed()));
    m_pClient->login(m_pledUser->text(), m_pledPassword->text());
}

void FtpGuiClient::slotGo() { cdAndRefresh(m_pledPath->text()); }

void FtpGuiClient::slotCd(const QString& dir) { cdAndRefresh(dir); }

void FtpGuiClient::slotItemDoubleClicked(QTreeWidgetItem* item, int)
{
    if (item)
        cdAndRefresh(item->text(0));
}

void FtpGuiClient::cdAndRefresh(const QString& dir)
{
    const Command command(this);
    if (!command.goesOn())
        return;
    m_pClient->cd(dir);
    if (command.goesOn() && m_bLastError)
        qWarning() << "FtpGuiClient: changing directory failed:" << dir << m_pClient->ftpDevice()->errorString();
    if (command.goesOn())
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
        if (info.isDir())
            pItem->setIcon(0, folderIcon);
        m_ptrwEntries->addTopLevelItem(pItem);
    }
}

void FtpGuiClient::slotTest()
{
    const Command command(this);
    if (command.goesOn())
        m_pClient->put(QString("!!!TESTTEST!!!").toLatin1(), "TestFile.txt");
}

} // namespace QMRequest

#pragma once
// A small window for trying an FTP server by hand: log in, move through folders, list and test-upload.

#include <QMRequest/FtpClient.h>

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace QMRequest {

class FtpGuiClient : public QWidget
{
    Q_OBJECT

public:
    explicit FtpGuiClient(QWidget* parent = nullptr);

    FtpClient* client() const { return m_pClient; }
    // True while a command waits for the server; the window then takes no new command and shows it with its
    // buttons disabled and a busy cursor. Closing the window ends the wait; a window that deletes itself on close is
    // deleted once the waiting call has returned.
    bool isBusy() const { return m_bBusy; }

public slots:
    // Connects to the host (a name or an address, an IPv6 one bare or in brackets) on port 21 and logs in, closing an
    // open session first.
    void slotLogin();
    void slotGo();
    void slotCd(const QString& dir);
    // Changes to the item's name (a file's too), then refreshes. A failure shows nothing in the window: the client's
    // error text goes to the diagnostic output, as for Go.
    void slotItemDoubleClicked(QTreeWidgetItem* item, int column);
    void slotRefresh();
    // Uploads "!!!TESTTEST!!!" as "TestFile.txt" into the current folder.
    void slotTest();

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void slotClientDone(bool error);

private:
    // One command of the window, refused while another one waits; it ends when this goes out of scope, unless the
    // window was deleted meanwhile.
    class Command
    {
    public:
        explicit Command(FtpGuiClient* window);
        ~Command();
        Command(const Command&) = delete;
        Command& operator=(const Command&) = delete;
        // After a waiting step: false when the command was refused, or the window closed or deleted meanwhile.
        bool goesOn() const { return m_window && !m_window->m_bAborted; }

    private:
        QPointer<FtpGuiClient> m_window;
    };

    void cdAndRefresh(const QString& dir);
    void setBusy(bool bBusy);
    void refreshEntries(const Command& command);

    QLineEdit* m_pledHost;
    QLineEdit* m_pledUser;
    QLineEdit* m_pledPassword;
    QPushButton* m_pcmdLogin;
    QLineEdit* m_pledPath;
    QPushButton* m_pcmdGo;
    QPushButton* m_pcmdRefresh;
    QTreeWidget* m_ptrwEntries;
    QPushButton* m_pcmdTest;
    FtpClient* m_pClient;
    bool m_bBusy = false;
    bool m_bLastError = false;
    // Set when the window closes while a command waits.
    bool m_bAborted = false;
    bool m_bDeleteWhenIdle = false;
};

} // namespace QMRequest

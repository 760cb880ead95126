#include "DropWidget.h"

#include "AppMenu.h"

#include <VUVararer/FileDialog.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

namespace VUVararer {

DropWidget::DropWidget(QWidget* parent) : Label(parent)
{
    setAcceptDrops(true);
    setRetinaPixmap(QPixmap(QStringLiteral(":/droparea.png")));
    setObjectName(QStringLiteral("DropArea"));
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setText(tr("<H1>Drop the photos here</H1>"));

    m_pcmdOpen = new QPushButton(tr("Click to open the photos"));
    m_pcmdOpen->setObjectName(QStringLiteral("PushButton"));
    m_pcmdOpen->setIcon(AppMenu::resourceIcon(QStringLiteral(":/openfiles.png")));
    m_pcmdOpen->setFixedHeight(32);
    connect(m_pcmdOpen, SIGNAL(clicked()), this, SLOT(slotOpenClicked()));

    auto* pColumn = new QVBoxLayout;
    pColumn->addStretch(1);
    pColumn->addWidget(m_pcmdOpen);
    auto* pLayout = new QHBoxLayout;
    pLayout->addLayout(pColumn);
    setLayout(pLayout);
}

void DropWidget::setButtonText(const QString& text) { m_pcmdOpen->setText(text); }

void DropWidget::setAreaText(const QString& text) { setText(text); }

void DropWidget::hideOpenButton() { m_pcmdOpen->hide(); }

QList<QUrl> DropWidget::localUrls(const QList<QUrl>& urls)
{
    QList<QUrl> lstLocal;
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            lstLocal.append(url);
    return lstLocal;
}

void DropWidget::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* pData = event->mimeData();
    if (pData->hasFormat(QStringLiteral("text/uri-list")) && !localUrls(pData->urls()).isEmpty())
        event->acceptProposedAction();
}

void DropWidget::dropEvent(QDropEvent* event)
{
    const QList<QUrl> lstUrls = localUrls(event->mimeData()->urls());
    if (lstUrls.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    deliver(lstUrls);
}

void DropWidget::slotOpenClicked()
{
    QStringList lstPaths;
    if (m_eOpenMode == OpenFolder) {
        const QString strFolder =
            QFileDialog::getExistingDirectory(this, tr("Open folder"), QString(), QFileDialog::ShowDirsOnly);
        if (!strFolder.isEmpty())
            lstPaths << strFolder;
    } else {
        lstPaths = FileDialog::getOpenFileNames(this, tr("Open files"));
    }
    if (lstPaths.isEmpty())
        return;
    QList<QUrl> lstUrls;
    for (const QString& strPath : qAsConst(lstPaths))
        lstUrls.append(QUrl::fromLocalFile(strPath));
    deliver(lstUrls);
}

void DropWidget::deliver(const QList<QUrl>& urls)
{
    m_lstUrls = urls;
    emit dropped(m_lstUrls);
    if (m_bHideAfterDrop)
        hide();
}

} // namespace VUVararer

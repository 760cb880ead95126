#include "DirView.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QResizeEvent>
#include <QTreeView>

namespace VUVararer {

DirView::DirView(QWidget* parent)
    : QFrame(parent), m_pModel(new QFileSystemModel(this)), m_ptrvDirs(new QTreeView(this))
{
    setMinimumSize(180, 100);
    setWindowTitle(tr("Dir View"));
    m_pModel->setRootPath(QDir::rootPath());
    m_ptrvDirs->setModel(m_pModel);
    for (int nColumn : {1, 2, 3})
        m_ptrvDirs->setColumnHidden(nColumn, true);
    connect(m_ptrvDirs, SIGNAL(clicked(QModelIndex)), this, SLOT(slotTreeViewClicked(QModelIndex)));
}

void DirView::setRootPath(const QString& path) { m_ptrvDirs->setRootIndex(m_pModel->setRootPath(path)); }

void DirView::slotTreeViewClicked(const QModelIndex& index)
{
    const QString strPath = m_pModel->filePath(index);
    if (m_pModel->isDir(index))
        emit showContent(strPath);
    else
        emit showItem(strPath);
}

void DirView::resizeEvent(QResizeEvent* event)
{
    m_ptrvDirs->resize(event->size());
    m_ptrvDirs->header()->resizeSection(0, event->size().width());
    QFrame::resizeEvent(event);
}

} // namespace VUVararer

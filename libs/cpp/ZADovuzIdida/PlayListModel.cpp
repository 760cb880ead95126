#include "PlayListModel.h"

#include "NativeAudioTools.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMimeData>
#include <QThread>
#include <QUrl>

#include <chrono>
#include <memory>

namespace ZADovuzIdida {

PlayListModel::PlayListModel(QObject* parent) : QAbstractListModel(parent)
{
    m_poolDurations.setMaxThreadCount(std::max(QThread::idealThreadCount(), 1));
}

PlayListModel::~PlayListModel()
{
    m_poolDurations.clear();
    m_poolDurations.waitForDone();
}

QVector<std::shared_future<QTime>> PlayListModel::measure(const QStringList& paths)
{
    QVector<std::shared_future<QTime>> futures;
    futures.reserve(paths.size());
    for (const QString& path : paths) {
        auto duration = std::make_shared<std::promise<QTime>>();
        futures << duration->get_future().share();
        m_poolDurations.start([this, duration, path] { duration->set_value(audioFileDuration(path)); });
    }
    return futures;
}

int PlayListModel::rowCount(const QModelIndex& parent) const
{
    // Rows have no children; answering the row count for them would make every row look like a parent.
    return parent.isValid() ? 0 : m_lstPaths.size();
}

QVariant PlayListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_lstPaths.size())
        return QVariant();
    const int row = index.row();
    const QString& path = m_lstPaths.at(row);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return QFileInfo(path).fileName();
    case LastModifiedRole:
        return QFileInfo(path).lastModified();
    case PathRole:
        return path;
    case DurationRole:
        return m_vecDurations.at(row).get();
    default:
        return QVariant();
    }
}

QVector<qint64> PlayListModel::measuredSeconds() const
{
    QVector<qint64> seconds;
    seconds.reserve(m_vecDurations.size());
    for (const std::shared_future<QTime>& duration : m_vecDurations) {
        const bool bMeasured = duration.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        seconds << (bMeasured ? QTime(0, 0).secsTo(duration.get()) : -1);
    }
    return seconds;
}

QTime PlayListModel::audioFileDuration(const QString& path) const
{
    const QTime start(0, 0, 0, 0);
    // duration() is -1 exactly when the file is not playable, so one probe answers both questions.
    const qint64 seconds = NativeAudioTools::duration(QUrl::fromLocalFile(path));
    if (seconds < 0)
        return start;
    return start.addSecs(int(seconds % 86400));
}

bool PlayListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.model() != this || index.row() >= m_lstPaths.size())
        return false;
    m_lstPaths[index.row()] = value.toString();
    emit dataChanged(index, index, {});
    return true;
}

QVariant PlayListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return QStringLiteral("Number");
    return QString::number(section);
}

QStringList PlayListModel::mimeTypes() const { return {QStringLiteral("text/uri-list")}; }

QMimeData* PlayListModel::mimeData(const QModelIndexList& indexes) const
{
    QList<QUrl> urls;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && index.model() == this && index.row() < m_lstPaths.size())
            urls << QUrl::fromLocalFile(m_lstPaths.at(index.row()));
    }
    QMimeData* pData = new QMimeData;
    pData->setUrls(urls);
    return pData;
}

bool PlayListModel::removeRows(int row, int count, const QModelIndex& parent)
{
    const int first = qMax(0, row);
    const int last = int(qMin<qint64>(qint64(row) + count - 1, m_lstPaths.size() - 1));
    if (first > last)
        return true;
    beginRemoveRows(parent, first, last);
    m_lstPaths.erase(m_lstPaths.begin() + first, m_lstPaths.begin() + last + 1);
    m_vecDurations.remove(first, last - first + 1);
    endRemoveRows();
    return true;
}

Qt::ItemFlags PlayListModel::flags(const QModelIndex& index) const
{
    // The root only takes drops; an editable root breaks the item model contract.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return QAbstractListModel::flags(index) | Qt::ItemIsEditable | Qt::ItemIsDropEnabled;
}

void PlayListModel::setPlayList(const QStringList& paths)
{
    beginResetModel();
    // Measurements of the old rows that have not begun are dropped with their rows.
    m_poolDurations.clear();
    m_lstPaths = paths;
    m_vecDurations = measure(paths);
    endResetModel();
}

void PlayListModel::setPlayList(const QDir& dir, const QStringList& nameFilters)
{
    QStringList paths;
    for (const QString& name : dir.entryList(nameFilters, QDir::Files, QDir::Time))
        paths << dir.absoluteFilePath(name);
    setPlayList(paths);
}

void PlayListModel::appendToPlayList(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    beginResetModel();
    m_lstPaths << paths;
    m_vecDurations << measure(paths);
    endResetModel();
}

QStringList PlayListModel::playList() const { return m_lstPaths; }

} // namespace ZADovuzIdida

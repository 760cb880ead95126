#include "MediaTracksModel.h"

#include <QMediaPlaylist>

namespace ZADovuzIdida {

MediaTracksModel::MediaTracksModel(QObject* parent) : QAbstractListModel(parent) {}

void MediaTracksModel::setMediaPlaylist(QMediaPlaylist* playlist) { m_pPlaylist = playlist; }

int MediaTracksModel::rowCount(const QModelIndex& parent) const
{
    return m_pPlaylist && !parent.isValid() ? m_pPlaylist->mediaCount() : 0;
}

QVariant MediaTracksModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || !m_pPlaylist || index.row() >= m_pPlaylist->mediaCount())
        return QVariant();
    return m_pPlaylist->media(index.row()).request().url().fileName(QUrl::FullyDecoded);
}

bool MediaTracksModel::setData(const QModelIndex& index, const QVariant&, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    emit dataChanged(index, index, {});
    return true;
}

QVariant MediaTracksModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return QStringLiteral("Number");
    return QString::number(section);
}

Qt::ItemFlags MediaTracksModel::flags(const QModelIndex& index) const { return QAbstractListModel::flags(index); }

} // namespace ZADovuzIdida

#pragma once
// List model showing the file names of a media play list it does not own.

#include <QAbstractListModel>

class QMediaPlaylist;

namespace ZADovuzIdida {

class MediaTracksModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit MediaTracksModel(QObject* parent = nullptr);

    // Stores the play list without telling attached views.
    void setMediaPlaylist(QMediaPlaylist* playlist);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Accepts edits without storing them.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QMediaPlaylist* m_pPlaylist = nullptr;
};

} // namespace ZADovuzIdida

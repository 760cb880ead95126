// Editable table model over a CSV file whose first line is the header and whose fields are all quoted.
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

namespace MTools {

class CsvModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit CsvModel(QObject* pParent = nullptr);
    ~CsvModel() override;

    // Fields are the texts between pairs of double quotes; everything outside quotes is ignored.
    static QStringList splitCSVLine(const QString& strLine);

    // Replaces the table with the file's lines; false when the file can't be opened or the stream failed.
    bool loadData(const QString& strFileName);
    // Writes every line, header first, each field in double quotes; false on open or stream failure.
    bool saveData(const QString& strFileName);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int nRole = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int nRole = Qt::EditRole) override;
    QVariant headerData(int nSection, Qt::Orientation eOrientation, int nRole = Qt::DisplayRole) const override;
    bool insertRows(int nRow, int nCount, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int nRow, int nCount, const QModelIndex& parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool isCell(const QModelIndex& index) const;

    QList<QStringList>* m_pLines;
};

} // namespace MTools

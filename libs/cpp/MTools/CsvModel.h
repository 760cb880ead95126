// Editable table model over a CSV file (RFC 4180) whose first record is the header.
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

    // The fields of the first record of strLine: separated by commas, optionally enclosed in double quotes,
    // a doubled quote inside quotes standing for one; an empty line has no fields.
    static QStringList splitCSVLine(const QString& strLine);

    // Replaces the table with the records of the UTF-8 file (quoted fields may span lines); false when the
    // file can't be opened or the stream failed.
    bool loadData(const QString& strFileName);
    // Writes every record, header first, each field in double quotes with inner quotes doubled, through a
    // temporary file; false when the file could not be written completely (an earlier file then stays).
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
    // Reads the record starting at *pPos and moves *pPos past its line end.
    static QStringList readRecord(const QString& strText, int* pPos);
    bool isCell(const QModelIndex& index) const;

    QList<QStringList>* m_pLines;
};

} // namespace MTools

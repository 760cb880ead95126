#include "CsvModel.h"

#include <MTools/ToolsCommon.h>

#include <QFile>
#include <QSize>
#include <QTextStream>

namespace MTools {

CsvModel::CsvModel(QObject* pParent) : QAbstractTableModel(pParent), m_pLines(new QList<QStringList>) {}

CsvModel::~CsvModel() { delete m_pLines; }

QStringList CsvModel::splitCSVLine(const QString& strLine)
{
    int nPos = 0;
    return readRecord(strLine, &nPos);
}

QStringList CsvModel::readRecord(const QString& strText, int* pPos)
{
    const QChar quote = QLatin1Char('"');
    QStringList fields;
    QString strField;
    bool bInside = false;
    bool bFieldStart = true;
    bool bAny = false;
    int& i = *pPos;
    while (i < strText.size()) {
        const QChar ch = strText.at(i++);
        if (bInside) {
            if (ch != quote)
                strField.append(ch);
            else if (i < strText.size() && strText.at(i) == quote)
                strField.append(strText.at(i++));
            else
                bInside = false;
            continue;
        }
        if (ch == QLatin1Char('\n') || ch == QLatin1Char('\r')) {
            if (ch == QLatin1Char('\r') && i < strText.size() && strText.at(i) == QLatin1Char('\n'))
                ++i;
            break;
        }
        bAny = true;
        if (ch == QLatin1Char(',')) {
            fields.append(strField);
            strField.clear();
            bFieldStart = true;
            continue;
        }
        if (ch == quote && bFieldStart)
            bInside = true;
        else
            strField.append(ch);
        bFieldStart = false;
    }
    if (bAny)
        fields.append(strField);
    return fields;
}

bool CsvModel::loadData(const QString& strFileName)
{
    QFile file(strFileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    beginResetModel();
    m_pLines->clear();
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    const QString strText = stream.readAll();
    for (int nPos = 0; nPos < strText.size();)
        m_pLines->append(readRecord(strText, &nPos));
    const bool bOk = stream.status() == QTextStream::Ok;
    file.close();
    endResetModel();
    return bOk;
}

bool CsvModel::saveData(const QString& strFileName)
{
    QString strText;
    for (const QStringList& line : qAsConst(*m_pLines)) {
        QStringList quoted;
        for (QString strField : line)
            quoted.append(QLatin1Char('"') + strField.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
                          QLatin1Char('"'));
        // A record without fields still needs one empty field to be a line of its own.
        strText += (quoted.isEmpty() ? QStringLiteral("\"\"") : quoted.join(QLatin1Char(','))) + QLatin1Char('\n');
    }
    return ToolsCommon::saveFile(strFileName, strText.toUtf8());
}

int CsvModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || m_pLines->isEmpty())
        return 0;
    return m_pLines->size() - 1;
}

int CsvModel::columnCount(const QModelIndex&) const { return m_pLines->isEmpty() ? 0 : m_pLines->first().size(); }

bool CsvModel::hasChildren(const QModelIndex& parent) const { return !parent.isValid(); }

bool CsvModel::isCell(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && index.row() < rowCount() && index.column() < columnCount();
}

QVariant CsvModel::data(const QModelIndex& index, int nRole) const
{
    if (!isCell(index))
        return QVariant();
    const QStringList& line = m_pLines->at(index.row() + 1);
    switch (nRole) {
    case Qt::SizeHintRole:
        return QSize(30, 12);
    case Qt::DisplayRole:
    case Qt::EditRole:
        // A row may hold fewer fields than the header: the missing cells read as empty.
        return line.value(index.column());
    case Qt::ToolTipRole: {
        QString strTip = QStringLiteral("<table>");
        for (int i = 0; i < line.size(); ++i) {
            if (line.at(i).isEmpty())
                continue;
            strTip += QStringLiteral("<tr><td><b>%1</b>: %2</td></tr>")
                          .arg(headerData(i, Qt::Horizontal, Qt::DisplayRole).toString().toHtmlEscaped(),
                               line.at(i).toHtmlEscaped());
        }
        return strTip + QStringLiteral("</table>");
    }
    default:
        return QVariant();
    }
}

bool CsvModel::setData(const QModelIndex& index, const QVariant& value, int nRole)
{
    if (!isCell(index) || (nRole != Qt::DisplayRole && nRole != Qt::EditRole))
        return false;
    QStringList& line = (*m_pLines)[index.row() + 1];
    while (line.size() <= index.column())
        line.append(QString());
    line[index.column()] = value.toString();
    emit dataChanged(index, index, {});
    return true;
}

QVariant CsvModel::headerData(int nSection, Qt::Orientation eOrientation, int nRole) const
{
    if (m_pLines->isEmpty())
        return QVariant();
    if (nRole == Qt::DisplayRole) {
        if (eOrientation == Qt::Horizontal) {
            const QStringList& header = m_pLines->first();
            if (nSection < 0 || nSection >= header.size())
                return QVariant();
            return header.at(nSection);
        }
        return nSection + 1;
    }
    return QAbstractTableModel::headerData(nSection, eOrientation, nRole);
}

bool CsvModel::insertRows(int nRow, int nCount, const QModelIndex&)
{
    // Without a header line there is nothing to insert below; rows outside 0 to rowCount() are refused.
    if (m_pLines->isEmpty() || nRow < 0 || nRow > rowCount())
        return false;
    if (nCount < 1)
        return true;
    QStringList line;
    for (int i = 0; i < columnCount(); ++i)
        line.append(QString());
    beginInsertRows(QModelIndex(), nRow, nRow + nCount - 1);
    for (int i = 0; i < nCount; ++i)
        m_pLines->insert(nRow + 1, line);
    endInsertRows();
    return true;
}

bool CsvModel::removeRows(int nRow, int nCount, const QModelIndex&)
{
    // A negative row would reach the header line.
    if (nRow < 0 || qint64(nRow) + nCount >= m_pLines->size())
        return false;
    if (nCount < 1)
        return true;
    beginRemoveRows(QModelIndex(), nRow, nRow + nCount - 1);
    for (int i = 0; i < nCount; ++i)
        m_pLines->removeAt(nRow + 1);
    endRemoveRows();
    return true;
}

Qt::ItemFlags CsvModel::flags(const QModelIndex& index) const
{
    if (!index.isValid() || m_pLines->isEmpty())
        return Qt::NoItemFlags;
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

} // namespace MTools

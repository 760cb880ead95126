#include "vCardParam.h"

#include <QStringList>

namespace {

// The piece without its first nDrop characters; a piece shorter than that stays whole.
QString dropKeyword(const QString& strPiece, int nDrop)
{
    const int nRest = strPiece.size() - nDrop;
    return nRest < 0 ? strPiece : strPiece.right(nRest);
}

} // namespace

QByteArray vCardText::asciiUpper(QByteArray data)
{
    for (int i = 0; i < data.size(); ++i) {
        const char c = data.at(i);
        if (c >= 'a' && c <= 'z')
            data[i] = char(c - 'a' + 'A');
    }
    return data;
}

vCardParam::vCardParam() : m_eGroup(Other) {}

vCardParam::vCardParam(const QString& strValue, vCardParamGroup eGroup) : m_eGroup(eGroup), m_strValue(strValue) {}

vCardParam::vCardParamGroup vCardParam::group() const { return m_eGroup; }

QString vCardParam::value() const { return m_strValue; }

bool vCardParam::isValid() const { return !m_strValue.isEmpty(); }

bool vCardParam::operator==(const vCardParam& other) const
{
    return m_eGroup == other.m_eGroup && m_strValue == other.m_strValue;
}

bool vCardParam::operator!=(const vCardParam& other) const { return !(*this == other); }

QByteArray vCardParam::toByteArray(vCardVersion eVersion) const
{
    if (eVersion != Version21 && eVersion != Version30)
        return QByteArray();

    // A line break would end the content line; the reader turns it into a blank anyway.
    QString strValue = m_strValue;
    strValue.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));

    const QString strPattern = QStringLiteral("%1=%2");
    QString strText;
    switch (m_eGroup) {
    case Type:
        strText = eVersion == Version30 ? strPattern.arg(QStringLiteral("TYPE"), strValue) : strValue;
        break;
    case Encoding:
        strText = strPattern.arg(QStringLiteral("ENCODING"), strValue);
        break;
    case Charset:
        strText = strPattern.arg(QStringLiteral("CHARSET"), strValue);
        break;
    default:
        strText = strValue;
        break;
    }
    return vCardText::asciiUpper(strText.toUtf8());
}

QByteArray vCardParam::toByteArray(QList<vCardParam> params, vCardVersion eVersion)
{
    if (eVersion != Version21 && eVersion != Version30)
        return QByteArray();

    QStringList lstItems;
    if (eVersion == Version21) {
        for (const vCardParam& param : params)
            lstItems << QString::fromUtf8(param.toByteArray(Version21).constData());
    } else {
        QStringList lstTypes, lstEncodings, lstCharsets, lstOthers;
        for (const vCardParam& param : params) {
            const QString strText = QString::fromUtf8(param.toByteArray(Version21).constData());
            switch (param.group()) {
            case Type:
                lstTypes << strText;
                break;
            case Encoding:
                lstEncodings << strText;
                break;
            case Charset:
                lstCharsets << strText;
                break;
            default:
                lstOthers << strText;
                break;
            }
        }
        if (!lstTypes.isEmpty())
            lstItems << QStringLiteral("TYPE=") + lstTypes.join(QLatin1Char(','));
        lstItems << lstOthers << lstCharsets << lstEncodings;
    }
    return vCardText::asciiUpper(lstItems.join(QLatin1Char(';')).toUtf8());
}

QList<vCardParam> vCardParam::fromByteArray(const QByteArray& data)
{
    QList<vCardParam> result;
    const QString strText = QString::fromUtf8(data.constData()).simplified();
    const QStringList lstPieces = strText.split(QLatin1Char(';'));
    for (const QString& strPiece : lstPieces) {
        if (strPiece.trimmed().isEmpty())
            continue;
        if (strPiece.startsWith(QLatin1String("TYPE"), Qt::CaseInsensitive)) {
            const QStringList lstTypes = dropKeyword(strPiece, 5).split(QLatin1Char(','));
            for (const QString& strType : lstTypes)
                result << vCardParam(strType, Type);
        } else if (strPiece.startsWith(QLatin1String("ENCODING"), Qt::CaseInsensitive)) {
            result << vCardParam(dropKeyword(strPiece, 9), Encoding);
        } else if (strPiece.startsWith(QLatin1String("CHARSET"), Qt::CaseInsensitive)) {
            result << vCardParam(dropKeyword(strPiece, 8), Charset);
        } else {
            result << vCardParam(strPiece, Other);
        }
    }
    return result;
}

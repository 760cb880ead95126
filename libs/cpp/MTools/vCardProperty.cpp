#include "vCardProperty.h"

namespace {

// Properties whose components are comma-separated lists: a comma there separates items and stays as it is.
bool hasListComponents(const QString& strName)
{
    static const QStringList lstNames{QStringLiteral("N"), QStringLiteral("NICKNAME"), QStringLiteral("CATEGORIES")};
    return lstNames.contains(strName, Qt::CaseInsensitive);
}

// Backslash, ";" (and "," outside lists) are escaped with a backslash; a line break becomes "\n".
QString escapeComponent(const QString& strComponent, bool bEscapeComma)
{
    QString strOut;
    strOut.reserve(strComponent.size());
    for (int i = 0; i < strComponent.size(); ++i) {
        const QChar c = strComponent.at(i);
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || (bEscapeComma && c == QLatin1Char(','))) {
            strOut += QLatin1Char('\\');
            strOut += c;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < strComponent.size() && strComponent.at(i + 1) == QLatin1Char('\n'))
                ++i;
            strOut += QLatin1String("\\n");
        } else {
            strOut += c;
        }
    }
    return strOut;
}

// Splits a value at the ";" that are not escaped and reverses escapeComponent in each component; any other
// backslash sequence stays as it is.
QStringList splitValue(const QString& strValue)
{
    QStringList lstOut;
    QString strCurrent;
    for (int i = 0; i < strValue.size(); ++i) {
        const QChar c = strValue.at(i);
        const QChar next = i + 1 < strValue.size() ? strValue.at(i + 1) : QChar();
        if (c == QLatin1Char(';')) {
            lstOut << strCurrent;
            strCurrent.clear();
        } else if (c == QLatin1Char('\\') &&
                   (next == QLatin1Char('\\') || next == QLatin1Char(';') || next == QLatin1Char(','))) {
            strCurrent += next;
            ++i;
        } else if (c == QLatin1Char('\\') && (next == QLatin1Char('n') || next == QLatin1Char('N'))) {
            strCurrent += QLatin1Char('\n');
            ++i;
        } else {
            strCurrent += c;
        }
    }
    lstOut << strCurrent;
    return lstOut;
}

} // namespace

vCardProperty::vCardProperty() = default;

vCardProperty::vCardProperty(const QString& strName, const QString& strValue, const QList<vCardParam>& params)
    : m_strName(strName), m_lstValues(strValue.split(QLatin1Char(';'))), m_lstParams(params)
{
}

vCardProperty::vCardProperty(const QString& strName, const QStringList& lstValues, const QList<vCardParam>& params)
    : m_strName(strName), m_lstValues(lstValues), m_lstParams(params)
{
}

vCardProperty::vCardProperty(const QString& strName, const QString& strValue, const QString& strParams)
    : vCardProperty(strName, strValue, vCardParam::fromByteArray(strParams.toUtf8()))
{
}

vCardProperty::vCardProperty(const QString& strName, const QStringList& lstValues, const QString& strParams)
    : vCardProperty(strName, lstValues, vCardParam::fromByteArray(strParams.toUtf8()))
{
}

QString vCardProperty::name() const { return m_strName; }

QStringList vCardProperty::values() const { return m_lstValues; }

QList<vCardParam> vCardProperty::params() const { return m_lstParams; }

QString vCardProperty::value() const { return m_lstValues.join(QLatin1Char(';')); }

bool vCardProperty::isValid() const
{
    if (m_strName.isEmpty() || m_lstValues.isEmpty())
        return false;
    for (const vCardParam& param : m_lstParams) {
        if (!param.isValid())
            return false;
    }
    return true;
}

bool vCardProperty::operator==(const vCardProperty& other) const
{
    return m_strName == other.m_strName && m_lstValues == other.m_lstValues;
}

bool vCardProperty::operator!=(const vCardProperty& other) const { return !(*this == other); }

QByteArray vCardProperty::toByteArray(vCardVersion eVersion) const
{
    if (eVersion != Version21 && eVersion != Version30)
        return QByteArray();

    QByteArray line = vCardText::asciiUpper(m_strName.toUtf8());
    const QByteArray params = vCardParam::toByteArray(m_lstParams, eVersion);
    if (!params.isEmpty())
        line += ';' + params;
    line += ':';
    const bool bEscapeComma = !hasListComponents(m_strName);
    QStringList lstEscaped;
    for (const QString& strValue : m_lstValues)
        lstEscaped << escapeComponent(strValue, bEscapeComma);
    line += lstEscaped.join(QLatin1Char(';')).toUtf8();
    return line;
}

QList<vCardProperty> vCardProperty::fromByteArray(const QByteArray& data)
{
    QList<vCardProperty> result;
    const QStringList lstLines = QString::fromUtf8(data.constData()).split(QLatin1Char('\n'));
    for (const QString& strLine : lstLines) {
        if (strLine == QLatin1String("BEGIN:VCARD") || strLine == QLatin1String("END:VCARD"))
            continue;
        const int nColon = strLine.indexOf(QLatin1Char(':'));
        if (nColon < 0)
            continue;
        QStringList lstHead = strLine.left(nColon).split(QLatin1Char(';'));
        const QString strName = lstHead.takeFirst();
        if (strName == QLatin1String("VERSION"))
            continue;
        const QList<vCardParam> params = vCardParam::fromByteArray(lstHead.join(QLatin1Char(';')).toUtf8());
        result << vCardProperty(strName, splitValue(strLine.mid(nColon + 1)), params);
    }
    return result;
}

vCardProperty vCardProperty::createAddress(const QString& strStreet, const QString& strLocality,
                                           const QString& strRegion, const QString& strPostalCode,
                                           const QString& strCountry, const QString& strPostOfficeBox,
                                           const QString& strExtendedAddress, const QList<vCardParam>& params)
{
    return vCardProperty(
        QStringLiteral("ADR"),
        QStringList{strPostOfficeBox, strExtendedAddress, strStreet, strLocality, strRegion, strPostalCode, strCountry},
        params);
}

vCardProperty vCardProperty::createBirthday(const QDate& date, const QList<vCardParam>& params)
{
    return vCardProperty(QStringLiteral("BDAY"), date.toString(QStringLiteral("yyyy-MM-dd")), params);
}

vCardProperty vCardProperty::createBirthday(const QDateTime& dateTime, const QList<vCardParam>& params)
{
    return vCardProperty(QStringLiteral("BDAY"), dateTime.toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'")),
                         params);
}

vCardProperty vCardProperty::createGeographicPosition(double dLatitude, double dLongitude,
                                                      const QList<vCardParam>& params)
{
    return vCardProperty(QStringLiteral("GEO"),
                         QStringList{QString::number(dLatitude, 'f', 6), QString::number(dLongitude, 'f', 6)}, params);
}

vCardProperty vCardProperty::createName(const QString& strGivenName, const QString& strFamilyName,
                                        const QString& strAdditionalNames, const QString& strPrefixes,
                                        const QString& strSuffixes, const QList<vCardParam>& params)
{
    return vCardProperty(QStringLiteral("N"),
                         QStringList{strFamilyName, strGivenName, strAdditionalNames, strPrefixes, strSuffixes},
                         params);
}

vCardProperty vCardProperty::createOrganization(const QString& strName, const QStringList& lstUnits,
                                                const QList<vCardParam>& params)
{
    return vCardProperty(QStringLiteral("ORG"), QStringList{strName} + lstUnits, params);
}

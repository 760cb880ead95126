// One vCard content line: a name, its ";"-separated value components and its parameters.
#pragma once

#include <MTools/vCardParam.h>

#include <QDate>
#include <QDateTime>
#include <QStringList>

class vCardProperty
{
public:
    vCardProperty();
    vCardProperty(const QString& strName, const QString& strValue,
                  const QList<vCardParam>& params = QList<vCardParam>());
    vCardProperty(const QString& strName, const QStringList& lstValues,
                  const QList<vCardParam>& params = QList<vCardParam>());
    vCardProperty(const QString& strName, const QString& strValue, const QString& strParams);
    vCardProperty(const QString& strName, const QStringList& lstValues, const QString& strParams);

    QString name() const;
    QStringList values() const;
    QList<vCardParam> params() const;
    // The components joined with ";".
    QString value() const;
    // Needs a name, at least one component and only valid parameters.
    bool isValid() const;

    // Compares name and values; the parameters are not compared.
    bool operator==(const vCardProperty& other) const;
    bool operator!=(const vCardProperty& other) const;

    // The line text without line end; empty for an unknown version. Inside components backslashes,
    // semicolons and line breaks are escaped ("\\", "\;", "\n"), and commas ("\,") except in the
    // comma-list properties N, NICKNAME and CATEGORIES.
    QByteArray toByteArray(vCardVersion eVersion) const;
    // Parses one or more lines; skips BEGIN/END:VCARD, VERSION and lines without a colon. Components are
    // split at unescaped ";" and unescaped.
    static QList<vCardProperty> fromByteArray(const QByteArray& data);

    static vCardProperty createAddress(const QString& strStreet, const QString& strLocality, const QString& strRegion,
                                       const QString& strPostalCode, const QString& strCountry,
                                       const QString& strPostOfficeBox, const QString& strExtendedAddress,
                                       const QList<vCardParam>& params = QList<vCardParam>());
    static vCardProperty createBirthday(const QDate& date, const QList<vCardParam>& params = QList<vCardParam>());
    // The date and time in UTC, "yyyy-MM-ddTHH:mm:ssZ".
    static vCardProperty createBirthday(const QDateTime& dateTime,
                                        const QList<vCardParam>& params = QList<vCardParam>());
    // Both coordinates with six decimals.
    static vCardProperty createGeographicPosition(double dLatitude, double dLongitude,
                                                  const QList<vCardParam>& params = QList<vCardParam>());
    static vCardProperty createName(const QString& strGivenName, const QString& strFamilyName,
                                    const QString& strAdditionalNames, const QString& strPrefixes,
                                    const QString& strSuffixes, const QList<vCardParam>& params = QList<vCardParam>());
    static vCardProperty createOrganization(const QString& strName, const QStringList& lstUnits,
                                            const QList<vCardParam>& params = QList<vCardParam>());

private:
    QString m_strName;
    QStringList m_lstValues;
    QList<vCardParam> m_lstParams;
};

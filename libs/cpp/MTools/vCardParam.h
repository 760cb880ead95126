// One parameter of a vCard content line (type, encoding, charset or any other item).
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

enum vCardVersion { Version21 = 0, Version30 = 1 };

class vCardParam
{
public:
    enum vCardParamGroup { Type = 0, Encoding = 1, Charset = 2, Other = 3 };

    vCardParam();
    vCardParam(const QString& strValue, vCardParamGroup eGroup);

    vCardParamGroup group() const;
    QString value() const;
    // True when the value is not empty.
    bool isValid() const;

    bool operator==(const vCardParam& other) const;
    bool operator!=(const vCardParam& other) const;

    // This parameter's text, upper-cased; empty for an unknown version.
    QByteArray toByteArray(vCardVersion eVersion) const;

    // A whole parameter section without the leading ";". Version 3.0 gathers the types into
    // one TYPE= item and orders the rest as others, charsets, encodings.
    static QByteArray toByteArray(QList<vCardParam> params, vCardVersion eVersion);
    // Parses the text between the property name and the colon (without the leading ";").
    static QList<vCardParam> fromByteArray(const QByteArray& data);

private:
    vCardParamGroup m_eGroup;
    QString m_strValue;
};

namespace vCardText {
// Upper-cases ASCII letters only; every other byte passes through.
QByteArray asciiUpper(QByteArray data);
} // namespace vCardText

#include "vCard.h"

#include <MTools/ToolsCommon.h>

#include <QFile>
#include <QLocale>

namespace {

const char* const s_szBegin = "BEGIN:VCARD";
const char* const s_szEnd = "END:VCARD";

// Photo lines and base64 values carry data in which white space means nothing.
bool isBase64Line(const QByteArray& line)
{
    const QByteArray head = vCardText::asciiUpper(line.left(line.indexOf(':')));
    return head.startsWith("PHOTO") || head.contains("ENCODING=B") || head.contains("BASE64");
}

// Joins every line that begins with a blank or tab onto the line before it: the line break and that one
// character go (RFC 2425 unfolding); base64 data drops all white space around its pieces instead.
QList<QByteArray> unfoldLines(const QList<QByteArray>& lstIn)
{
    QList<QByteArray> lstOut;
    for (const QByteArray& line : lstIn) {
        const QByteArray upper = vCardText::asciiUpper(line.simplified());
        // An indented begin or end line still delimits a card.
        if (lstOut.isEmpty() || !(line.startsWith(' ') || line.startsWith('\t')) || upper == s_szBegin ||
            upper == s_szEnd) {
            lstOut << line;
            continue;
        }
        QByteArray& logical = lstOut.last();
        const bool bBase64 = isBase64Line(logical);
        while (logical.endsWith('\r') || (bBase64 && (logical.endsWith(' ') || logical.endsWith('\t'))))
            logical.chop(1);
        logical += bBase64 ? line.trimmed() : line.mid(1);
    }
    return lstOut;
}

QByteArray stripGroup(const QByteArray& line)
{
    if (!line.startsWith("item") && !line.startsWith("ITEM"))
        return line;
    const int nDot = line.indexOf('.');
    if (nDot < 0)
        return line;
    bool bOk = false;
    QLocale::c().toInt(QString::fromUtf8(line.mid(4, nDot - 4)), &bOk);
    return bOk ? line.mid(nDot + 1) : line;
}

} // namespace

vCard::vCard() = default;

vCard::vCard(const QList<vCardProperty>& properties) : m_lstProperties(properties) {}

vCard::vCard(const vCard& other) = default;

vCard& vCard::operator=(const vCard& other) = default;

vCard::~vCard() = default;

QList<vCardProperty> vCard::properties() const { return m_lstProperties; }

void vCard::addProperty(const vCardProperty& property) { m_lstProperties << property; }

void vCard::addProperties(const QList<vCardProperty>& properties) { m_lstProperties << properties; }

const vCardProperty* vCard::findProperty(const QString& strName, const QList<vCardParam>& params, bool bStrict) const
{
    for (const vCardProperty& candidate : m_lstProperties) {
        if (candidate.name() != strName)
            continue;
        const QList<vCardParam> own = candidate.params();
        bool bMatch = true;
        if (bStrict) {
            bMatch = own == params;
        } else {
            for (const vCardParam& param : params) {
                if (!own.contains(param)) {
                    bMatch = false;
                    break;
                }
            }
        }
        if (bMatch)
            return &candidate;
    }
    return nullptr;
}

vCardProperty vCard::property(const QString& strName, const QList<vCardParam>& params, bool bStrict) const
{
    const vCardProperty* pFound = findProperty(strName, params, bStrict);
    return pFound ? *pFound : vCardProperty();
}

bool vCard::contains(const QString& strName, const QList<vCardParam>& params, bool bStrict) const
{
    return findProperty(strName, params, bStrict) != nullptr;
}

bool vCard::contains(const vCardProperty& property) const { return m_lstProperties.contains(property); }

bool vCard::isValid() const
{
    if (m_lstProperties.isEmpty())
        return false;
    for (const vCardProperty& property : m_lstProperties) {
        if (!property.isValid())
            return false;
    }
    return true;
}

int vCard::count() const { return m_lstProperties.size(); }

QByteArray vCard::toByteArray(vCardVersion eVersion) const
{
    if (eVersion != Version21 && eVersion != Version30)
        return QByteArray();

    QStringList lstLines;
    lstLines << QString::fromLatin1(s_szBegin);
    const vCardProperty version(QStringLiteral("VERSION"),
                                eVersion == Version21 ? QStringLiteral("2.1") : QStringLiteral("3.0"));
    lstLines << QString::fromUtf8(version.toByteArray(eVersion));
    for (const vCardProperty& property : m_lstProperties)
        lstLines << QString::fromUtf8(property.toByteArray(eVersion).constData());
    lstLines << QString::fromLatin1(s_szEnd);
    return lstLines.join(QLatin1Char('\n')).toUtf8();
}

bool vCard::saveToFile(const QString& strFileName) const
{
    return MTools::ToolsCommon::saveFile(strFileName, toByteArray(Version21));
}

QList<vCard> vCard::fromByteArray(const QByteArray& data)
{
    QList<QByteArray> lstLines = unfoldLines(data.split('\n'));
    for (QByteArray& line : lstLines)
        line = stripGroup(line);

    QList<vCard> result;
    bool bOpen = false;
    vCard card;
    for (const QByteArray& rawLine : qAsConst(lstLines)) {
        const QByteArray line = rawLine.simplified();
        const QByteArray upper = vCardText::asciiUpper(line);
        if (!bOpen) {
            if (upper == s_szBegin) {
                card = vCard();
                bOpen = true;
            }
        } else if (upper == s_szEnd) {
            result << card;
            bOpen = false;
        } else if (upper != s_szBegin) {
            for (const vCardProperty& property : vCardProperty::fromByteArray(line)) {
                if (property.name().compare(QLatin1String("VERSION"), Qt::CaseInsensitive) != 0)
                    card.addProperty(property);
            }
        }
    }
    return result;
}

QList<vCard> vCard::fromFile(const QString& strFileName)
{
    QFile file(strFileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QList<vCard>();
    const QByteArray data = file.readAll();
    file.close();
    return fromByteArray(data);
}

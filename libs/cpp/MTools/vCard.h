// An electronic business card: an ordered list of vCard properties, read and written as text.
#pragma once

#include <MTools/vCardProperty.h>

class vCard
{
public:
    vCard();
    explicit vCard(const QList<vCardProperty>& properties);
    vCard(const vCard& other);
    vCard& operator=(const vCard& other);
    virtual ~vCard();

    QList<vCardProperty> properties() const;
    void addProperty(const vCardProperty& property);
    void addProperties(const QList<vCardProperty>& properties);

    // The first property of that name whose parameters match: strict asks for the same list in
    // the same order, otherwise each given parameter must be among the property's. A
    // default-constructed property when none matches.
    vCardProperty property(const QString& strName, const QList<vCardParam>& params = QList<vCardParam>(),
                           bool bStrict = false) const;
    bool contains(const QString& strName, const QList<vCardParam>& params = QList<vCardParam>(),
                  bool bStrict = false) const;
    // True when a property with equal name and values is on the card.
    bool contains(const vCardProperty& property) const;
    // False for an empty card or one holding an invalid property.
    bool isValid() const;
    int count() const;

    // The card from BEGIN:VCARD to END:VCARD, lines joined by "\n"; empty for an unknown version.
    QByteArray toByteArray(vCardVersion eVersion = Version21) const;
    // Writes the version 2.1 text through a temporary file; false when it could not be written completely
    // (an earlier file then stays as it was).
    bool saveToFile(const QString& strFileName) const;

    // Every complete card (BEGIN:VCARD to END:VCARD, in any case) of the text, in order, with folded lines
    // unfolded.
    static QList<vCard> fromByteArray(const QByteArray& data);
    static QList<vCard> fromFile(const QString& strFileName);

private:
    const vCardProperty* findProperty(const QString& strName, const QList<vCardParam>& params, bool bStrict) const;

    QList<vCardProperty> m_lstProperties;
};

#pragma once
// Abstract settings page: applies its values and loads or stores them as one XML element.

#include <QDomDocument>
#include <QDomElement>
#include <QDomNode>
#include <QWidget>

namespace VUVararer {

class SettingsWidget : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsWidget(QWidget* parent = nullptr) : QWidget(parent) {}

    // Loads the page from the element that carries settingsTag().
    virtual void readSettings(const QDomNode& node) = 0;
    // The page's values as an element with the tag settingsTag(), created in document.
    virtual QDomElement writeSettings(QDomDocument& document) = 0;
    virtual QString settingsTag() const = 0;

public slots:
    virtual void slotApply() {}
};

} // namespace VUVararer

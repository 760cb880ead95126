#pragma once
// A push button whose menu shares the application and opens its pages on social networks.

#include <QPushButton>

namespace VUVararer {

class CommunityButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CommunityButton(QWidget* parent = nullptr);

    void setFaceBook(const QString& url) { m_strFaceBook = url; }
    void setYouTube(const QString& url) { m_strYouTube = url; }
    void setTwitter(const QString& url) { m_strTwitter = url; }
    void setMoiMir(const QString& url) { m_strMoiMir = url; }
    void setXing(const QString& url) { m_strXing = url; }

public slots:
    // Each opens its stored address in the browser; an empty address opens nothing.
    void slotFaceBook();
    void slotYouTube();
    // Has no menu row; the owner connects it.
    void slotTwitter();
    void slotMoiMir();
    void slotXing();

private:
    QString m_strFaceBook;
    QString m_strYouTube;
    QString m_strTwitter;
    QString m_strMoiMir;
    QString m_strXing;
};

// A push button that writes "Menu" across its lower half.
class MenuButton : public QPushButton
{
    Q_OBJECT

public:
    explicit MenuButton(QWidget* parent = nullptr) : QPushButton(parent) {}
    explicit MenuButton(const QString& text, QWidget* parent = nullptr) : QPushButton(text, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace VUVararer

#pragma once
// An address field with e-mail and e-card buttons that are enabled only while the whole text is an e-mail address.

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace VUVararer {

class EmailEdit : public QWidget
{
    Q_OBJECT

public:
    explicit EmailEdit(QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const;

public slots:
    void slotTextChanged();
    void slotSendEmail();
    void slotSendECard();

signals:
    void textChanged(const QString& text);
    // The owner sends.
    void sendEmail(const QString& address);
    void sendECard(const QString& address);

private:
    QLineEdit* m_pledAddress;
    QPushButton* m_pcmdECard;
    QPushButton* m_pcmdEmail;
};

} // namespace VUVararer

#pragma once

#include <QWidget>

class QLineEdit;

// A date entry field of the main window (purchase, reading and loan dates).
// For now it is a plain text field: the user types the date in the locale's
// short date format, and a text that is not a date is refused when the field
// is left (the text stays, the focus comes back), so a typed date is never
// stored as nothing. The calendar drop-down is added on top of this field
// later; callers only rely on text(), setText() and the textChanged() signal.
class DateField : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged USER true)

public:
    explicit DateField(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

    // The editor inside, for focus handling and key forwarding.
    QLineEdit* lineEdit() const { return m_edit; }

    // The message that refuses a text that is not a date.
    void setRefusalMessage(const QString& message) { m_refusal = message; }
    // True for an empty text or a date; otherwise shows the refusal and puts
    // the focus back into the field.
    bool acceptText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    // Every change of the text, typed or set by the program.
    void textChanged(const QString& text);

private:
    QLineEdit* m_edit;
    QString m_refusal;
};

#pragma once

#include <QWidget>

class QLineEdit;

// A date entry field of the main window (purchase, reading and loan dates).
// For now it is a plain text field: the user types the date in the locale's
// short date format and the window checks it when the field is left. The
// calendar drop-down is added on top of this field later; callers only rely on
// text(), setText() and the textChanged() signal.
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

signals:
    // Every change of the text, typed or set by the program.
    void textChanged(const QString& text);

private:
    QLineEdit* m_edit;
};

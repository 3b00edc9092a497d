#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

// An ISBN with a wrong check digit is most often mistyped: leaving the field
// with one asks whether to keep it as typed (Yes) or go back to it (No).
// Any other text (no ISBN, an older book number) passes silently, and a text
// kept once is not asked about again.
class IsbnLeaveCheck : public QObject
{
    Q_OBJECT

public:
    IsbnLeaveCheck(QLineEdit* field, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
    QString m_kept;
};

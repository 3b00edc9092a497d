#pragma once

#include <QHash>
#include <QObject>

class QWidget;

// Removes control characters from a text field (line edit, editable combo or
// plain text edit) when the user leaves it, and says which were removed.
class ControlCharacterGuard : public QObject
{
    Q_OBJECT

public:
    explicit ControlCharacterGuard(QObject* parent = nullptr);

    // fieldName as the user knows the field ("Title"); line breaks are kept
    // when keepLineBreaks.
    void watch(QWidget* field, const QString& fieldName, bool keepLineBreaks = false);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Watched
    {
        QWidget* field;
        QString name;
        bool keepLineBreaks;
    };
    void clean(const Watched& watched);

    QHash<QObject*, Watched> m_fields; // by the widget that takes the focus
};

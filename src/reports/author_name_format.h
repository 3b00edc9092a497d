#pragma once

#include <QByteArrayView>
#include <QString>
#include <string>

// An author's name as the book lists print it, first names first. A first
// name holding two people joined by " & " or " and " (exactly so, case
// counts) gets the last name after the first of them: "John & Mary" and
// "Smith" give "John Smith & Mary". Blanks at either end are dropped; a Null
// column is passed as the empty text.
QString FormatAuthorName(const QString& firstName, const QString& lastName);

// The same name put together from the columns as SQLite holds them, in
// UTF-8, in a buffer kept from one name to the next: a list of a million
// books makes each name with one allocation, the QString it returns.
class AuthorNames
{
public:
    QString format(QByteArrayView firstName, QByteArrayView lastName);

private:
    std::string m_name;
};

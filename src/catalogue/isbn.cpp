#include "catalogue/isbn.h"

using namespace Qt::StringLiterals;

namespace {

int digitValue(QChar c)
{
    return c == u'X' ? 10 : c.unicode() - u'0';
}

QChar isbn10CheckDigit(const QString& digits)
{
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += (10 - i) * digitValue(digits.at(i));
    const int check = (11 - sum % 11) % 11;
    return check == 10 ? u'X' : QChar(u'0' + check);
}

QChar isbn13CheckDigit(const QString& digits)
{
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (i % 2 == 0 ? 1 : 3) * digitValue(digits.at(i));
    return QChar(u'0' + (10 - sum % 10) % 10);
}

} // namespace

QString isbnDigits(const QString& text)
{
    QString digits;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= u'0' && c <= u'9')
            digits += c;
        else if ((c == u'X' || c == u'x') && digits.size() == 9)
            digits += u'X';
        else if (c != u'-' && c != u' ')
            return QString();
    }
    // An X anywhere but tenth of ten leaves a count or shape no ISBN has.
    if (digits.contains(u'X') && digits.size() != 10)
        return QString();
    return digits.size() == 10 || digits.size() == 13 ? digits : QString();
}

QChar expectedCheckDigit(const QString& digits)
{
    return digits.size() == 10 ? isbn10CheckDigit(digits) : isbn13CheckDigit(digits);
}

IsbnCheck checkIsbn(const QString& text)
{
    const QString digits = isbnDigits(text);
    if (digits.isEmpty())
        return IsbnCheck::NotAnIsbn;
    return digits.back() == expectedCheckDigit(digits) ? IsbnCheck::Valid : IsbnCheck::WrongCheckDigit;
}

QString isbn10To13(const QString& digits)
{
    if (digits.size() != 10 || checkIsbn(digits) != IsbnCheck::Valid)
        return QString();
    QString result = u"978"_s + digits.left(9);
    return result + isbn13CheckDigit(result);
}

QString isbn13To10(const QString& digits)
{
    if (digits.size() != 13 || !digits.startsWith(u"978"_s) || checkIsbn(digits) != IsbnCheck::Valid)
        return QString();
    const QString result = digits.mid(3, 9);
    return result + isbn10CheckDigit(result);
}

QString isbnMatchKey(const QString& text)
{
    const QString digits = isbnDigits(text);
    if (digits.size() == 10)
        return u"978"_s + digits.left(9);
    if (digits.size() == 13)
        return digits.left(12);
    QString key;
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            key += c.toUpper();
    }
    return key;
}

#pragma once

#include <QHash>
#include <QString>
#include <QVariantList>
#include <optional>

class Database;

// Collectors keep a book once as a rule, so a new book that looks like one
// already stored is worth a question: the same ISBN, whichever form either is
// written in, or the same title and author, without regard to case and
// accents ("Les Misérables" by "Hugo, Victor" is "LES MISERABLES" by
// "hugo,victor").
class DuplicateGuard
{
public:
    // Every book of the catalogue. Throws DbError.
    explicit DuplicateGuard(Database& db);

    // The key of a stored book the new one matches.
    std::optional<qint64> match(const QString& isbn, const QString& title, const QString& author) const;

private:
    friend std::optional<qint64> findDuplicateBook(Database&, const QString&, const QString&, const QString&);
    // The books of a query giving key, ISBN, title, last and first name.
    DuplicateGuard(Database& db, const QByteArray& sql, const QVariantList& parameters);

    QHash<QString, qint64> m_isbns;
    QHash<QString, qint64> m_titlesAndAuthors;
};

// The title and author of a book reduced to what the guard compares: case
// and accents dropped, runs of blanks made one, the author's last and first
// name (split at the comma) trimmed. Empty when the title is.
QString titleAuthorKey(const QString& title, const QString& author);

// The key of a stored book that one about to be added matches, found through
// the title index and the ISBNs the connection keeps by their match key (read
// once, at the first lookup with an ISBN). Throws DbError.
std::optional<qint64> findDuplicateBook(Database& db, const QString& isbn, const QString& title,
                                        const QString& author);

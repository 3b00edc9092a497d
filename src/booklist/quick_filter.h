#pragma once

#include <QString>
#include <QtGlobal>
#include <string>
#include <vector>

class Database;

// The list's quick filter: every word typed must occur, case and accents
// ignored, in a book's title, author, series, publisher, ISBN or notes.
// Words compare by their letters as the catalogue's order sees them first
// ("ecole" finds "École", "strasse" finds "Straße").
class QuickFilter
{
public:
    // At most this many different words count; a longer text is cut there.
    static constexpr int MaxWords = 64;

    explicit QuickFilter(const QString& text = QString());

    // No word to look for: every book passes.
    bool isEmpty() const { return m_words.empty(); }
    std::size_t wordCount() const { return m_words.size(); }
    // One bit per word, all set: what a book must collect over its fields.
    quint64 allWords() const;

    // The words found in a UTF-8 text, as bits.
    quint64 wordsIn(const char* text, std::size_t length) const;

    // The keys of the books every word occurs in, ascending. One pass over
    // Books; the lookup names are searched once each.
    std::vector<qint64> matchingBooks(Database& db) const;

    // Whether this filter only ever leaves out more than wider does: each of
    // wider's words is part of one of these (a word typed on, a word added).
    bool narrows(const QuickFilter& wider) const;
    // The books among candidates that every word occurs in, in candidates'
    // order: each read by its key, which beats a pass over every book when
    // the candidates are few.
    std::vector<qint64> matchingAmong(Database& db, const std::vector<qint64>& candidates) const;

private:
    std::vector<std::u32string> m_words;
    mutable std::u32string m_letters; // reused between fields
};

#pragma once

#include <QDate>
#include <QString>

// A page header or footer as the reports write it: left, centre and right
// parts joined by "|", each drawn at its place on every page; "%d" in any part
// stands for the page number.
struct PageHeaderText
{
    QString left;
    QString centre;
    QString right;

    // A text without "|" is all left part; any "|" after the second stays in
    // the right part.
    static PageHeaderText parse(const QString& text);
    // The parts with "%d" replaced by the page number (1 for the first page).
    PageHeaderText forPage(int pageNumber) const;
    bool isEmpty() const { return left.isEmpty() && centre.isEmpty() && right.isEmpty(); }
};

// The header of every standard report: the date in the short date format, the
// title and "Page %d".
QString standardPageHeader(const QString& title, const QDate& today);

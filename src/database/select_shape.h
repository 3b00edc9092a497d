#pragma once

#include <QString>

// The parts of an SQLite SELECT that a keyset recordset needs, found at the
// top level of the statement (never inside parentheses or quotes).
struct SelectShape
{
    // A plain SELECT over rows of one real or joined table: no DISTINCT,
    // GROUP BY, HAVING, aggregate, window, compound or LIMIT, and no right or
    // full join. Whether the FROM's first name really is a table is for the
    // caller to check.
    bool plain = false;
    bool hasJoin = false;
    QString selectList;    // between SELECT and FROM
    QString fromClause;    // after FROM, up to WHERE or ORDER BY
    QString whereClause;   // the condition after WHERE, or empty
    QString orderClause;   // "order by ..." as written, or empty
    QString baseTable;     // the first table of the FROM clause, unquoted
    QString baseReference; // how the query names it: its alias, else the name as written
};

SelectShape analyseSelect(const QString& sqliteSql);

// A name put in double quotes for SQLite.
QString quoteSqlName(const QString& name);

#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// Translation of SQL and criteria written in the classic desktop dialect into
// SQLite's:
//   "text" -> 'text'        [name] -> "name"          #3/7/2001# -> '2001-03-07'
//   true / false -> 1 / 0   a & b -> text concatenation in which Null counts
//                           as empty text
//   a like p -> a call of the classic pattern match (JetLikeFunction, see
//               database/sqlite_extensions.h) with p and a
//   a trailing ";" is dropped, and the classic column types of CREATE TABLE
//   and ALTER TABLE ... ADD become the types this program stores.
// Everything else passes through unchanged. Throws DbError 3075 on an
// unterminated quote or an unreadable date literal.
QString translateJetSql(const QString& jetSql);

// The inside of a #...# literal: month/day/year with an optional time
// ("3/7/2001", "3/7/2001 10:30:00 PM"), a time alone, a year-first date
// ("2001-03-07") or a date with an English month name ("7-Mar-2001",
// "March 7, 2001"). A day above 12 given first is taken as day/month. A time
// alone lies on 1899-12-30.
std::optional<QDateTime> parseJetDateLiteral(const QString& text);

#pragma once

#include <QStringList>

// The column names a CREATE TABLE statement declares, or the columns a
// CREATE INDEX statement indexes, in their order, read leniently: a damaged
// type, collation or keyword elsewhere in the text does not matter as long as
// the list itself can be told apart. An index column that is an expression
// gives an empty name. Empty when no list can be found.
QStringList declaredColumns(const QString& createSql);

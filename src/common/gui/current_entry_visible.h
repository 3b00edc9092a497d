#pragma once

class QAbstractItemView;

// Keeps a list's current entry in view: when it moves (by the keys or by the
// program, also while the list is hidden), and when the list is shown or
// changes size. A window that lays itself out anew as the entry changes (the
// search window shows other controls for each kind of field) can shrink the
// list under the entry the list has just scrolled to.
void keepCurrentEntryVisible(QAbstractItemView* list);

#pragma once

#include <QString>
#include <functional>

class QComboBox;

// A drop-down list whose choice can be taken back: Delete or Backspace leaves
// it with no entry chosen, which shows placeholder, and then calls cleared.
// The entries and their positions stay as they are.
void makeChoiceClearable(QComboBox* combo, const QString& placeholder, std::function<void()> cleared);

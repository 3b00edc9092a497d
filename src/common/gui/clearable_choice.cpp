#include "common/gui/clearable_choice.h"

#include <QComboBox>
#include <QKeyEvent>

namespace {

class ClearOnDelete final : public QObject
{
public:
    ClearOnDelete(QComboBox* combo, std::function<void()> cleared)
        : QObject(combo), m_combo(combo), m_cleared(std::move(cleared))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_combo || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool clears = (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) &&
                            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (!clears)
            return false;
        if (m_combo->currentIndex() >= 0) {
            m_combo->setCurrentIndex(-1);
            if (m_cleared)
                m_cleared();
        }
        return true;
    }

private:
    QComboBox* m_combo;
    std::function<void()> m_cleared;
};

} // namespace

void makeChoiceClearable(QComboBox* combo, const QString& placeholder, std::function<void()> cleared)
{
    combo->setPlaceholderText(placeholder);
    combo->installEventFilter(new ClearOnDelete(combo, std::move(cleared)));
}

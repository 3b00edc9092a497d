#include "common/gui/current_entry_visible.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QItemSelectionModel>

namespace {

class CurrentEntryInView final : public QObject
{
public:
    explicit CurrentEntryInView(QAbstractItemView* list) : QObject(list), m_list(list)
    {
        list->installEventFilter(this);
        if (QItemSelectionModel* selection = list->selectionModel())
            connect(selection, &QItemSelectionModel::currentChanged, this, &CurrentEntryInView::schedule);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_list && (event->type() == QEvent::Show || event->type() == QEvent::Resize))
            schedule();
        return false;
    }

private:
    // Once the window has finished laying itself out.
    void schedule()
    {
        if (m_scheduled)
            return;
        m_scheduled = true;
        QMetaObject::invokeMethod(this, &CurrentEntryInView::scrollToCurrent, Qt::QueuedConnection);
    }

    void scrollToCurrent()
    {
        m_scheduled = false;
        const QModelIndex current = m_list->currentIndex();
        if (current.isValid() && m_list->isVisible())
            m_list->scrollTo(current, QAbstractItemView::EnsureVisible);
    }

    QAbstractItemView* m_list;
    bool m_scheduled = false;
};

} // namespace

void keepCurrentEntryVisible(QAbstractItemView* list)
{
    new CurrentEntryInView(list);
}

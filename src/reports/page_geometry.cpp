#include "reports/page_geometry.h"

#include <algorithm>

QSizeF PageGeometry::orientedPaper(PageOrientation orientation) const
{
    const double shorter = std::min(paper.width(), paper.height());
    const double longer = std::max(paper.width(), paper.height());
    return orientation == PageOrientation::Portrait ? QSizeF(shorter, longer) : QSizeF(longer, shorter);
}

QRectF PageGeometry::printableRect(PageOrientation orientation) const
{
    return QRectF(QPointF(0, 0), orientedPaper(orientation)).marginsRemoved(margins);
}

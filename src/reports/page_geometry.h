#pragma once

#include <QMarginsF>
#include <QRectF>
#include <QSizeF>

enum class PageOrientation { Portrait, Landscape };

// The paper a document is laid out on, in twips (1440 to the inch).
struct PageGeometry
{
    QSizeF paper{12240, 15840}; // portrait: width below height
    QMarginsF margins{720, 720, 720, 720};

    static PageGeometry letter() { return {}; }
    static PageGeometry a4() { return {QSizeF(11906, 16838), QMarginsF(720, 720, 720, 720)}; }

    // The paper as it lies in that orientation.
    QSizeF orientedPaper(PageOrientation orientation) const;
    // Inside the margins.
    QRectF printableRect(PageOrientation orientation) const;

    friend bool operator==(const PageGeometry&, const PageGeometry&) = default;
};

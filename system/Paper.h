#pragma once

#include <QByteArray>
#include <QMarginsF>
#include <QPageLayout>
#include <QSizeF>

namespace qv {

// The default printer's paper as the print system describes it, in millimetres.
struct Paper {
    QByteArray media; // the print system's own name for it; empty when it gave none
    QSizeF size;      // empty when unknown
    QMarginsF margins;

    // The page as the printer lays it out: its own paper, with the card at the printable origin
    // (the paper's corner on a borderless printer). Unknown (a PDF written to a file), A4 to its
    // edges.
    QPageLayout layout() const {
        if (size.isEmpty())
            return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, {});
        const QPageSize page(size, QPageSize::Millimeter, {}, QPageSize::FuzzyMatch);
        return QPageLayout(page, QPageLayout::Portrait, margins, QPageLayout::Millimeter);
    }
};

} // namespace qv

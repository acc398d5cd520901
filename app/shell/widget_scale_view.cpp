#include "widget_scale_view.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWidget>
#include <cmath>

namespace {

int scaled(int v, double f) { return static_cast<int>(std::lround(v * f)); }

void scaleFont(QWidget* w, double f) {
    QFont font = w->font();
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, scaled(font.pixelSize(), f)));
    else if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * f);
    w->setFont(font);
}

void scaleSizes(QWidget* w, double f) {
    const QSize mn = w->minimumSize();
    const QSize mx = w->maximumSize();
    if (mn.width() == mx.width())
        w->setFixedWidth(scaled(mn.width(), f));
    else if (mn.width() > 0)
        w->setMinimumWidth(scaled(mn.width(), f));
    if (mn.height() == mx.height())
        w->setFixedHeight(scaled(mn.height(), f));
    else if (mn.height() > 0)
        w->setMinimumHeight(scaled(mn.height(), f));
}

void scaleSections(QHeaderView* h, double f) {
    h->setDefaultSectionSize(std::max(1, scaled(h->defaultSectionSize(), f)));
    for (int i = 0; i < h->count(); ++i) h->resizeSection(i, scaled(h->sectionSize(i), f));
}

}  // namespace

void scaleWidgetTree(QWidget* window, double factor) {
    if (!(factor > 0) || factor == 1.0) return;
    scaleFont(window, factor);
    const auto children = window->findChildren<QWidget*>();
    for (QWidget* w : children) {
        // The window's font reaches the others by inheritance.
        if (w->testAttribute(Qt::WA_SetFont)) scaleFont(w, factor);
        scaleSizes(w, factor);
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setIconSize(button->iconSize() * factor);
        if (auto* tree = qobject_cast<QTreeWidget*>(w)) scaleSections(tree->header(), factor);
        if (auto* table = qobject_cast<QTableWidget*>(w)) {
            scaleSections(table->horizontalHeader(), factor);
            scaleSections(table->verticalHeader(), factor);
        }
    }
    window->resize(scaled(window->width(), factor), scaled(window->height(), factor));
}

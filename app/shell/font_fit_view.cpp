#include "font_fit_view.h"

#include <QEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QLabel>
#include <QTreeWidget>

#include "font_fit.h"

namespace fontfit {

namespace {

const QString kSample = QStringLiteral("0123456789");

// Recomputes a status label's tool tip whenever its width changes (a new scale).
class StatusToolTip : public QObject {
  public:
    using QObject::QObject;
    static void update(QLabel* label) {
        const QFontMetricsF fm(label->font());
        label->setToolTip(statusToolTip(label->text(), fm.horizontalAdvance(label->text()),
                                        label->contentsRect().width()));
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)
            update(static_cast<QLabel*>(watched));
        return false;
    }
};

}  // namespace

double listWidthRatio(const QFont& font) {
    if (QFontInfo(font).family() == QLatin1String(kDesignFamily)) return 1.0;
    const QFontMetricsF fm(font);
    const double inUse = fm.horizontalAdvance(kSample) / kSample.size();
    const QFontInfo info(font);
    return widthRatio(inUse, kDesignAverageEm * info.pixelSize());
}

void setGrownColumnWidth(QTreeWidget* list, int column, int designWidth) {
    list->setColumnWidth(column, grownWidth(designWidth, listWidthRatio(list->font())));
}

void setStatusText(QLabel* label, const QString& text) {
    if (label->findChild<StatusToolTip*>(QString(), Qt::FindDirectChildrenOnly) == nullptr)
        label->installEventFilter(new StatusToolTip(label));
    label->setText(text);
    StatusToolTip::update(label);
}

}  // namespace fontfit

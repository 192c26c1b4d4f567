#include "app/widgets/Panels.h"

#include <QApplication>
#include <QMouseEvent>

namespace zovax {

ClickPanel::ClickPanel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
}

void ClickPanel::setFillColour(const QColor& c)
{
    fill_ = c;
    const QColor shown = c.isValid() ? c : QPalette().color(QPalette::Button);
    if (palette().color(QPalette::Window) == shown && testAttribute(Qt::WA_SetPalette))
        return; // unchanged: no palette change to send through the window
    QPalette p = palette();
    p.setColor(QPalette::Window, shown);
    setPalette(p);
}

void ClickPanel::mouseReleaseEvent(QMouseEvent* e)
{
    QLabel::mouseReleaseEvent(e);
    // The release that ends a double-click's second press is not a click: a
    // double-click is one click, not two.
    const bool second = afterDoublePress_;
    afterDoublePress_ = false;
    if (!second && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
}

void ClickPanel::mouseDoubleClickEvent(QMouseEvent* e)
{
    QLabel::mouseDoubleClickEvent(e);
    afterDoublePress_ = true;
    e->accept(); // not passed on to the bar the panel sits in
    emit doubleClicked();
}

void BarFrame::mouseDoubleClickEvent(QMouseEvent* e)
{
    QFrame::mouseDoubleClickEvent(e);
    // A double-click that a control inside the bar left unhandled (a label, the
    // progress bar, a panel) arrives here too; only one on the bar's own
    // surface, or on the plain containers laying out its controls, counts.
    const QWidget* under = childAt(e->position().toPoint());
    if (under && under->metaObject() != &QWidget::staticMetaObject)
        return;
    emit doubleClicked();
}

namespace {

class ClipFilter : public QObject {
public:
    ClipFilter(QFrame* bar, QWidget* content) : QObject(bar), bar_(bar), content_(content) {}

    void place()
    {
        const QRect inner = bar_->contentsRect();
        const int minW = content_->minimumSizeHint().width();
        content_->setGeometry(inner.x(), inner.y(), std::max(inner.width(), minW), inner.height());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == bar_ && (e->type() == QEvent::Resize || e->type() == QEvent::Show))
            place();
        else if (watched == content_ && e->type() == QEvent::LayoutRequest)
            fitHeight();
        return false;
    }

public:
    void fitHeight()
    {
        const int f = bar_->frameWidth();
        bar_->setFixedHeight(content_->sizeHint().height() + 2 * f);
        place();
    }

private:
    QFrame* bar_;
    QWidget* content_;
};

} // namespace

namespace {

// Moves `tail` between the end of `row1` and `row2` as the bar's width allows.
class WrapFilter : public QObject {
public:
    WrapFilter(QFrame* bar, QWidget* head, QWidget* tail, QBoxLayout* row1, QBoxLayout* row2)
        : QObject(bar), bar_(bar), head_(head), tail_(tail), row1_(row1), row2_(row2)
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched == bar_ && (e->type() == QEvent::Resize || e->type() == QEvent::Show))
            arrange();
        return false;
    }

private:
    void arrange()
    {
        const QMargins m = row1_->parentWidget() ? row1_->parentWidget()->contentsMargins() : QMargins();
        int margins = 0;
        if (const QLayout* outer = row1_->parentWidget() ? row1_->parentWidget()->layout() : nullptr)
            margins = outer->contentsMargins().left() + outer->contentsMargins().right();
        const int oneRow = head_->minimumSizeHint().width() + kGap + tail_->minimumSizeHint().width() + margins
            + m.left() + m.right();
        const bool wrap = bar_->contentsRect().width() < oneRow;
        const bool wrapped = row2_->indexOf(tail_) >= 0;
        if (wrap == wrapped)
            return;
        if (wrap) {
            row1_->removeWidget(tail_);
            row2_->addWidget(tail_, 1);
        } else {
            row2_->removeWidget(tail_);
            row1_->addWidget(tail_, 1);
        }
    }

    static constexpr int kGap = 12 + 2 * 8; // the spacing item between the groups and its two gaps
    QFrame* bar_;
    QWidget* head_;
    QWidget* tail_;
    QBoxLayout* row1_;
    QBoxLayout* row2_;
};

} // namespace

void wrapBar(QFrame* bar, QWidget* head, QWidget* tail, QBoxLayout* row1, QBoxLayout* row2)
{
    bar->installEventFilter(new WrapFilter(bar, head, tail, row1, row2));
}

QFont textFont(bool monospace)
{
    QFont f = QApplication::font();
    if (monospace) {
        f.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("IPAGothic")});
        f.setStyleHint(QFont::Monospace);
    } else {
        f.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("IPAPGothic")});
    }
    return f;
}

void clipToBar(QFrame* bar, QWidget* content)
{
    auto* f = new ClipFilter(bar, content);
    bar->installEventFilter(f);
    content->installEventFilter(f);
    bar->setMinimumWidth(0);
    bar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    f->fitHeight();
}

PanelStatusBar::PanelStatusBar(const std::vector<int>& widths, QWidget* parent) : QStatusBar(parent)
{
    setSizeGripEnabled(false);
    for (size_t i = 0; i < widths.size(); ++i) {
        auto* l = new QLabel(this);
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setObjectName(QStringLiteral("sBarPanel%1").arg(i));
        if (i + 1 < widths.size()) {
            l->setFixedWidth(widths[i]);
            addPermanentWidget(l, 0);
        } else {
            l->setMinimumWidth(widths[i]);
            addPermanentWidget(l, 1);
        }
        panels_.push_back(l);
    }
}

QString PanelStatusBar::panelText(int i) const
{
    return i >= 0 && i < panelCount() ? panels_[i]->text() : QString();
}

void PanelStatusBar::setPanelText(int i, const QString& text)
{
    if (i >= 0 && i < panelCount())
        panels_[i]->setText(text);
}

void PanelStatusBar::setTextColour(const QColor& c)
{
    for (QLabel* l : panels_) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, c.isValid() ? c : QPalette().color(QPalette::WindowText));
        l->setPalette(p);
    }
}

void PanelStatusBar::mouseDoubleClickEvent(QMouseEvent* e)
{
    QStatusBar::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

} // namespace zovax

#include "app/widgets/Panels.h"

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
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
}

void ClickPanel::mouseDoubleClickEvent(QMouseEvent* e)
{
    QLabel::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

void BarFrame::mouseDoubleClickEvent(QMouseEvent* e)
{
    QFrame::mouseDoubleClickEvent(e);
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

void clipToBar(QFrame* bar, QWidget* content)
{
    auto* f = new ClipFilter(bar, content);
    bar->installEventFilter(f);
    content->installEventFilter(f);
    bar->setMinimumWidth(0);
    bar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    f->fitHeight();
}

PanelStatusBar::PanelStatusBar(const std::vector<int>& widths, QWidget* parent)
    : QStatusBar(parent)
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

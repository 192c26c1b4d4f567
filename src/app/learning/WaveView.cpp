#include "app/learning/WaveView.h"

#include <QPainter>
#include <QPaintEvent>

namespace zovax {

WaveView::WaveView(QWidget* parent)
    : QWidget(parent), image_(kImageWidth, kChannels * kBandHeight, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("imgWave"));
    image_.fill(Qt::white);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kImageWidth, kChannels * kBandHeight);
}

void WaveView::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    const QRect r = e->rect();
    p.fillRect(r, Qt::white);
    p.drawImage(r.topLeft(), image_, r);
}

} // namespace zovax

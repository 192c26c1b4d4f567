#include "app/learning/WaveView.h"

#include "app/widgets/Panels.h"

#include "core/learning/WaveStore.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace zovax {

namespace {

constexpr int kImageHeight = WaveView::kChannels * WaveView::kBandHeight;

int bandTop(int channel)
{
    return channel * WaveView::kBandHeight + 2;
}

// Pen x for a time since the start of the train: lead-in plus time per pixel,
// kept inside 0..image width.
int xForTime(int64_t us, int zoomDivisor)
{
    const int64_t x = us / zoomDivisor + WaveView::kLeadIn;
    return int(std::clamp<int64_t>(x, 0, WaveView::kImageWidth));
}

} // namespace

const QColor& WaveView::waveColour()
{
    static const QColor c(0, 128, 0);
    return c;
}

const QColor& WaveView::labelColour()
{
    static const QColor c(0, 0, 255);
    return c;
}

const QColor& WaveView::cursorColour(bool cursorA)
{
    static const QColor yellow(255, 255, 0);
    static const QColor green(0, 255, 0);
    return cursorA ? yellow : green;
}

WaveView::WaveView(QWidget* parent) : QWidget(parent), image_(kImageWidth, kImageHeight, QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("imgWave"));
    image_.fill(Qt::white);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(kImageWidth, kImageHeight);
}

void WaveView::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    const QRect r = e->rect() & image_.rect();
    if (r.isEmpty())
        return;
    p.drawImage(r.topLeft(), image_, r);
}

// --- pixel drawing ---

void WaveView::hLine(int x0, int x1, int y, QRgb colour)
{
    if (x0 > x1)
        std::swap(x0, x1);
    x0 = std::max(x0, 0);
    x1 = std::min(x1, kImageWidth - 1);
    if (y < 0 || y >= kImageHeight || x0 > x1)
        return;
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    std::fill(line + x0, line + x1 + 1, colour);
    markDirty(QRect(x0, y, x1 - x0 + 1, 1));
}

void WaveView::vLine(int x, int y0, int y1, QRgb colour)
{
    if (y0 > y1)
        std::swap(y0, y1);
    y0 = std::max(y0, 0);
    y1 = std::min(y1, kImageHeight - 1);
    if (x < 0 || x >= kImageWidth || y0 > y1)
        return;
    for (int y = y0; y <= y1; ++y)
        reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = colour;
    markDirty(QRect(x, y0, 1, y1 - y0 + 1));
}

void WaveView::lineTo(int x, int y)
{
    // The waveform is made of horizontal and vertical strokes only.
    const QRgb c = waveColour().rgb();
    if (y == penY_) {
        hLine(penX_, x, y, c);
    } else if (x == penX_) {
        vLine(x, penY_, y, c);
    } else {
        hLine(penX_, x, penY_, c);
        vLine(x, penY_, y, c);
    }
    penX_ = x;
    penY_ = y;
}

void WaveView::markDirty(const QRect& r)
{
    // Remember how far right each band has been drawn on, so that clearing
    // whitens only that part instead of the whole 20000-px band.
    for (int c = 0; c < kChannels; ++c) {
        const int top = c == 0 ? 0 : bandTop(c);
        const int bottom = c == kChannels - 1 ? image_.height() : bandTop(c) + kBandHeight;
        if (r.top() < bottom && r.bottom() >= top)
            inkRight_[size_t(c)] = std::max(inkRight_[size_t(c)], std::min(r.right() + 1, kImageWidth));
    }
    dirty_ = dirty_.isNull() ? r : dirty_.united(r);
    if (!flushQueued_) {
        // Many strokes arrive in a row (a whole train on a zoom change): they
        // are repainted together, as one rectangle, once control returns.
        flushQueued_ = true;
        QMetaObject::invokeMethod(this, &WaveView::flushDirty, Qt::QueuedConnection);
    }
}

void WaveView::flushDirty()
{
    flushQueued_ = false;
    if (!dirty_.isNull())
        update(dirty_);
    dirty_ = QRect();
}

// --- waveform ---

void WaveView::DrawPulse(int channel, int index)
{
    if (!store_ || channel < 0 || channel >= kChannels || index < 0 || index >= kPulseSlots)
        return;
    const PulsePair& pair = store_->channels[size_t(channel)].pulses[size_t(index)];
    if (index == 0) {
        ClearWaveArea(channel == 0 ? kChannels : channel);
        timeUs_ = 0;
        baseY_ = channel * kBandHeight + 40;
        penX_ = 0;
        penY_ = baseY_;
        lineTo(kLeadIn, baseY_);
    } else if (penX_ >= kImageWidth) {
        return;
    }
    const bool lifted = cursorADrawn_ || cursorBDrawn_;
    if (lifted)
        liftCursors();
    const int highY = baseY_ - kHighRise;
    lineTo(penX_, highY);
    lineTo(xForTime(timeUs_ + pair.high, zoomDivisor_), highY);
    lineTo(penX_, baseY_);
    timeUs_ += pair.width;
    lineTo(xForTime(timeUs_, zoomDivisor_), baseY_);
    if (lifted)
        restoreCursors();
}

void WaveView::ClearWaveArea(int channel)
{
    if (channel < 0)
        return;
    EraseCursors();
    const int first = channel >= kChannels ? 0 : channel;
    const int last = channel >= kChannels ? kChannels - 1 : channel;
    QPainter p(&image_);
    for (int c = first; c <= last; ++c) {
        const int width = inkRight_[size_t(c)];
        if (width <= 0)
            continue; // nothing drawn on this band since it was last cleared
        // The whole band's height; for all bands also the rows above band 0.
        const int top = channel >= kChannels && c == 0 ? 0 : bandTop(c);
        const int bottom = channel >= kChannels && c == kChannels - 1 ? image_.height() : bandTop(c) + kBandHeight;
        const QRect r = QRect(0, top, width, bottom - top) & image_.rect();
        p.fillRect(r, Qt::white);
        markDirty(r);
        inkRight_[size_t(c)] = 0;
    }
    p.end();
    emit areaCleared();
}

void WaveView::drawLabel(int channel, const QString& label)
{
    if (channel < 0 || channel >= kChannels)
        return;
    const bool lifted = cursorADrawn_ || cursorBDrawn_;
    if (lifted)
        liftCursors();
    QFont f = textFont(false);
    f.setPixelSize(12);
    const QFontMetrics fm(f);
    // The label stays inside its band, above the waveform's high level.
    const int height = std::min(fm.height(), kHighRise - 3);
    const QRect r(kLeadIn, bandTop(channel), std::min(fm.horizontalAdvance(label) + 2, kImageWidth - kLeadIn), height);
    QPainter p(&image_);
    p.setClipRect(r);
    p.fillRect(r, Qt::white);
    p.setFont(f);
    p.setPen(labelColour());
    p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
    p.end();
    markDirty(r);
    if (lifted)
        restoreCursors();
}

// --- measuring cursors ---

void WaveView::xorCursorLine(int x, bool cursorA)
{
    if (x < 0 || x >= kImageWidth)
        return;
    // Exclusive-or with the colour's complement: on the white ground the line
    // shows in the cursor's own colour, and a second pass restores the pixels.
    const QRgb mask = ~cursorColour(cursorA).rgb() & 0x00FFFFFFu;
    for (int y = kCursorTop; y < kCursorBottom; ++y) {
        QRgb& px = reinterpret_cast<QRgb*>(image_.scanLine(y))[x];
        px = (px ^ mask) | 0xFF000000u;
    }
    markDirty(QRect(x, kCursorTop, 1, kCursorBottom - kCursorTop));
}

void WaveView::removeCursorLine(bool cursorA)
{
    bool& drawn = cursorA ? cursorADrawn_ : cursorBDrawn_;
    if (drawn)
        xorCursorLine(cursorA ? cursorA_ : cursorB_, cursorA);
    drawn = false;
}

void WaveView::drawCursorLine(bool cursorA, int x)
{
    removeCursorLine(cursorA);
    xorCursorLine(x, cursorA);
    (cursorA ? cursorA_ : cursorB_) = x;
    (cursorA ? cursorADrawn_ : cursorBDrawn_) = true;
}

void WaveView::liftCursors()
{
    if (cursorADrawn_)
        xorCursorLine(cursorA_, true);
    if (cursorBDrawn_)
        xorCursorLine(cursorB_, false);
}

void WaveView::restoreCursors()
{
    liftCursors(); // the same exclusive-or puts them back
}

void WaveView::PlaceCursor(Cursor which, int x)
{
    x = std::clamp(x, 0, kImageWidth - 1);
    if (which == Cursor::A) {
        // A new A starts a new measurement: B goes.
        if (cursorA_ != kHidden) {
            if (cursorB_ > 0) {
                removeCursorLine(false);
                cursorB_ = kHidden;
            }
            removeCursorLine(true);
        }
        drawCursorLine(true, x);
        return;
    }
    if (cursorB_ == kHidden) {
        if (cursorA_ == kHidden)
            drawCursorLine(true, 0);
    } else {
        // B may not lie left of A: A then moves back to the start.
        if (x <= cursorA_)
            drawCursorLine(true, 0);
        removeCursorLine(false);
    }
    drawCursorLine(false, x);
}

void WaveView::EraseCursors()
{
    removeCursorLine(true);
    removeCursorLine(false);
    cursorA_ = kHidden;
    cursorB_ = kHidden;
}

void WaveView::mousePressEvent(QMouseEvent* e)
{
    const int x = e->position().toPoint().x();
    if (e->button() == Qt::LeftButton)
        PlaceCursor(Cursor::B, x);
    else if (e->button() == Qt::RightButton)
        PlaceCursor(Cursor::A, x);
    else
        QWidget::mousePressEvent(e);
}

void WaveView::mouseReleaseEvent(QMouseEvent* e)
{
    emit mouseReleased(e->button(), e->position().toPoint());
}

} // namespace zovax

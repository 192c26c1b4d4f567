#pragma once
// imgWave: the wide drawing surface of the learned waves, one 50 px band per
// channel. It is wider than its panel and moved left and right to scroll.
//
// Band of channel c: y = c*50+2 .. c*50+51; the waveform's low level is at
// y = c*50+40, its high level at c*50+20, the label's top at c*50+2, x = 10.
// Time runs left to right at zoomDivisor microseconds per pixel, starting
// 10 px in. Two measuring cursors (A yellow, B green) are vertical lines drawn
// by exclusive-or, so drawing one again restores the pixels beneath it.
#include <QImage>

#include <QRect>
#include <QWidget>
#include <array>

#include <cstdint>
#include <functional>

namespace zovax {

struct WaveStore;

class WaveView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kImageWidth = 20000; // px
    static constexpr int kBandHeight = 50;    // px per channel
    static constexpr int kChannels = 4;
    static constexpr int kLeadIn = 10;                                // px of baseline before the first mark
    static constexpr int kHighRise = 20;                              // px from the low to the high level
    static constexpr int kCursorTop = 2;                              // cursor lines cover y 2..195
    static constexpr int kCursorBottom = kChannels * kBandHeight - 4; // exclusive
    static constexpr int kHidden = -1;                                // cursor position of a hidden cursor

    static const QColor& waveColour();               // green
    static const QColor& labelColour();              // blue
    static const QColor& cursorColour(bool cursorA); // A yellow, B green

    enum class Cursor { A, B };

    explicit WaveView(QWidget* parent = nullptr);

    QImage& image() { return image_; }
    const QImage& image() const { return image_; }

    // The learned pairs that DrawPulse reads (not owned; may be null: nothing is drawn).
    void setWaveStore(const WaveStore* store) { store_ = store; }

    // Microseconds per pixel, at least 1.
    int zoomDivisor() const { return zoomDivisor_; }
    void setZoomDivisor(int usPerPixel) { zoomDivisor_ = usPerPixel >= 1 ? usPerPixel : 1; }

    // Draws pulse pair `index` (0..4096) of `channel` (0..3), continuing from
    // the previous pair. Index 0 starts a train: it clears the channel's band
    // (channel 0 clears all four) and restarts the pen. Nothing is drawn past
    // the image's right edge. Other channels or indices are ignored.
    void DrawPulse(int channel, int index);
    // Whitens the band of `channel`, or every band for 4 and above (after
    // taking the cursors off), then runs the area-cleared hook.
    void ClearWaveArea(int channel);
    // The channel's label in blue at x 10, y channel*50+2, on a white ground.
    void drawLabel(int channel, const QString& label);

    // Measuring cursors: positions in image pixels, kHidden when hidden.
    int cursorA() const { return cursorA_; }
    int cursorB() const { return cursorB_; }
    void PlaceCursor(Cursor which, int x);
    void EraseCursors();

signals:
    // At the end of every ClearWaveArea (the main window empties status panel 1).
    void areaCleared();
    // A mouse button released over the image (x, y in image pixels).
    void mouseReleased(Qt::MouseButton button, QPoint pos);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    // Pixel drawing on the image; lines include both end points and are clipped.
    void lineTo(int x, int y);
    void hLine(int x0, int x1, int y, QRgb colour);
    void vLine(int x, int y0, int y1, QRgb colour);
    void xorCursorLine(int x, bool cursorA);
    void removeCursorLine(bool cursorA);
    void drawCursorLine(bool cursorA, int x);
    void liftCursors();    // takes drawn cursor lines off before other drawing
    void restoreCursors(); // and puts them back
    void markDirty(const QRect& r);
    void flushDirty();

    QImage image_;
    const WaveStore* store_ = nullptr;
    int zoomDivisor_ = 200;

    // Pen of the train being drawn.
    int penX_ = 0;                 // x of the pen's position
    int penY_ = 0;                 // y of the pen's position
    int baseY_ = kBandHeight - 10; // low level of the channel being drawn
    int64_t timeUs_ = 0;           // time since the train began, at the pen's x

    int cursorA_ = 0;
    int cursorB_ = 0;
    bool cursorADrawn_ = false; // whether A's line is on the image now
    bool cursorBDrawn_ = false;
    bool cursorsLifted_ = false;

    // Per band: x (exclusive) up to which anything was drawn since the band was
    // last cleared; the rest of the band is known to be white.
    std::array<int, kChannels> inkRight_{};
    QRect dirty_; // image area changed since the last repaint request
    bool flushQueued_ = false;
};

} // namespace zovax

#pragma once
// imgWave: the wide drawing surface of the learned waves, one 50 px band per
// channel. It is wider than its panel and moved left and right to scroll.
#include <QImage>
#include <QWidget>

namespace zovax {

class WaveView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kImageWidth = 20000; // px
    static constexpr int kBandHeight = 50;    // px per channel
    static constexpr int kChannels = 4;

    explicit WaveView(QWidget* parent = nullptr);

    QImage& image() { return image_; }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QImage image_;
};

} // namespace zovax

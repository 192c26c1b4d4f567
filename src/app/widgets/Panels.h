#pragma once
// Small widgets of the main window: a panel that reports clicks and
// double-clicks (used as a button or as a toggle area), and a status bar with
// fixed-width text panels that reports double-clicks.
#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QStatusBar>

#include <utility>
#include <vector>

namespace zovax {

// Creates a widget (or action, layout, ...) and gives it its design name as
// objectName, so that other windows and tests find it by that name.
template <typename W, typename... Args> W* named(const QString& name, Args&&... args)
{
    auto* w = new W(std::forward<Args>(args)...);
    w->setObjectName(name);
    return w;
}

// The blue of a live link and of trace mode: the connect buttons' captions and
// the status bar's text.
inline QColor connectedBlue()
{
    return {0, 0, 255};
}

class ClickPanel : public QLabel {
    Q_OBJECT
public:
    explicit ClickPanel(const QString& text = QString(), QWidget* parent = nullptr);
    // Background colour; an invalid colour restores the normal look.
    void setFillColour(const QColor& c);
    QColor fillColour() const { return fill_; }

signals:
    void clicked();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QColor fill_;
    bool afterDoublePress_ = false; // the button is down for a double-click's second press
};

// A bar that reports double-clicks (the main window's top bar and wave bar).
class BarFrame : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// Lays `content` (a child of `bar` holding the bar's controls in its own layout)
// across the bar, never narrower than the content's minimum: when the window is
// narrower, the content is cut off at the bar's right edge instead of its
// controls being pressed on top of each other. The bar takes the content's height.
void clipToBar(QFrame* bar, QWidget* content);

// The font of the receive log and the wave labels: Latin letters, digits and
// punctuation from a font drawn for them (DejaVu), Japanese glyphs from IPA
// Gothic. (At the log's size the IPA fonts' bitmap strikes draw "." like ","
// and "m" as a solid block.)
QFont textFont(bool monospace);
// Keeps `head` and `tail` side by side in `row1` while the bar is wide enough
// for both, and moves `tail` to `row2` (a second row) when it is not.
void wrapBar(QFrame* bar, QWidget* head, QWidget* tail, QBoxLayout* row1, QBoxLayout* row2);

class PanelStatusBar : public QStatusBar {
    Q_OBJECT
public:
    // Panels with the given widths; the last one takes the rest of the bar.
    PanelStatusBar(const std::vector<int>& widths, QWidget* parent = nullptr);
    int panelCount() const { return int(panels_.size()); }
    QString panelText(int i) const;
    void setPanelText(int i, const QString& text);
    QLabel* panel(int i) const { return panels_.at(i); }
    void setTextColour(const QColor& c); // invalid = the normal window-text colour

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    std::vector<QLabel*> panels_;
};

} // namespace zovax

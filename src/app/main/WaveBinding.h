#pragma once
// Binds the wave display (imgWave) and the wave data list (frmWave) to the
// main window: the zoom list, the scroll bar, the wave panel's Clear and Data
// buttons, the measuring cursors' mouse releases and the receive log's
// double-click. Created once by the window assembly, which hands it the
// learning's wave store and its two operations (ShowResult, ClearWaveList).
#include <QObject>
#include <QString>

#include <functional>

namespace zovax {

class MainWindow;
class Session;
struct MainControls;
class WaveListWindow;
class WaveView;
struct WaveStore;

class WaveBinding : public QObject {
    Q_OBJECT
public:
    static constexpr int kLogSelection = 200;    // characters a log double-click looks at
    static constexpr int kLogSelectionKept = 10; // characters left selected after a command was made

    // What the learning subsystem provides. Both may be empty.
    struct Hooks {
        // Writes the Result cell of the channel's row and redraws its label.
        std::function<void(int channel, const QString& text)> ShowResult;
        // Empties the channel's list and sets its lastIndex to 0 (4: all channels).
        // Empty: done here on the store and the list.
        std::function<void(int channel)> ClearWaveList;
    };

    // Connects the main window's wave controls; the windows and the store
    // (not owned; may be null: nothing drawn) must outlive the binding.
    WaveBinding(Session& session, MainWindow& main, const MainControls& ui, WaveListWindow& list,
                WaveStore* store = nullptr, Hooks hooks = {});
    ~WaveBinding() override;

    // The learned-wave store; tests swap in their own store and hooks.
    void setWaveStore(WaveStore* store);
    WaveStore* waveStore() const { return store_; }
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    WaveView& view() const;
    WaveListWindow& list() const { return list_; }

    // Handlers.
    void cmbZoomChange(); // new divisor, every channel redrawn with its label
    void scrBarChange();  // image left = position × scrollExtent / maximum
    void btnWaveClearClick();
    void btnWaveDataClick();
    // A double-click in the receive log at document position `caret`.
    void memoRecvDblClick(int caret);
    // The left button released over the image at (x, y): the time from cursor
    // A to the pointer on the band under it, logged as "tw:%d.%03dmS".
    void MeasureInterval(int x, int y);
    // The list's part and the store's part of emptying a channel.
    void ClearWaveList(int channel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Session& session_;
    MainWindow& main_;
    const MainControls& ui_;
    WaveListWindow& list_;
    WaveStore* store_ = nullptr;
    Hooks hooks_;
};

} // namespace zovax

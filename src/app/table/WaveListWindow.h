#pragma once
// frmWave "Wave Data": the learned pulses of the four channels as numbers.
#include <QDialog>

namespace zovax {

class WaveListWindow : public QDialog {
    Q_OBJECT
public:
    explicit WaveListWindow(QWidget* parent = nullptr);
};

} // namespace zovax

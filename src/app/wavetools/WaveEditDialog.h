#pragma once
// frmWaveEdit "Wave Info.": an entry's wave information in editable form.
#include <QDialog>

namespace zovax {

class WaveEditDialog : public QDialog {
    Q_OBJECT
public:
    explicit WaveEditDialog(QWidget* parent = nullptr);
};

} // namespace zovax

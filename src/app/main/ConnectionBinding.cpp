#include "app/main/ConnectionBinding.h"

#include "app/link/TcpDialog.h"
#include "app/main/MainWindow.h"
#include "core/session/Session.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace zovax {

ConnectionBinding::ConnectionBinding(Session& session, MainWindow& main, const MainControls& ui, TcpDialog* dialog)
    : session_(session), main_(main), ui_(ui), dialog_(dialog)
{
    // The network dialog shows the link state before the main window does.
    if (dialog_) {
        dialog_->bind(session.settings(), session.link().state(), session.tcp(), session.netConfig());
        session.tcp().addView(dialog_);
        connect(&session, &Session::targetAdopted, dialog_, [this](const QString& host, int port) {
            dialog_->setTargetHost(host);
            dialog_->setTargetPort(port);
        });
        connect(ui.mmFileTcp, &QAction::triggered, dialog_, &QDialog::exec);
    }
    // The connect button and the window's close dial and hang up.
    connect(&main, &MainWindow::connectRequested, this, [this](bool on) { session_.connectTcp(on); });

    connect(&session, &Session::commandHistoryAdded, ui.cmbSendText,
            [this](const QString& text) { ui_.cmbSendText->addItem(text); });
    connect(ui.cmbSendText, &QComboBox::currentTextChanged, &session, &Session::setCommandLineText);
    connect(ui.btnSend, &QPushButton::clicked, this, [this] { session_.send(ui_.cmbSendText->currentText()); });
    connect(ui.btnRecvClear, &QToolButton::clicked, this, [this] { session_.log().clear(); });
    connect(ui.btnTest, &QPushButton::clicked, this, [this] { session_.fire(); });
    QCheckBox* const outputs[] = {ui.ckTp1, ui.ckTp2, ui.ckTp3, ui.ckTp4};
    for (int i = 0; i < 4; ++i) {
        session.setIrOutput(i, outputs[i]->isChecked());
        connect(outputs[i], &QCheckBox::toggled, this, [this, i](bool on) { session_.setIrOutput(i, on); });
    }
    // Enter in the command line enters the history and moves to the send
    // button; Enter on the send button sends. The drop-down passes its keys to
    // its line edit without that edit's filters, so both are watched.
    ui.cmbSendText->installEventFilter(this);
    if (ui.cmbSendText->lineEdit())
        ui.cmbSendText->lineEdit()->installEventFilter(this);
    ui.btnSend->installEventFilter(this);
}

ConnectionBinding::~ConnectionBinding()
{
    // The filters go before the widgets they watch.
    ui_.cmbSendText->removeEventFilter(this);
    if (ui_.cmbSendText->lineEdit())
        ui_.cmbSendText->lineEdit()->removeEventFilter(this);
    ui_.btnSend->removeEventFilter(this);
    if (dialog_)
        session_.tcp().removeView(dialog_);
}

TcpConnection& ConnectionBinding::connection()
{
    return session_.tcp();
}

NetConfig& ConnectionBinding::netConfig()
{
    return session_.netConfig();
}

Console& ConnectionBinding::console()
{
    return session_.console();
}

FireTest& ConnectionBinding::fireTest()
{
    return session_.fireTest();
}

bool ConnectionBinding::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == ui_.btnSend) {
                ui_.btnSend->click();
                return true;
            }
            if (watched == ui_.cmbSendText || watched == ui_.cmbSendText->lineEdit()) {
                if (session_.console().EnterPressed(ui_.cmbSendText->currentText()))
                    ui_.btnSend->setFocus();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, e);
}

} // namespace zovax

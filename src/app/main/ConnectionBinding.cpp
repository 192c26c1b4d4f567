#include "app/main/ConnectionBinding.h"

#include "app/link/TcpDialog.h"
#include "app/main/MainWindow.h"
#include "core/session/Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

namespace zovax {

ConnectionBinding::ConnectionBinding(Session& session, MainWindow& main, TcpDialog* dialog)
    : session_(session), main_(main), dialog_(dialog)
{
    // The network dialog shows the link state before the main window does.
    if (dialog_) {
        dialog_->bind(session.settings(), session.link().state(), session.tcp(), session.netConfig());
        session.tcp().addView(dialog_);
        connect(&session, &Session::targetAdopted, dialog_, [this](const QString& host, int port) {
            dialog_->setTargetHost(host);
            dialog_->setTargetPort(port);
        });
    }
    main.ConnectTcp = [this](bool on) { session_.connectTcp(on); };

    connect(&session, &Session::commandHistoryAdded, main.cmbSendText,
            [this](const QString& text) { main_.cmbSendText->addItem(text); });
    connect(main.cmbSendText, &QComboBox::currentTextChanged, &session, &Session::setCommandLineText);
    connect(main.btnSend, &QPushButton::clicked, this, [this] { session_.send(main_.cmbSendText->currentText()); });
    connect(main.btnRecvClear, &QToolButton::clicked, this, [this] { session_.log().clear(); });
    connect(main.btnTest, &QPushButton::clicked, this, [this] { session_.fire(); });
    QCheckBox* const outputs[] = {main.ckTp1, main.ckTp2, main.ckTp3, main.ckTp4};
    for (int i = 0; i < 4; ++i) {
        session.setIrOutput(i, outputs[i]->isChecked());
        connect(outputs[i], &QCheckBox::toggled, this, [this, i](bool on) { session_.setIrOutput(i, on); });
    }
    // Enter in the command line enters the history and moves to the send
    // button; Enter on the send button sends. The drop-down passes its keys to
    // its line edit without that edit's filters, so both are watched.
    main.cmbSendText->installEventFilter(this);
    if (main.cmbSendText->lineEdit())
        main.cmbSendText->lineEdit()->installEventFilter(this);
    main.btnSend->installEventFilter(this);
}

ConnectionBinding::~ConnectionBinding()
{
    // The filters go before the widgets they watch.
    main_.cmbSendText->removeEventFilter(this);
    if (main_.cmbSendText->lineEdit())
        main_.cmbSendText->lineEdit()->removeEventFilter(this);
    main_.btnSend->removeEventFilter(this);
    if (dialog_)
        session_.tcp().removeView(dialog_);
    main_.ConnectTcp = nullptr;
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
            if (watched == main_.btnSend) {
                main_.btnSend->click();
                return true;
            }
            if (watched == main_.cmbSendText || watched == main_.cmbSendText->lineEdit()) {
                if (session_.console().EnterPressed(main_.cmbSendText->currentText()))
                    main_.btnSend->setFocus();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, e);
}

} // namespace zovax

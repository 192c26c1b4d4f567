#include "app/link/ConnectionBinding.h"

#include "app/link/TcpDialog.h"
#include "app/shell/MainWindow.h"
#include "app/table/TableController.h"
#include "core/link/DeviceLink.h"
#include "core/shell/Ports.h"
#include "core/table/CodeTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

namespace zovax {

ConnectionBinding::ConnectionBinding(MainWindow& main, TcpDialog* dialog)
    : QObject(&main), main_(main), dialog_(dialog)
{
    setObjectName(QStringLiteral("connectionBinding"));
    DeviceLink& link = main.link();
    connection_ = new TcpConnection(link, main.prompts(), main.sounds(), this);
    netConfig_ = std::make_unique<NetConfig>(link);
    console_ = std::make_unique<Console>(link, main.prompts());
    fireTest_ = std::make_unique<FireTest>(link, main.table(), main.prompts());

    // The network dialog shows the link state first, then the main window.
    if (dialog_) {
        dialog_->bind(main.settings, link.state(), *connection_, *netConfig_);
        connection_->addView(dialog_);
    }
    connection_->addView(this);

    main.ConnectTcp = [this](bool on) { connection_->ConnectTcp(on); };
    connect(&link, &DeviceLink::boardInLoader, this, &ConnectionBinding::showBoardInLoader);
    link.handlers.HandleConfigLine = [this](const QString& line) { netConfig_->HandleConfigLine(line); };

    netConfig_->showHostPanel = [this](const QString& text) { showHostPanel(text); };
    netConfig_->commandLineText = [this] { return main_.cmbSendText->currentText(); };
    netConfig_->ConnectTcp = [this](bool on) { connection_->ConnectTcp(on); };

    console_->historyAdded = [this](const QString& text) { main_.cmbSendText->addItem(text); };
    console_->targetAdopted = [this](const QString& host, int port) {
        if (dialog_) {
            dialog_->setTargetHost(host);
            dialog_->setTargetPort(port);
        }
        showHostPanel(host + QLatin1Char('/') + QString::number(port));
    };

    connect(main.btnSend, &QPushButton::clicked, this,
            [this] { console_->Send(main_.cmbSendText->currentText()); });
    connect(main.btnRecvClear, &QToolButton::clicked, this, [this] { main_.receiveLog().clear(); });
    connect(main.btnTest, &QPushButton::clicked, this, [this] { fireTest_->run(*this); });
    // Enter in the command line enters the history and moves to the send
    // button; Enter on the send button sends.
    if (main.cmbSendText->lineEdit())
        main.cmbSendText->lineEdit()->installEventFilter(this);
    main.btnSend->installEventFilter(this);
}

ConnectionBinding::~ConnectionBinding()
{
    if (dialog_)
        connection_->removeView(dialog_);
    connection_->removeView(this);
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
            if (watched == main_.cmbSendText->lineEdit()) {
                if (console_->EnterPressed(main_.cmbSendText->currentText()))
                    main_.btnSend->setFocus();
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, e);
}

void ConnectionBinding::showBoardInLoader()
{
    main_.setStatusText(0, QStringLiteral("Loader: ") + main_.settings.tcpip.Host);
}

void ConnectionBinding::showHostPanel(const QString& text)
{
    main_.pnlHost->setText(text);
}

void ConnectionBinding::onDialling(const QString& address)
{
    main_.setStatusText(0, address);
}

void ConnectionBinding::onConnected(const QString& host)
{
    main_.showConnected(true);
    main_.setStatusText(0, QStringLiteral("Connect: ") + host);
    const TCPIP& t = main_.settings.tcpip;
    showHostPanel(t.Host + QLatin1Char('/') + QString::number(t.Port));
}

void ConnectionBinding::onDisconnected()
{
    main_.showConnected(false);
    const QString reason = connection_->failureReason();
    if (reason.isEmpty()) {
        main_.setStatusText(0, QStringLiteral("Disconnect"));
        return;
    }
    main_.setStatusText(0, QStringLiteral("Disconnect: ") + reason);
    main_.receiveLog().append(QStringLiteral("Socket Error! %1 (%2/%3)")
                                  .arg(reason, connection_->dialAddress())
                                  .arg(main_.settings.tcpip.Port));
}

IrOutputs ConnectionBinding::outputs() const
{
    return {main_.ckTp1->isChecked(), main_.ckTp2->isChecked(), main_.ckTp3->isChecked(),
            main_.ckTp4->isChecked()};
}

bool ConnectionBinding::cursorAuto() const
{
    return main_.ckCursor->isChecked();
}

bool ConnectionBinding::traceMode() const
{
    return main_.traceMode;
}

int ConnectionBinding::currentRow() const
{
    // A grid without a cursor tests its first row.
    const int row = TableController::cursorRow(main_.sGrid);
    return row >= 1 ? row : 1;
}

void ConnectionBinding::selectCell(int column, int row)
{
    TableController::moveCursor(main_.sGrid, column, row);
}

ConnectionBinding* bindConnection(MainWindow& main)
{
    return new ConnectionBinding(main, main.windows().frmTcp);
}

} // namespace zovax

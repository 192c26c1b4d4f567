#include "app/table/TwsDialog.h"

#include "app/widgets/Panels.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zovax {

TwsDialog::TwsDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmTws"));
    setWindowTitle(QStringLiteral("ZOVAX Learning Table Write"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    pnlTop = new QFrame(this);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    auto* grid = new QGridLayout(pnlTop);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);

    Label1 = new QLabel(QStringLiteral("学習情報を ZOVAX-Ether に登録します。"), pnlTop);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    QPalette blue = Label1->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    Label1->setPalette(blue);

    Lable2 = new QLabel(QStringLiteral("準備ができましたら、「登録実行」ボタンをクリックして下さい。"), pnlTop);
    Lable2->setObjectName(QStringLiteral("Lable2"));
    // The hint comes and goes; the panel keeps its height.
    QSizePolicy keep = Lable2->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Lable2->setSizePolicy(keep);

    btnExecute = new QPushButton(QStringLiteral("登録実行"), pnlTop);
    btnExecute->setObjectName(QStringLiteral("btnExecute"));
    btnCancel = new QPushButton(QStringLiteral("中止"), pnlTop);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnExecute->setAutoDefault(false);
    btnCancel->setAutoDefault(false);

    grid->addWidget(Label1, 0, 0);
    grid->addWidget(btnExecute, 0, 1);
    grid->addWidget(Lable2, 1, 0);
    grid->addWidget(btnCancel, 1, 1);
    outer->addWidget(pnlTop);

    sBar = new PanelStatusBar({80, 100}, this);
    sBar->setObjectName(QStringLiteral("sBar"));
    sBar->setSizeGripEnabled(false);
    outer->addWidget(sBar);
    // Panel 0 changes with every row stored: a label of fixed size repaints
    // without making the dialog lay itself out again.
    sBar->panel(0)->setFixedHeight(sBar->panel(0)->sizeHint().height());

    connect(btnExecute, &QPushButton::clicked, this, &TwsDialog::btnExecuteClick);
    connect(btnCancel, &QPushButton::clicked, this, &TwsDialog::btnCancelClick);

    // Fixed border: the top panel plus the status bar.
    setFixedSize(sizeHint());
}

void TwsDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    btnExecute->setEnabled(true);
    Lable2->show();
    for (int i = 0; i < sBar->panelCount(); ++i)
        sBar->setPanelText(i, QString());
    btnExecute->setFocus();
}

void TwsDialog::btnExecuteClick()
{
    if (running_ || !isVisible())
        return; // one run at a time, and only from the open dialog
    running_ = true;
    btnExecute->setEnabled(false);
    Lable2->hide();
    emit writeRequested();
    running_ = false;
    accept();
}

void TwsDialog::btnCancelClick()
{
    if (!running_) {
        QDialog::reject();
        return;
    }
    // The write loop sees the execute button enabled and stops after its row.
    btnExecute->setEnabled(true);
    Lable2->show();
}

void TwsDialog::reject()
{
    btnCancelClick();
}

void TwsDialog::closeEvent(QCloseEvent* e)
{
    if (running_) {
        btnCancelClick();
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

bool TwsDialog::cancelRequested() const
{
    return running_ && btnExecute->isEnabled();
}

void TwsDialog::showStoreCommand(const QString& text)
{
    sBar->setPanelText(0, text);
}

QWidget& TwsDialog::storeCommandDisplay() const
{
    return *sBar;
}

} // namespace zovax

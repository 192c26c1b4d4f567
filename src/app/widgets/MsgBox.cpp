#include "app/widgets/MsgBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace zovax {

MsgBox::MsgBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMsgBox"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setWordWrap(true);
    lblMsg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblMsg->setGeometry(10, 8, 225, 57); // a longer text is cut off at the label's edge

    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setGeometry(164, 76, 75, 25);
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);

    ckDispOff = new QCheckBox(QStringLiteral("次回から表示しない"), this);
    ckDispOff->setObjectName(QStringLiteral("ckDispOff"));
    ckDispOff->move(8, 79);
    ckDispOff->adjustSize();

    // Client area ends 8 px right of and below the OK button.
    setFixedSize(164 + 75 + 8, 76 + 25 + 8);
}

bool MsgBox::showMessage(const QString& caption, const QString& text)
{
    setWindowTitle(caption);
    lblMsg->setText(text);
    ckDispOff->setChecked(false);
    if (QWidget* p = parentWidget()) {
        const QRect g = p->frameGeometry();
        move(g.left() + (g.width() - width()) / 2, g.top() + (g.height() - height()) / 2);
    }
    exec();
    return ckDispOff->isChecked();
}

} // namespace zovax

#include "app/table/ReadBackDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace zovax {

ReadBackDialog::ReadBackDialog(int entries, QWidget* parent) : QDialog(parent), entries_(entries)
{
    setObjectName(QStringLiteral("frmReadBack"));
    setWindowTitle(QStringLiteral("ZOVAX-Ether 読込み"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowModality(Qt::WindowModal);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setSpacing(8);
    lblReadBack = new QLabel(this);
    lblReadBack->setObjectName(QStringLiteral("lblReadBack"));
    lblReadBack->setMinimumWidth(320);
    outer->addWidget(lblReadBack);
    pgReadBack = new QProgressBar(this);
    pgReadBack->setObjectName(QStringLiteral("pgReadBack"));
    pgReadBack->setRange(0, entries_);
    outer->addWidget(pgReadBack);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    btnReadStop = new QPushButton(QStringLiteral("中止"), this);
    btnReadStop->setObjectName(QStringLiteral("btnReadStop"));
    btnReadStop->setAutoDefault(false);
    row->addWidget(btnReadStop);
    outer->addLayout(row);
    connect(btnReadStop, &QPushButton::clicked, this, &ReadBackDialog::stopRequested);
    draw(0, 1); // two lines of text for the size
    lblReadBack->setFixedSize(lblReadBack->sizeHint());
    setFixedSize(sizeHint());
}

void ReadBackDialog::showProgress(int entry, int unanswered)
{
    // Entries follow each other within a fraction of a millisecond; drawing
    // every one would cost more than the exchange itself.
    if (entry > 1 && unanswered == shownUnanswered_ && lastDraw_.isValid() && lastDraw_.elapsed() < kRefreshMs)
        return;
    draw(entry, unanswered);
}

void ReadBackDialog::draw(int entry, int unanswered)
{
    lastDraw_.start();
    shownUnanswered_ = unanswered;
    QString text = QStringLiteral("ZOVAX-Ether のテーブル情報を読込んでいます（%1 / %2）")
                       .arg(entry, 3, 10, QLatin1Char('0'))
                       .arg(entries_);
    if (unanswered > 0)
        text += QStringLiteral("\n応答のなかったエントリ: %1 件").arg(unanswered);
    else
        text += QLatin1Char('\n');
    lblReadBack->setText(text);
    pgReadBack->setValue(entry > 0 ? entry - 1 : 0);
}

void ReadBackDialog::reject()
{
    emit stopRequested(); // the read-back ends and hides the dialog
}

void ReadBackDialog::closeEvent(QCloseEvent* e)
{
    e->ignore();
    emit stopRequested();
}

} // namespace zovax

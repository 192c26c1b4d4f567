#include "app/wavetools/WaveEditDialog.h"

#include "app/widgets/Panels.h"
#include "core/table/TypedInput.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>

namespace zovax {

namespace {

constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kRightColumnX = 204; // the boxes and buttons beside the pattern grid
constexpr int kRightColumnWidth = WaveEditDialog::kClientWidth - kMargin - kRightColumnX;
constexpr int kPcodeColumnWidth = 64;
constexpr int kHighColumnWidth = 56;
constexpr int kFallbackScreenWidth = 1024;

QPushButton* button(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = named<QPushButton>(name, text, parent);
    // Enter belongs to the byte-code box (conversion); no button takes it.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

} // namespace

WaveEditDialog::WaveEditDialog(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frmWaveEdit"));
    setWindowTitle(QStringLiteral("Wave Info."));
    setModal(false);

    lblCarry = named<QLabel>(QStringLiteral("lblCarry"), QStringLiteral("Carry"), this);
    edtCarry = named<QLineEdit>(QStringLiteral("edtCarry"), this);
    lblDataBits = named<QLabel>(QStringLiteral("lblDataBits"), QStringLiteral("DataBits"), this);
    edtDataBits = named<QLineEdit>(QStringLiteral("edtDataBits"), this);
    lblRepeatBit = named<QLabel>(QStringLiteral("lblRepeatBit"), QStringLiteral("RepeatBit"), this);
    edtRepeatBit = named<QLineEdit>(QStringLiteral("edtRepeatBit"), this);

    sGrid = named<QTableWidget>(QStringLiteral("sGrid"), kPatternPairs, 3, this);
    sGrid->setHorizontalHeaderLabels({QStringLiteral(" Pcode"), QStringLiteral(" High"), QStringLiteral(" Width")});
    sGrid->verticalHeader()->hide();
    sGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    sGrid->setWordWrap(false);
    sGrid->setCornerButtonEnabled(false);
    QHeaderView* cols = sGrid->horizontalHeader();
    cols->setHighlightSections(false);
    cols->setSectionsClickable(false);
    cols->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    cols->resizeSection(0, kPcodeColumnWidth);
    cols->resizeSection(1, kHighColumnWidth);
    cols->setStretchLastSection(true);
    QHeaderView* rows = sGrid->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    for (int i = 0; i < kPatternPairs; ++i) {
        // The fixed label column, drawn like a header and not editable.
        auto* label = new QTableWidgetItem(QString::asprintf(" Pcode:%01X", i));
        label->setFlags(Qt::ItemIsEnabled);
        label->setBackground(palette().button());
        sGrid->setItem(i, 0, label);
        sGrid->setItem(i, 1, new QTableWidgetItem);
        sGrid->setItem(i, 2, new QTableWidgetItem);
    }

    // Ruler and pattern code share one fixed-width font, so that the ruler
    // marks every fifth and tenth symbol of the code under it.
    QFont mono = textFont(true);
    mono.setFixedPitch(true);
    pcodeArea = named<QScrollArea>(QStringLiteral("pcodeArea"), this);
    pcodeArea->setFrameShape(QFrame::NoFrame);
    pcodeArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pcodeArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    pcodeArea->setWidgetResizable(false);
    auto* strip = new QWidget;
    lblPcode = named<QLabel>(QStringLiteral("lblPcode"), QStringLiteral("Pattern Code"), strip);
    lblPcode->setFont(mono);
    edtPcode = named<QLineEdit>(QStringLiteral("edtPcode"), strip);
    edtPcode->setFont(mono);
    edtPcode->setMaxLength(1 << 20); // long codes are refused with a message on OK, never cut
    pcodeArea->setWidget(strip);

    lblByteCode = named<QLabel>(QStringLiteral("lblByteCode"), QStringLiteral("ByteCode"), this);
    edtByteCode = named<QLineEdit>(QStringLiteral("edtByteCode"), this);

    btnIrOut = button(QStringLiteral("btnIrOut"), QStringLiteral("IR Out"), this);
    btnOk = button(QStringLiteral("btnOk"), QStringLiteral("OK"), this);
    btnCancel = button(QStringLiteral("btnCancel"), QStringLiteral("ｷｬﾝｾﾙ"), this);

    setTabOrder(edtCarry, edtDataBits);
    setTabOrder(edtDataBits, edtRepeatBit);
    setTabOrder(edtRepeatBit, sGrid);
    setTabOrder(sGrid, edtPcode);
    setTabOrder(edtPcode, edtByteCode);
    setTabOrder(edtByteCode, btnIrOut);
    setTabOrder(btnIrOut, btnOk);
    setTabOrder(btnOk, btnCancel);

    // The data count follows the pattern code, typed or set by the program.
    connect(edtPcode, &QLineEdit::textChanged, this,
            [this](const QString& text) { edtDataBits->setText(QString::number(text.size())); });
    connect(edtByteCode, &QLineEdit::returnPressed, this, &WaveEditDialog::byteCodeEntered);
    connect(edtByteCode, &QLineEdit::textEdited, this, [this] { fitByteCodeBox(); });
    connect(btnIrOut, &QPushButton::clicked, this, &WaveEditDialog::irOutRequested);
    connect(btnOk, &QPushButton::clicked, this, [this] {
        if (takeTypedCarry())
            emit okRequested();
    });
    connect(edtCarry, &QLineEdit::editingFinished, this, &WaveEditDialog::takeTypedCarry);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    layoutControls();
}

int WaveEditDialog::rulerIndent() const
{
    // Where the line edit's first character starts: its frame plus the
    // edit's fixed two-pixel text margin.
    return edtPcode->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edtPcode) + 2
        + edtPcode->textMargins().left();
}

void WaveEditDialog::layoutControls()
{
    const int labelH = fontMetrics().height();
    const int editH = edtCarry->sizeHint().height();
    const int buttonH = btnOk->sizeHint().height();

    // Pattern grid: header and 16 rows, no scrolling.
    const int gridW = kRightColumnX - kGap - kMargin;
    const int gridH = sGrid->horizontalHeader()->sizeHint().height()
        + kPatternPairs * sGrid->verticalHeader()->defaultSectionSize() + 2 * sGrid->frameWidth();
    sGrid->setGeometry(kMargin, kMargin, gridW, gridH);

    // Right column: the three number boxes from the top, the buttons from the grid's bottom.
    int y = kMargin;
    for (auto [label, edit] : {std::pair<QLabel*, QLineEdit*>{lblCarry, edtCarry},
                               {lblDataBits, edtDataBits},
                               {lblRepeatBit, edtRepeatBit}}) {
        label->setGeometry(kRightColumnX, y, kRightColumnWidth, labelH);
        edit->setGeometry(kRightColumnX, y + labelH + 2, kRightColumnWidth, editH);
        y += labelH + 2 + editH + kGap;
    }
    int by = kMargin + gridH - buttonH;
    for (QPushButton* b : {btnCancel, btnOk, btnIrOut}) {
        b->setGeometry(kRightColumnX, by, kRightColumnWidth, buttonH);
        by -= buttonH + kGap;
    }

    // Client width: 338, or the ruler's width plus 32 when that is wider, but
    // never wider than the screen; the ruler and the code then scroll together.
    const int indent = rulerIndent();
    lblPcode->setIndent(indent);
    const QFontMetrics mono(lblPcode->font());
    const int rulerW = indent + mono.horizontalAdvance(lblPcode->text());
    const QScreen* scr = parentWidget() ? parentWidget()->screen() : screen();
    const int screenW = scr ? scr->availableGeometry().width() : kFallbackScreenWidth;
    const int clientW
        = std::min(std::max(kClientWidth, rulerW + kRulerMargin), std::max(kClientWidth, screenW - 2 * kMargin));
    const int areaW = clientW - 2 * kMargin;
    const int stripW = std::max(areaW, rulerW + kRulerMargin - 2 * kMargin);
    const int pcodeEditH = edtPcode->sizeHint().height();
    lblPcode->setGeometry(0, 0, stripW, mono.height());
    edtPcode->setGeometry(0, mono.height() + 2, stripW, pcodeEditH);
    pcodeArea->widget()->resize(stripW, mono.height() + 2 + pcodeEditH);
    const int scrollH = stripW > areaW ? pcodeArea->horizontalScrollBar()->sizeHint().height() : 0;
    const int areaY = kMargin + gridH + kMargin;
    const int areaH = mono.height() + 2 + pcodeEditH + scrollH;
    pcodeArea->setGeometry(kMargin, areaY, areaW, areaH);

    const int byteY = areaY + areaH + kMargin;
    const int byteLabelW = fontMetrics().horizontalAdvance(lblByteCode->text()) + 4;
    lblByteCode->setGeometry(kMargin, byteY + (editH - labelH) / 2, byteLabelW, labelH);
    const int byteX = kMargin + byteLabelW + kGap;
    const int byteW
        = std::clamp(std::max(byteCodeWidth_, waveedit::kByteCodePxPerChar * int(edtByteCode->text().size())), 0,
                     std::max(0, clientW - kMargin - byteX));
    edtByteCode->setGeometry(byteX, byteY, byteW, editH);

    setFixedSize(clientW, byteY + editH + kMargin);
}

void WaveEditDialog::fitByteCodeBox()
{
    // While typing the box grows with its text; it never shrinks below its opening width.
    layoutControls();
}

void WaveEditDialog::showFields(const WaveEditFields& f, int symbols)
{
    edtCarry->setText(f.carry);
    carryKept_ = f.carry;
    edtDataBits->setText(f.dataBits);
    edtRepeatBit->setText(f.repeatBit);
    edtPcode->setText(f.pcode);
    edtPcode->setCursorPosition(0);
    for (int i = 0; i < kPatternPairs; ++i) {
        sGrid->item(i, 1)->setText(f.high[size_t(i)]);
        sGrid->item(i, 2)->setText(f.width[size_t(i)]);
    }
    lblPcode->setText(PcodeRuler(symbols));
    edtByteCode->setText(f.byteCode);
    edtByteCode->setCursorPosition(0);
    byteCodeWidth_ = waveedit::kByteCodePxPerChar * int(f.byteCode.size());
    pcodeArea->horizontalScrollBar()->setValue(0);
    layoutControls();
}

bool WaveEditDialog::takeTypedCarry()
{
    if (!edtCarry->isModified())
        return true;
    const QString why = checkTypedCarrier(edtCarry->text());
    if (why.isEmpty()) {
        carryKept_ = edtCarry->text();
        edtCarry->setModified(false);
        return true;
    }
    edtCarry->setText(carryKept_); // also clears the modified mark
    // Shown once the box's own event has returned.
    QMetaObject::invokeMethod(
        this, [this, why] { emit inputRefused(why); }, Qt::QueuedConnection);
    return false;
}

WaveEditFields WaveEditDialog::fields() const
{
    WaveEditFields f;
    f.carry = edtCarry->text();
    f.dataBits = edtDataBits->text();
    f.repeatBit = edtRepeatBit->text();
    for (int i = 0; i < kPatternPairs; ++i) {
        const QTableWidgetItem* h = sGrid->item(i, 1);
        const QTableWidgetItem* w = sGrid->item(i, 2);
        f.high[size_t(i)] = h ? h->text() : QString();
        f.width[size_t(i)] = w ? w->text() : QString();
    }
    f.pcode = edtPcode->text();
    f.byteCode = edtByteCode->text();
    return f;
}

void WaveEditDialog::setPcode(const QString& pcode)
{
    edtPcode->setText(pcode);
}

} // namespace zovax

#include "core/table/TableCommands.h"

#include "core/shell/Ports.h"
#include "core/shell/Settings.h"
#include "core/table/CodeTable.h"
#include "core/table/TableFile.h"
#include "core/table/TableHost.h"

namespace zovax {

namespace {
const QString kCaptionWarning = QStringLiteral("警告");
} // namespace

TableCommands::TableCommands(CodeTable& table, Settings& settings, Prompts& prompts, ReceiveLog& log, TableHost& host,
                             QObject* parent)
    : QObject(parent), table_(table), settings_(settings), prompts_(prompts), log_(log), host_(host)
{
    // The marker and its status panel always change together.
    connect(&table_, &CodeTable::modifiedChanged, this, [this](bool on) { host_.setStatusPanel(1, modifiedText(on)); });
}

QString TableCommands::modifiedText(bool on)
{
    return on ? QStringLiteral("変更") : QString();
}

QString TableCommands::copyCaption() const
{
    const QString caption = QStringLiteral("コピー (&Copy)");
    return copyMark_ == 0 ? caption : caption + QString::asprintf(" ：[ %03d ]", copyMark_);
}

void TableCommands::setCopyMark(int row)
{
    if (copyMark_ == row)
        return;
    copyMark_ = row;
    emit copyMarkChanged(row);
}

void TableCommands::resetCopyMark()
{
    setCopyMark(0);
}

bool TableCommands::mmCleateClick()
{
    if (table_.modified()) {
        const MsgAnswer a = prompts_.ask(
            kCaptionWarning, QStringLiteral("学習情報を新規作成します。現在の学習情報を破棄してもよろしいですか？"),
            MsgIcon::Question, MsgButtons::YesNo);
        if (a != MsgAnswer::Yes)
            return false;
    }
    table_.clearAll();
    host_.selectCell(kColCarry, 1);
    log_.clear();
    host_.clearWaveArea();
    host_.resetLearnState();
    table_.SetModified(false);
    resetCopyMark();
    host_.setStatusPanel(2, QString());
    settings_.tableFileName.clear();
    return true;
}

void TableCommands::ppCopyClick()
{
    const int row = host_.currentRow();
    if (CodeTable::validRow(row))
        setCopyMark(row);
}

void TableCommands::ppPasteClick()
{
    const int row = host_.currentRow();
    if (copyMark_ == 0 || !CodeTable::validRow(row) || row == copyMark_)
        return;
    if (!table_.cell(kColCarry, row).isEmpty()) {
        const MsgAnswer a = prompts_.ask(QStringLiteral("張付確認"),
                                         QStringLiteral("コピーした内容を現在の行に張付けます。\nよろしいですか？"),
                                         MsgIcon::Question, MsgButtons::YesNo);
        if (a != MsgAnswer::Yes)
            return;
    }
    table_.CopyRow(copyMark_, row);
    table_.SetModified(true);
}

void TableCommands::ppInsertPasteClick()
{
    const int row = host_.currentRow();
    if (copyMark_ == 0 || !CodeTable::validRow(row) || row == copyMark_)
        return;
    // Keep what the marked row holds now: the insertion may move it one row
    // down, or drop it when it is row 999.
    const std::array<QString, 4> cells{table_.cell(1, copyMark_), table_.cell(2, copyMark_), table_.cell(3, copyMark_),
                                       table_.cell(4, copyMark_)};
    const TableEntry entry = table_.entry(copyMark_);
    table_.InsertLine(row);
    table_.setRow(row, cells, entry);
    table_.SetModified(true);
}

void TableCommands::ppNewlineClick()
{
    const int row = host_.currentRow();
    if (!CodeTable::validRow(row))
        return;
    table_.InsertLine(row);
    table_.SetModified(true);
}

void TableCommands::ppDeleteClick()
{
    const int row = host_.currentRow();
    if (!CodeTable::validRow(row))
        return;
    const MsgAnswer a = prompts_.ask(QStringLiteral("削除確認"),
                                     QStringLiteral("現在の行を削除して前詰めにします。\nよろしいですか？"),
                                     MsgIcon::Question, MsgButtons::YesNo);
    if (a != MsgAnswer::Yes)
        return;
    table_.DeleteLine(row);
    table_.SetModified(true);
}

bool TableCommands::confirmDiscardBeforeOpen()
{
    if (!table_.modified())
        return true;
    return prompts_.ask(kCaptionWarning, QStringLiteral("現在の学習情報を保存していません\n破棄してよろしいですか？"),
                        MsgIcon::Question, MsgButtons::YesNo)
        == MsgAnswer::Yes;
}

void TableCommands::afterLoad(const QString& path)
{
    host_.clearWaveArea();
    table_.SetModified(false);
    host_.setStatusPanel(2, path);
    host_.selectCell(kColCarry, 1);
    resetCopyMark();
}

bool TableCommands::openTableFile(const QString& path)
{
    const TableLoadResult r = LoadTableFile(table_, path, prompts_, log_, host_.traceMode());
    if (r.status == TableLoadStatus::NotOpened) {
        prompts_.inform(kCaptionWarning, QStringLiteral("テーブルファイルを開けません。\n%1\n%2").arg(path, r.message),
                        MsgIcon::Warning);
    }
    if (!r.ok())
        return false;
    afterLoad(path);
    settings_.tableFileName = path;
    return true;
}

bool TableCommands::saveTableFile(const QString& path)
{
    if (!SaveTableFile(table_, path, prompts_).ok)
        return false;
    host_.setStatusPanel(2, path);
    settings_.tableFileName = path;
    return true;
}

bool TableCommands::reopenLastTable()
{
    const QString path = settings_.tableFileName;
    if (path.isEmpty())
        return false;
    if (!LoadTableFile(table_, path, prompts_, log_, host_.traceMode()).ok()) {
        settings_.tableFileName.clear();
        return false;
    }
    afterLoad(path);
    return true;
}

} // namespace zovax

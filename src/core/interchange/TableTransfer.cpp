#include "core/interchange/TableTransfer.h"

#include "core/shell/Ports.h"
#include "core/table/CodeTable.h"

#include <QSaveFile>

namespace zovax {

namespace {

const QString kCaptionWarning = QStringLiteral("警告");
const QString kCaptionConfirm = QStringLiteral("確認");
constexpr int kListedProblems = 10;

QString rowList(const std::vector<int>& rows)
{
    QStringList s;
    for (std::size_t i = 0; i < rows.size() && i < std::size_t(kListedProblems); ++i)
        s << QString::number(rows[i]);
    QString text = s.join(QStringLiteral(", "));
    if (rows.size() > std::size_t(kListedProblems))
        text += QStringLiteral(" ほか %1 行").arg(rows.size() - kListedProblems);
    return text;
}

TransferOutcome failed(Prompts& prompts, const QString& message)
{
    prompts.inform(kCaptionWarning, message, MsgIcon::Warning);
    TransferOutcome o;
    o.message = message;
    return o;
}

} // namespace

bool rowIsEmpty(const CodeTable& table, int row)
{
    for (int c = kColCarry; c <= kColResult; ++c) {
        if (!table.cell(c, row).trimmed().isEmpty())
            return false;
    }
    return table.entry(row).dataCount == 0;
}

std::vector<int> targetRows(const CodeTable& table, int fromRow, int count, bool overwrite)
{
    std::vector<int> rows;
    for (int r = std::max(fromRow, 1); r <= kTableRows && int(rows.size()) < count; ++r) {
        if (overwrite || rowIsEmpty(table, r))
            rows.push_back(r);
    }
    if (int(rows.size()) < count)
        rows.clear();
    return rows;
}

TransferOutcome importIntoTable(CodeTable& table, int fromRow, const QString& fileName, const QByteArray& bytes,
                                const FormatInfo* format, Prompts& prompts, const LearnParams& params)
{
    const QString unchanged = QStringLiteral("\nテーブルは変更していません。");
    const ReadResult read = format ? format->read(fileName, bytes) : readAny(fileName, bytes);
    if (!read.error.isEmpty())
        return failed(prompts, QStringLiteral("インポート出来ません。\n") + read.error + unchanged);

    // Bad signals: those the reader refused and those that cannot be learned.
    const std::vector<ImportedRow> learned = importRows(read, params);
    QStringList problems;
    for (const ReadItem& i : read.items) {
        if (!i.error.isEmpty())
            problems << i.error;
    }
    std::vector<const ImportedRow*> good;
    for (const ImportedRow& r : learned) {
        const ReadItem& item = read.items[std::size_t(r.item)];
        if (r.row.ok)
            good.push_back(&r);
        else
            problems << QStringLiteral("%1 「%2」: %3")
                            .arg(fileName, item.name.isEmpty() ? QString::number(item.line) : item.name, r.row.error);
    }
    const int total = int(read.items.size());
    if (good.empty())
        return failed(prompts,
                      QStringLiteral("インポート出来ません。%1 個の信号がすべて読めません。\n%2%3")
                          .arg(total)
                          .arg(problems.mid(0, kListedProblems).join(QLatin1Char('\n')), unchanged));
    if (!problems.isEmpty()) {
        QString list = problems.mid(0, kListedProblems).join(QLatin1Char('\n'));
        if (problems.size() > kListedProblems)
            list += QStringLiteral("\nほか %1 個").arg(problems.size() - kListedProblems);
        const MsgAnswer a = prompts.ask(kCaptionConfirm,
                                        QStringLiteral("%1 個の信号のうち %2 個は読めません。\n%3\n\n"
                                                       "読める %4 個だけをインポートしますか？")
                                            .arg(total)
                                            .arg(problems.size())
                                            .arg(list)
                                            .arg(good.size()),
                                        MsgIcon::Question, MsgButtons::YesNo);
        if (a != MsgAnswer::Yes)
            return {};
    }

    const int count = int(good.size());
    std::vector<int> rows = targetRows(table, fromRow, count, true);
    std::vector<int> occupied;
    for (int r : rows) {
        if (!rowIsEmpty(table, r))
            occupied.push_back(r);
    }
    if (rows.empty() || !occupied.empty()) {
        bool overwrite = false;
        if (!rows.empty()) {
            const MsgAnswer a = prompts.ask(kCaptionConfirm,
                                            QStringLiteral("行 %1 は空いていません。上書きしますか？\n"
                                                           "「いいえ」: 空いている行だけに入れます。")
                                                .arg(rowList(occupied)),
                                            MsgIcon::Question, MsgButtons::YesNo);
            overwrite = a == MsgAnswer::Yes;
        }
        if (!overwrite)
            rows = targetRows(table, fromRow, count, false);
        if (rows.empty())
            return failed(prompts,
                          QStringLiteral("行 %1 から下に %2 行を入れる場所がありません。%3")
                              .arg(fromRow)
                              .arg(count)
                              .arg(unchanged));
    }
    for (int k = 0; k < count; ++k)
        table.setRow(rows[std::size_t(k)], good[std::size_t(k)]->row.cells, good[std::size_t(k)]->row.entry);
    table.SetModified(true);
    TransferOutcome o;
    o.ok = true;
    o.rows = rows;
    return o;
}

TransferOutcome exportTable(const CodeTable& table, const std::vector<int>& rows, const FormatInfo& format,
                            const QString& path, Prompts& prompts)
{
    if (!format.write)
        return failed(prompts, QStringLiteral("%1 形式には書き出せません。").arg(format.displayName));
    const std::vector<ExportRow> picked = exportRowsOf(table, rows);
    if (picked.empty())
        return failed(prompts, QStringLiteral("エクスポートする行がありません (符号のある行がありません)。"));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(format.write(picked)) < 0 || !f.commit())
        return failed(prompts, QStringLiteral("エクスポート出来ませんでした。\n%1\n%2").arg(path, f.errorString()));
    TransferOutcome o;
    o.ok = true;
    for (const ExportRow& r : picked)
        o.rows.push_back(r.row);
    return o;
}

} // namespace zovax

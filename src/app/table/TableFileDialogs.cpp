#include "app/table/TableFileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

namespace zovax {

QStringList TableFileDialogs::filters()
{
    return {QStringLiteral("ﾃｷｽﾄﾌｧｲﾙ (*.Txt)"), QStringLiteral("ｶﾝﾏ形式ﾃﾞｰﾀﾌｧｲﾙ (*.Csv)"),
            QStringLiteral("ﾘﾓｺﾝ波形ｲﾒｰｼﾞﾌｧｲﾙ (*.Bmp)"), QStringLiteral("全てのﾌｧｲﾙ (*.*)")};
}

std::optional<TableFileDialogs::Choice> QtTableFileDialogs::runOpen(const QString& startDir)
{
    return run(false, startDir, openPath_, openDir_);
}

std::optional<TableFileDialogs::Choice> QtTableFileDialogs::runSave(const QString& startDir)
{
    return run(true, startDir, savePath_, saveDir_);
}

std::optional<TableFileDialogs::Choice> QtTableFileDialogs::run(bool save, const QString& startDir, QString& lastPath,
                                                                QString& lastDir)
{
    QFileDialog dlg(parent_);
    dlg.setObjectName(save ? QStringLiteral("dlgSave") : QStringLiteral("dlgOpen"));
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList f = filters();
    dlg.setNameFilters(f);
    dlg.selectNameFilter(f.at(kDefaultFilter - 1));
    dlg.setDefaultSuffix(defaultSuffix());
    if (!startDir.isEmpty()) {
        dlg.setDirectory(startDir);
    } else if (!lastPath.isEmpty()) {
        dlg.setDirectory(QFileInfo(lastPath).absolutePath());
        dlg.selectFile(QFileInfo(lastPath).fileName());
    } else if (!lastDir.isEmpty()) {
        dlg.setDirectory(lastDir);
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    Choice c;
    c.path = dlg.selectedFiles().constFirst();
    c.filterIndex = int(f.indexOf(dlg.selectedNameFilter())) + 1;
    if (c.filterIndex < 1)
        c.filterIndex = kDefaultFilter;
    lastPath = c.path;
    lastDir = dlg.directory().absolutePath();
    return c;
}

} // namespace zovax

#pragma once
// The open and save dialogs of table files, behind a small interface so that
// tests can answer them without a real dialog.
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace zovax {

class TableFileDialogs {
public:
    struct Choice {
        QString path;
        int filterIndex = 2; // 1 Txt, 2 Csv, 3 Bmp, 4 all files
    };

    // The filter entries in order, and their numbers.
    static QStringList filters();
    static constexpr int kFilterTxt = 1;
    static constexpr int kFilterCsv = 2;
    static constexpr int kFilterBmp = 3;
    static constexpr int kFilterAll = 4;
    // Preselected filter and the extension added to a name typed without one.
    static constexpr int kDefaultFilter = kFilterCsv;
    static QString defaultSuffix() { return QStringLiteral("Csv"); }

    virtual ~TableFileDialogs() = default;
    // startDir: the folder to start in with an empty file name, or empty to
    // start where the previous use of the same dialog left it. nullopt when
    // the user cancelled.
    virtual std::optional<Choice> runOpen(const QString& startDir) = 0;
    // The save dialog asks before replacing an existing file.
    virtual std::optional<Choice> runSave(const QString& startDir) = 0;
};

// The platform's file dialogs (dlgOpen, dlgSave).
class QtTableFileDialogs : public TableFileDialogs {
public:
    explicit QtTableFileDialogs(QWidget* parent) : parent_(parent) {}
    std::optional<Choice> runOpen(const QString& startDir) override;
    std::optional<Choice> runSave(const QString& startDir) override;

private:
    std::optional<Choice> run(bool save, const QString& startDir, QString& lastPath, QString& lastDir);

    QWidget* parent_;
    QString openPath_, openDir_;
    QString savePath_, saveDir_;
};

} // namespace zovax

#pragma once
// A progress bar on standard error, drawn only when it is a terminal:
// "register [#########           ]  120/999".
#include <QIODevice>
#include <QString>

namespace zovax::cli {

class Progress {
public:
    Progress(QIODevice* err, bool enabled, const QString& label, int total)
        : err_(err), enabled_(enabled && total > 0), label_(label), total_(total)
    {}
    ~Progress() { finish(); }

    void update(int done)
    {
        if (!enabled_ || done == last_)
            return;
        last_ = done;
        constexpr int kWidth = 30;
        const int filled = int(qint64(qBound(0, done, total_)) * kWidth / total_);
        const QString bar = QString(filled, QLatin1Char('#')) + QString(kWidth - filled, QLatin1Char(' '));
        err_->write(QStringLiteral("\r%1 [%2] %3/%4").arg(label_, bar).arg(done, 4).arg(total_).toUtf8());
        drawn_ = true;
    }
    // Ends the bar's line (once).
    void finish()
    {
        if (drawn_)
            err_->write("\n");
        drawn_ = false;
    }

private:
    QIODevice* err_;
    bool enabled_;
    QString label_;
    int total_;
    int last_ = -1;
    bool drawn_ = false;
};

} // namespace zovax::cli

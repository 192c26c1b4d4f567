#include "app/widgets/QtPorts.h"

#include <QApplication>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QtMath>

namespace zovax {

MsgAnswer QtPrompts::ask(const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons)
{
    QMessageBox box(parent_);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Warning:
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgAnswer::Yes;
    case QMessageBox::No: return MsgAnswer::No;
    case QMessageBox::Cancel: return MsgAnswer::Cancel;
    default: // the box closed by Escape or its frame
        return buttons == MsgButtons::YesNo      ? MsgAnswer::No
            : buttons == MsgButtons::YesNoCancel ? MsgAnswer::Cancel
                                                 : MsgAnswer::Ok;
    }
}

namespace {

// A 16-bit mono WAV of a few sine tones, each with a soft decay.
QByteArray makeWav(const QList<QList<double>>& notes, double noteSeconds)
{
    const int rate = 22050;
    QByteArray pcm;
    QDataStream ds(&pcm, QIODevice::WriteOnly);
    ds.setByteOrder(QDataStream::LittleEndian);
    for (const auto& chord : notes) {
        const int n = int(rate * noteSeconds);
        for (int i = 0; i < n; ++i) {
            const double t = double(i) / rate;
            double v = 0;
            for (double f : chord)
                v += qSin(2 * M_PI * f * t);
            v = v / chord.size() * qExp(-4.0 * t) * 0.5;
            ds << qint16(v * 32767);
        }
    }
    QByteArray wav;
    QDataStream h(&wav, QIODevice::WriteOnly);
    h.setByteOrder(QDataStream::LittleEndian);
    h.writeRawData("RIFF", 4);
    h << quint32(36 + pcm.size());
    h.writeRawData("WAVEfmt ", 8);
    h << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2) << quint16(2) << quint16(16);
    h.writeRawData("data", 4);
    h << quint32(pcm.size());
    wav += pcm;
    return wav;
}

} // namespace

QString SystemSounds::fileFor(Sound s)
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/sounds");
    QString path = dir + (s == Sound::Chime ? QStringLiteral("/chimes.wav") : QStringLiteral("/chord.wav"));
    if (!QFile::exists(path)) {
        QDir().mkpath(dir);
        const QByteArray wav
            = s == Sound::Chime ? makeWav({{784.0}, {1047.0}}, 0.18) : makeWav({{523.25, 659.25, 783.99}}, 0.45);
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(wav);
    }
    return path;
}

void SystemSounds::play(Sound s)
{
    if (!playerLooked_) {
        playerLooked_ = true;
        for (const char* p : {"paplay", "aplay", "pw-play"}) {
            player_ = QStandardPaths::findExecutable(QLatin1String(p));
            if (!player_.isEmpty())
                break;
        }
    }
    if (player_.isEmpty()) {
        QApplication::beep();
        return;
    }
    QStringList args;
    if (player_.endsWith(QLatin1String("aplay")))
        args << QStringLiteral("-q");
    args << fileFor(s);
    QProcess::startDetached(player_, args);
}

void MemoReceiveLog::append(const QString& line)
{
    if (buffered_)
        pending_ << line;
    else
        memo_->appendPlainText(line);
}

void MemoReceiveLog::clear()
{
    pending_.clear();
    memo_->clear();
}

int MemoReceiveLog::lineCount() const
{
    const int shown = memo_->document()->isEmpty() ? 0 : memo_->document()->blockCount();
    return shown + int(pending_.size());
}

void MemoReceiveLog::setBuffered(bool on)
{
    if (on) {
        buffered_ = true;
        releasePending_ = false; // a release still pending no longer applies
        return;
    }
    if (!buffered_ || releasePending_)
        return;
    releasePending_ = true;
    QTimer::singleShot(0, memo_, [this] {
        if (!releasePending_)
            return;
        releasePending_ = false;
        buffered_ = false;
        flush();
    });
}

void MemoReceiveLog::flush()
{
    if (pending_.isEmpty())
        return;
    const QString text = pending_.join(QLatin1Char('\n'));
    pending_.clear();
    memo_->appendPlainText(text);
}

} // namespace zovax

#pragma once
// The serial side of the simulator: a pseudo-terminal whose slave device a
// serial client opens like a port. Raw mode, 8N1; event-driven, never blocks.
#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace zovax::sim {

class PtyPort : public QObject {
    Q_OBJECT
public:
    explicit PtyPort(QObject* parent = nullptr);
    ~PtyPort() override;

    // Creates the pseudo-terminal; false with errorString() on failure.
    bool open();
    void close();
    bool isOpen() const { return master_ >= 0; }
    QString devicePath() const { return path_; }
    QString errorString() const { return error_; }

    // Queues bytes for the client; written as the terminal accepts them.
    void write(const QByteArray& bytes);

signals:
    void bytesReceived(const QByteArray& bytes);

private:
    void onReadable();
    void onWritable();

    int master_ = -1;
    int slave_ = -1; // kept open so that the master never sees a hang-up between clients
    QString path_;
    QString error_;
    QByteArray out_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
};

} // namespace zovax::sim

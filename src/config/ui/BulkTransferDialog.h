#pragma once
// The bulk transfer window: a small borderless box with a progress bar that
// stays on top while the whole configuration moves between the meter and the
// program, one step per tick of a 10 ms timer (one for a read, one for a write).
#include "config/BulkTransfer.h"
#include "context/AppContext.h"

#include <QWidget>
#include <functional>

class QLabel;
class QProgressBar;
class QTimer;

namespace k71t {

class BulkTransferDialog : public QWidget {
    Q_OBJECT
public:
    explicit BulkTransferDialog(AppContext &context, QWidget *parent = nullptr);

    // Redraws every page after a completed bulk read.
    void setRedraw(std::function<void()> redraw) { redraw_ = std::move(redraw); }

    // Progress 0, the window shown, the read or the write timer started.
    // False, and nothing started, while a transfer runs or another operation
    // holds the link.
    bool startRead();
    bool startWrite();

    bool transferRunning() const { return transfer_.running(); }
    const BulkTransfer &transfer() const { return transfer_; }

    QLabel *captionLabel = nullptr; // "Transmisja danych..."
    QProgressBar *progressBar = nullptr;
    QTimer *readTimer = nullptr;  // bulk read
    QTimer *writeTimer = nullptr; // bulk write

signals:
    // A transfer started (true) or ended, however (false).
    void runningChanged(bool running);

public slots:
    void onReadTimer();
    void onWriteTimer();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool start(BulkTransfer::Direction direction, QTimer *timer);
    void step(QTimer *timer, const QString &failure);
    void stopTransfer();

    AppContext &ctx_;
    BulkTransfer transfer_;
    std::function<void()> redraw_;
    bool stepping_ = false; // a step is on the link worker
};

} // namespace k71t

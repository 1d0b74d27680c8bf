#include "config/ui/BulkTransferDialog.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace k71t {

BulkTransferDialog::BulkTransferDialog(AppContext &context, QWidget *parent)
    : QWidget(parent), ctx_(context), transfer_(context, &context.followLine)
{
    setObjectName(QStringLiteral("BulkTransferDialog"));
    setWindowTitle(QStringLiteral("Transmisja"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // Borderless, so the box draws its own frame.
    setAutoFillBackground(true);
    auto *frame = new QFrame(this);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Raised);
    frame->setLineWidth(2);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    auto *layout = new QVBoxLayout(frame);
    layout->setContentsMargins(16, 12, 16, 14);
    layout->setSpacing(8);
    captionLabel = new QLabel(QStringLiteral("Transmisja danych..."), frame);
    captionLabel->setObjectName(QStringLiteral("captionLabel"));
    progressBar = new QProgressBar(frame);
    progressBar->setObjectName(QStringLiteral("progressBar"));
    progressBar->setRange(0, BulkProgressTotal);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
    progressBar->setMinimumWidth(300);
    layout->addWidget(captionLabel);
    layout->addWidget(progressBar);
    adjustSize();
    setFixedSize(size());

    readTimer = new QTimer(this);
    readTimer->setObjectName(QStringLiteral("readTimer"));
    readTimer->setInterval(10);
    connect(readTimer, &QTimer::timeout, this, &BulkTransferDialog::onReadTimer);
    writeTimer = new QTimer(this);
    writeTimer->setObjectName(QStringLiteral("writeTimer"));
    writeTimer->setInterval(10);
    connect(writeTimer, &QTimer::timeout, this, &BulkTransferDialog::onWriteTimer);
}

bool BulkTransferDialog::startRead()
{
    return start(BulkTransfer::Direction::Read, readTimer);
}

bool BulkTransferDialog::startWrite()
{
    return start(BulkTransfer::Direction::Write, writeTimer);
}

bool BulkTransferDialog::start(BulkTransfer::Direction direction, QTimer *timer)
{
    // The steps, the retry counter and the link are one: a second transfer
    // would run the first one's steps.
    if (!transfer_.start(direction))
        return false;
    progressBar->setValue(0);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    emit runningChanged(true);
    timer->start();
    return true;
}

void BulkTransferDialog::onReadTimer()
{
    step(readTimer, BulkTransfer::failureText(BulkTransfer::Direction::Read));
}

void BulkTransferDialog::onWriteTimer()
{
    step(writeTimer, BulkTransfer::failureText(BulkTransfer::Direction::Write));
}

void BulkTransferDialog::step(QTimer *timer, const QString &failure)
{
    // The step's exchanges run on the link worker; a tick of the timer that
    // comes meanwhile passes, so the steps follow one another as before.
    if (stepping_)
        return;
    if (!transfer_.running()) {
        timer->stop();
        return;
    }
    stepping_ = true;
    const BulkTransfer::Tick result = ctx_.linkWorker.call([this] { return transfer_.tick(); });
    stepping_ = false;
    progressBar->setValue(transfer_.progress());
    if (result == BulkTransfer::Tick::Continue)
        return;
    timer->stop();
    if (result == BulkTransfer::Tick::Failed)
        ctx_.prompt.error(this, failure);
    // (Unless it was closed while the box was open.)
    if (isVisible())
        close();
    // After a read every page shows what the meter holds; a failed read
    // redraws nothing (a page shows the blocks it got when it is next shown).
    if (result == BulkTransfer::Tick::Completed && timer == readTimer && redraw_)
        redraw_();
}

void BulkTransferDialog::stopTransfer()
{
    readTimer->stop();
    writeTimer->stop();
    transfer_.reset();
    sleepMs(100);
    emit runningChanged(false);
}

void BulkTransferDialog::closeEvent(QCloseEvent *event)
{
    stopTransfer();
    event->accept();
}

} // namespace k71t

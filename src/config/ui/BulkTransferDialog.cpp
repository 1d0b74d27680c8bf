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
    Label1 = new QLabel(QStringLiteral("Transmisja danych..."), frame);
    Label1->setObjectName(QStringLiteral("Label1"));
    ProgressBar1 = new QProgressBar(frame);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, BulkProgressTotal);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setMinimumWidth(300);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    adjustSize();
    setFixedSize(size());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(10);
    connect(Timer1, &QTimer::timeout, this, &BulkTransferDialog::Timer1Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(10);
    connect(Timer2, &QTimer::timeout, this, &BulkTransferDialog::Timer2Timer);
}

bool BulkTransferDialog::startRead()
{
    return start(BulkTransfer::Direction::Read, Timer1);
}

bool BulkTransferDialog::startWrite()
{
    return start(BulkTransfer::Direction::Write, Timer2);
}

bool BulkTransferDialog::start(BulkTransfer::Direction direction, QTimer *timer)
{
    // The steps, the retry counter and the link are one: a second transfer
    // would run the first one's steps.
    if (!transfer_.start(direction))
        return false;
    ProgressBar1->setValue(0);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    emit runningChanged(true);
    timer->start();
    return true;
}

void BulkTransferDialog::Timer1Timer()
{
    step(Timer1, BulkTransfer::failureText(BulkTransfer::Direction::Read));
}

void BulkTransferDialog::Timer2Timer()
{
    step(Timer2, BulkTransfer::failureText(BulkTransfer::Direction::Write));
}

void BulkTransferDialog::step(QTimer *timer, const QString &failure)
{
    if (!transfer_.running()) {
        timer->stop();
        return;
    }
    const BulkTransfer::Tick result = transfer_.tick();
    ProgressBar1->setValue(transfer_.progress());
    if (result == BulkTransfer::Tick::Continue)
        return;
    timer->stop();
    if (result == BulkTransfer::Tick::Failed)
        ctx_.prompt.message(this, failure, QStringLiteral("Błąd"), PromptIcon::Error);
    // (Unless it was closed while the box was open.)
    if (isVisible())
        close();
    // After a read every page shows what the meter holds; a failed read
    // redraws nothing (the next Show of a page shows the blocks it got).
    if (result == BulkTransfer::Tick::Completed && timer == Timer1 && redraw_)
        redraw_();
}

void BulkTransferDialog::FormClose()
{
    Timer1->stop();
    Timer2->stop();
    transfer_.reset();
    sleepMs(100);
    emit runningChanged(false);
}

void BulkTransferDialog::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

} // namespace k71t

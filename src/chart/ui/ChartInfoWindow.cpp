#include "chart/ui/ChartInfoWindow.h"

#include "widgets/Widgets.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace k71t {

ChartInfoWindow::ChartInfoWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ChartInfoWindow"));
    setWindowTitle(QStringLiteral("Informacje o wykresie"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    infoMemo = named(new QPlainTextEdit(this), "infoMemo");
    infoMemo->setReadOnly(true);
    infoMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    infoMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    closeButton = named(new QPushButton(QStringLiteral("Zamknij"), this), "closeButton");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(infoMemo, 1);
    layout->addWidget(closeButton, 0, Qt::AlignRight);
    setFixedSize(428, 353);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

void ChartInfoWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

} // namespace k71t

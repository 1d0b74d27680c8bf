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
    Memo1 = named(new QPlainTextEdit(this), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    SpeedButton1 = named(new QPushButton(QStringLiteral("Zamknij"), this), "SpeedButton1");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Memo1, 1);
    layout->addWidget(SpeedButton1, 0, Qt::AlignRight);
    setFixedSize(428, 353);
    connect(SpeedButton1, &QPushButton::clicked, this, &QDialog::close);
}

void ChartInfoWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

} // namespace k71t

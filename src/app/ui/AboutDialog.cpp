#include "app/ui/AboutDialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace k71t {

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("Informacje"));
    auto *group = new QGroupBox(QStringLiteral("O programie"), this);
    group->setObjectName(QStringLiteral("aboutGroup"));
    auto *inner = new QVBoxLayout(group);
    auto *title = new QLabel(QStringLiteral("K71T - program do konfiguracji wskaźników K71T"), group);
    title->setObjectName(QStringLiteral("titleLabel"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto *version = new QLabel(QStringLiteral("Wersja: " K71T_VERSION), group);
    version->setObjectName(QStringLiteral("versionLabel"));
    auto *maker = new QLabel(QStringLiteral("Twórcy programu K71T, licencja GPL-3.0 lub późniejsza"), group);
    maker->setObjectName(QStringLiteral("authorsLabel"));
    inner->addWidget(title);
    inner->addWidget(version);
    inner->addWidget(maker);

    closeButton = new QPushButton(QStringLiteral("Zamknij"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(closeButton, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace k71t

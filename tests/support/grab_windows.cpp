// Renders windows that no button opens yet into PNG files, for the
// screenshots in docs/: k71t-grab OUTPUT_FOLDER
#include "support/AppHarness.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "k71t-grab OUTPUT_FOLDER\n");
        return 2;
    }
    k71t::test::AppHarness harness;
    harness.start();
    const QDir out(QString::fromLocal8Bit(argv[1]));
    harness.form12->adjustSize();
    harness.form12->grab().save(out.filePath(QStringLiteral("address-prompt.png")));
    return 0;
}

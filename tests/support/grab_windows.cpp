// Renders windows that no button opens yet into PNG files, for the
// screenshots in docs/: k71t-grab OUTPUT_FOLDER
#include "common/QtPrompt.h"
#include "support/AppHarness.h"

#include <QMessageBox>

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
    // The statistics after a download long enough to have a speed.
    const auto box = k71t::QtPrompt::messageBox(
        nullptr, k71t::downloadStatistics(4400, 20), QStringLiteral("Info"), k71t::PromptIcon::None,
        k71t::PromptButtons::Ok);
    box->show();
    box->grab().save(out.filePath(QStringLiteral("download-statistics.png")));
    return 0;
}

// Saves one kind of file over and over with the program's own writers,
// alternating two contents, until it is killed: k71t-saveloop KIND PATH
// (KIND: k71t, auto, sql, bin, dat). The interrupted-write tests kill it at
// random moments and look at what is left. Each save's content is what
// savedContent() below gives for its turn, so the test knows both.
#include "support/SaveLoop.h"

#include "archive/ArchiveFiles.h"
#include "automat/Tasks.h"
#include "config/ConfigFile.h"
#include "db/DatabaseSettings.h"

#include <QDateTime>
#include <cstdio>
#include <memory>

using namespace k71t;

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "k71t-saveloop KIND PATH\n");
        return 2;
    }
    const QString kind = QString::fromLatin1(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    auto store = std::make_unique<RecordStore>();
    for (long turn = 0;; ++turn) {
        const int variant = static_cast<int>(turn % 2);
        bool ok = false;
        if (kind == QLatin1String("k71t")) {
            ok = !saveConfigFile(path, test::saveLoopImage(variant)).isEmpty();
        } else if (kind == QLatin1String("auto")) {
            ok = saveTasks(path, test::saveLoopTasks(variant));
        } else if (kind == QLatin1String("sql")) {
            ok = saveSqlConf(path, test::saveLoopSettings(variant));
        } else if (kind == QLatin1String("bin") || kind == QLatin1String("dat")) {
            const int n = test::saveLoopRecords(*store, variant);
            if (kind == QLatin1String("bin"))
                ok = !saveNewBin(path, *store, n, test::saveLoopImage(variant)).isEmpty();
            else
                ok = exportDat(path, *store, n, 20130101, 20131231, 0, 235959,
                               QDateTime(QDate(2013, 9, 17), QTime(6, 0)));
        } else {
            return 2;
        }
        if (!ok)
            return 1;
        if (turn == 0) {
            // The first save is complete: the test may start killing.
            std::printf("saved\n");
            std::fflush(stdout);
        }
    }
}

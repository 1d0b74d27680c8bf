#pragma once
// The process-wide objects, owned by main and handed to the windows that use
// them. A test builds its own context, so tests never share state. The
// context sits below every window and above the subsystems' logic.
#include "archive/ArchiveRecord.h"
#include "common/Clock.h"
#include "context/Prompt.h"
#include "context/Worker.h"
#include "db/SqlConnection.h"
#include "link/MeterLink.h"

#include <QString>
#include <functional>

namespace k71t {

// The meter link bundle (image, port settings, meter address, port map and
// the link) is the first part of the context: ctx.image, ctx.link ...
struct AppContext : MeterLink {
    // `appDirectory` is the working folder at start-up; the Archives folder
    // below it is named (and created when missing) here.
    AppContext(const QString &appDirectory, Prompt &prompt, const Clock &clock);

    // Path of a settings file in appDirectory.
    QString appFile(const QString &name) const;

    QString appDirectory;
    // appDirectory + "/Archives/": where downloads are saved.
    QString archivesDirectory;
    Prompt &prompt;
    const Clock &clock;
    // The records of the last download or opened archive file.
    RecordStore records;
    // Switches the PC's port settings and the meter address after the meter's
    // interface was changed. The start panel sets it, so its lists show the
    // change and it applies them as when the operator chooses them; when
    // empty the settings are set directly.
    std::function<void(const PortSettings &, std::uint8_t)> followLine;
    // The database: the connection parameters (sql.conf, edited in
    // DatabaseWindow), the connection of the database worker (the windows'
    // tests, imports, range exports and chart loads) and the one the link
    // worker's archive jobs store their records with. A connection belongs
    // to the thread it is used on.
    DatabaseSettings databaseSettings;
    SqlConnection database;
    SqlConnection linkDatabase;
    // The switch of database support: DatabaseWindow's check box once that window
    // exists; until then (and without it) database support is off.
    std::function<bool()> databaseSwitch;
    bool databaseEnabled() const { return databaseSwitch && databaseSwitch(); }

    // The two threads of long work: the link worker owns the port (every
    // exchange with the meter runs there), the database worker owns
    // `database`. Last, so they end before what their jobs use.
    Worker linkWorker{QStringLiteral("k71t-link")};
    Worker databaseWorker{QStringLiteral("k71t-database")};
    // Work given to either and not finished.
    bool workInHand() const { return linkWorker.busy() || databaseWorker.busy(); }
    // Asks the work in hand to stop at its next safe point (a download at
    // its next page: nothing saved, the meter not cleared).
    void stopWork()
    {
        linkWorker.requestStop();
        databaseWorker.requestStop();
    }
};

} // namespace k71t

#pragma once
// The process-wide objects, owned by main and handed to the windows that use
// them. A test builds its own context, so tests never share state.
#include "common/Clock.h"
#include "common/Prompt.h"
#include "archive/ArchiveRecord.h"
#include "link/Modbus.h"
#include "link/PortMap.h"
#include "link/RegisterImage.h"

#include <QString>
#include <cstdint>

namespace k71t {

struct AppContext {
    AppContext(const QString &appDirectory, Prompt &prompt, const Clock &clock);
    AppContext(const AppContext &) = delete;
    AppContext &operator=(const AppContext &) = delete;

    // Path of a settings file in AppDirectory.
    QString appFile(const QString &name) const;

    QString AppDirectory;
    Prompt &prompt;
    const Clock &clock;
    RegisterImage image;
    PortSettings portSettings;
    std::uint8_t meterAddress = 1;
    PortMap portMap;
    ModbusLink link;
    // The records of the last download or opened archive file.
    RecordStore records;
    // AppDirectory + "/Archives/": where downloads are saved.
    QString ArchivesDirectory;
    // Database support; off until the database settings exist.
    bool databaseEnabled = false;
};

} // namespace k71t

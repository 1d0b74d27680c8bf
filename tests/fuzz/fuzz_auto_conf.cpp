// auto.conf, the download tasks.
#include "FuzzSupport.h"
#include "automat/Tasks.h"

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TaskTable table;
    (void)parseTasksFile(fuzz::bytesOf(data, size), table);
    for (int slot = 0; slot < 32; ++slot)
        (void)taskListText(table, slot);
    (void)tasksFileText(table);
    return 0;
}

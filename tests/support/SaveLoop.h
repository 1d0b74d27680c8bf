#pragma once
// The two contents k71t-saveloop alternates between, for each kind of file;
// the interrupted-write tests build the same ones to compare with.
#include "archive/ArchiveRecord.h"
#include "automat/Tasks.h"
#include "db/DatabaseSettings.h"
#include "link/RegisterImage.h"

namespace k71t::test {

RegisterImage saveLoopImage(int variant);
TaskTable saveLoopTasks(int variant);
SqlConf saveLoopSettings(int variant);
// Fills the first records of `store`; returns their number (thousands, so a
// save takes long enough to be cut in the middle).
int saveLoopRecords(RecordStore &store, int variant);

} // namespace k71t::test

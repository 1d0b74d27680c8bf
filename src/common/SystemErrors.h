#pragma once
// Why a file operation failed, in Polish, for the messages the operator reads.
#include <QString>

namespace k71t {

// The reason behind an errno value: Polish for the common cases (no space,
// no permission, read-only file system, not a folder, missing, a folder,
// too large, quota), the system's own text otherwise.
QString systemErrorText(int error);

} // namespace k71t

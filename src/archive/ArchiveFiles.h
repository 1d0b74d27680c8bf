#pragma once
// The raw archive file (.bin) and the tab-separated text export (.dat).
#include "archive/ArchiveRecord.h"
#include "link/RegisterImage.h"

#include <QDateTime>
#include <QString>

namespace k71t {

// The bytes of a .bin file: n records, then 4300..4379 (high byte first) and
// 7664..7683 (floats low byte first): 12n + 240 bytes.
QByteArray buildBin(const RecordStore &store, int n, const RegisterImage &image);

// Writes a .bin file under `path`, replacing a file of that name safely. The
// file is complete and flushed to disk when this returns true; on failure an
// existing file is untouched and `error` says why.
bool saveBin(const QString &path, const RecordStore &store, int n, const RegisterImage &image,
             QString *error = nullptr);

// Writes a downloaded archive as a new .bin file: under `path`, or, when that
// name is taken, under the first free name with "_2", "_3", ... before ".bin".
// Never replaces a file. Returns the path written (complete and on disk), or
// an empty string and `error`.
QString saveNewBin(const QString &path, const RecordStore &store, int n, const RegisterImage &image,
                   QString *error = nullptr);

// Loads a .bin file into the store and its trailer into 4300..4379 and
// 7664..7683. Returns the record count: 0 for a missing file or one whose
// size is not 12n + 240, and 0 with `tooLarge` set for a file holding more
// records than the store can take (nothing is loaded then).
int loadBin(const QString &path, RecordStore &store, RegisterImage &image, bool *tooLarge = nullptr);

// "2013-09-16_14_05_09_1.bin" for address 1 at that moment.
QString binFileName(const QDateTime &now, int address);

// Appends ".dat" unless the name holds ".dat" (case-sensitive) from its second character on.
QString datFileName(const QString &name);

// Value text of an export: "*" above 1.0E+10, else the exponent form with
// `digits` significant digits. Writes into `out` (at least 32 bytes) and
// returns the length.
int exportValueText(float value, int digits, char *out);

// Appends an export of the date range [start, stop] (date keys) to the file;
// for a single day only times in [tstart, tstop] are written. `now` goes into
// the heading; `rows` receives the number of rows written. Returns false when
// the file could not be opened or written; a failed write leaves the file at
// its previous length, and `error` says why.
bool exportDat(const QString &path, const RecordStore &store, int count, int start, int stop, int tstart, int tstop,
               const QDateTime &now, QString *error = nullptr, int *rows = nullptr);

} // namespace k71t

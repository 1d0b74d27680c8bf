// A .bin archive file, then its records grouped into rows as the export,
// the chart and the database take them.
#include "FuzzSupport.h"
#include "archive/ArchiveFiles.h"

#include <memory>

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const auto store = std::make_unique<RecordStore>();
    RegisterImage image;
    const int n = loadBin(fuzz::inputFile(QStringLiteral("a.bin"), data, size), *store, image);
    if (n > 0) {
        // Reused as the export reuses it: the rows reserve room for a full
        // store, and allocating that per input would be all the target did.
        static std::vector<ExportRow> rows;
        for (int d = 0; d < 10; ++d)
            buildExportRows(*store, n, d, 0, 99991231, rows);
    }
    return 0;
}

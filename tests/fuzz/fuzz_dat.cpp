// .dat files: one data line, the database import's chunked reader and the
// chart's block reader with its loader.
#include "FuzzSupport.h"
#include "archive/DataLine.h"
#include "chart/SeriesLoad.h"

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    DataLine line;
    (void)parseDataLine(QByteArrayView(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)), line);
    const QString path = fuzz::inputFile(QStringLiteral("a.dat"), data, size);
    DatLineReader reader(path, DatLineReader::Rule::EveryLine);
    RefusedLines refused;
    QByteArrayView text;
    while (reader.next(text))
        if (readDataLine(text, line) == LineVerdict::Refused)
            refused.add(reader.lineNumber(), text);
    (void)refused.report();
    SeriesModel model;
    for (int s = 0; s < SeriesCount; ++s)
        model.series[static_cast<std::size_t>(s)] =
            SeriesAssignment{1, static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(9 - s), QStringLiteral("S")};
    std::array<SeriesData, SeriesCount> loaded;
    (void)loadSeriesFromFile(path, 1, 20000101, 20991231, model, loaded);
    return 0;
}

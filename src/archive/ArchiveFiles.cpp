#include "archive/ArchiveFiles.h"

#include "common/SafeFile.h"
#include "common/TextFormats.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>

namespace k71t {

namespace {
constexpr int TrailerBytes = 240;
} // namespace

bool SaveBin(const QString &path, const RecordStore &store, int n, const RegisterImage &image, QString *error)
{
    if (n < 0 || n > RecordStoreCapacity)
        return false;
    QByteArray b(12 * n + TrailerBytes, '\0');
    char *p = b.data();
    std::memcpy(p, store.data(), static_cast<std::size_t>(12) * static_cast<std::size_t>(n));
    p += 12 * n;
    for (int i = 0; i < 80; ++i) {
        const std::uint16_t v = image.reg16(4300 + i);
        *p++ = static_cast<char>(v >> 8);
        *p++ = static_cast<char>(v & 0xFF);
    }
    for (int i = 0; i < 20; ++i) {
        const std::uint32_t v = image.bits32(7664 - Regs32First + i);
        for (int k = 0; k < 4; ++k)
            *p++ = static_cast<char>(v >> (8 * k));
    }
    return writeFileSafely(path, b, error);
}

int LoadBin(const QString &path, RecordStore &store, RegisterImage &image, bool *tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return 0;
    const qint64 size = info.size();
    if (size < TrailerBytes || (size - TrailerBytes) % 12 != 0)
        return 0;
    const qint64 n = (size - TrailerBytes) / 12;
    if (n > RecordStoreCapacity) {
        if (tooLarge)
            *tooLarge = true;
        return 0;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray b = file.readAll();
    if (b.size() != size)
        return 0;
    std::memcpy(store.data(), b.constData(), static_cast<std::size_t>(12 * n));
    const auto *t = reinterpret_cast<const std::uint8_t *>(b.constData()) + 12 * n;
    for (int i = 0; i < 80; ++i)
        image.reg16(4300 + i) = static_cast<std::uint16_t>(t[2 * i] << 8 | t[2 * i + 1]);
    t += 160;
    for (int i = 0; i < 20; ++i) {
        const std::uint8_t *v = t + 4 * i;
        image.setBits32(7664 - Regs32First + i, std::uint32_t(v[0]) | std::uint32_t(v[1]) << 8 |
                                                    std::uint32_t(v[2]) << 16 | std::uint32_t(v[3]) << 24);
    }
    return static_cast<int>(n);
}

QString BinFileName(const QDateTime &now, int address)
{
    return now.toString(QStringLiteral("yyyy-MM-dd_HH_mm_ss_")) + QString::number(address) + QStringLiteral(".bin");
}

QString datFileName(const QString &name)
{
    return name.indexOf(QLatin1String(".dat"), 1) >= 1 ? name : name + QLatin1String(".dat");
}

int exportValueText(float value, int digits, char *out)
{
    if (value > 1.0e10f) {
        out[0] = '*';
        return 1;
    }
    int len = std::snprintf(out, 32, "%.*E", digits - 1, static_cast<double>(value));
    // printf gives at least two exponent digits; the export has at least three.
    char *e = std::strchr(out, 'E');
    if (e && std::strlen(e + 2) < 3) {
        std::memmove(e + 3, e + 2, std::strlen(e + 2) + 1);
        e[2] = '0';
        ++len;
    }
    return len;
}

namespace {

// Collects the export and writes it in large pieces.
class DatWriter {
public:
    explicit DatWriter(QFile &file) : file_(file) { buffer_.reserve(1 << 20); }
    void put(const char *s, int n)
    {
        buffer_.append(s, n);
        if (buffer_.size() >= (1 << 20))
            flush();
    }
    void put(const QByteArray &b) { put(b.constData(), static_cast<int>(b.size())); }
    bool flush()
    {
        if (!buffer_.isEmpty() && file_.write(buffer_) != buffer_.size())
            ok_ = false;
        buffer_.clear();
        return ok_;
    }
    bool ok() const { return ok_; }

private:
    QFile &file_;
    QByteArray buffer_;
    bool ok_ = true;
};

int formatDateTime(int dateKey, int timeKey, char *out)
{
    return std::snprintf(out, 32, "%04d-%02d-%02d\t%02d:%02d:%02d", dateKey / 10000, dateKey / 100 % 100,
                         dateKey % 100, timeKey / 10000, timeKey / 100 % 100, timeKey % 100);
}

} // namespace

bool ExportDat(const QString &path, const RecordStore &store, int count, int start, int stop, int tstart, int tstop,
               const QDateTime &now, QString *error)
{
    QFile file(datFileName(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const bool oneDay = start == stop;
    const int digits = oneDay ? 7 : 10;
    DatWriter out(file);
    out.put(toWindows1250(QStringLiteral("\n\rArchiwum odczytano: ") + now.toString(QStringLiteral("yyyy-MM-dd")) +
                          QStringLiteral(" o godzinie ") + now.toString(QStringLiteral("HH:mm:ss")) +
                          QStringLiteral("\n\r")));
    static const QByteArray columns("Data\tCzas\tDEV\tR0\tR1\tR2\tR3\tR4\tR5\tR6\tR7\tR8\tR9\n\r");
    std::vector<ExportRow> rows;
    char line[512];
    for (int d = 0; d < 10; ++d) {
        if (BuildExportRows(store, count, d, start, stop, rows) == 0)
            continue;
        out.put(toWindows1250(QStringLiteral("\n\rUrządzenie %1\n\r").arg(d + 1)));
        out.put(columns);
        for (const ExportRow &row : rows) {
            if (oneDay && (row.timeKey < tstart || row.timeKey > tstop))
                continue;
            int n = formatDateTime(row.dateKey, row.timeKey, line);
            line[n++] = '\t';
            line[n++] = static_cast<char>('0' + d);
            for (float v : row.R) {
                line[n++] = '\t';
                n += exportValueText(v, digits, line + n);
            }
            line[n++] = '\n';
            out.put(line, n);
        }
    }
    const bool written = out.flush() && file.flush();
    if (!written && error)
        *error = file.errorString();
    file.close();
    return written && file.error() == QFile::NoError;
}

} // namespace k71t

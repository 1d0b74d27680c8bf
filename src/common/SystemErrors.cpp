#include "common/SystemErrors.h"

#include <cerrno>
#include <cstring>

namespace k71t {

QString systemErrorText(int error)
{
    switch (error) {
    case ENOSPC: return QStringLiteral("brak miejsca na dysku");
    case EDQUOT: return QStringLiteral("przekroczony przydział miejsca na dysku");
    case EACCES:
    case EPERM: return QStringLiteral("brak uprawnień");
    case EROFS: return QStringLiteral("system plików tylko do odczytu");
    case ENOTDIR: return QStringLiteral("to nie jest folder");
    case ENOENT: return QStringLiteral("brak pliku lub folderu");
    case EISDIR: return QStringLiteral("to jest folder");
    case EFBIG: return QStringLiteral("plik zbyt duży");
    case EEXIST: return QStringLiteral("plik już istnieje");
    case EIO: return QStringLiteral("błąd wejścia/wyjścia");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace k71t

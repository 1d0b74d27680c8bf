// A .slo dictionary file; a dictionary read whole must write back the same
// bytes when its names hold nothing the file cannot store.
#include "FuzzSupport.h"
#include "chart/Dictionary.h"

#include <cstdlib>

using namespace k71t;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const Dictionary fresh;
    const QByteArray bytes = fuzz::bytesOf(data, size);
    Dictionary d = fresh;
    if (parseDictionary(bytes, d) == DictionarySlots) {
        d.compact();
        Dictionary again = fresh;
        if (parseDictionary(dictionaryText(d), again) != DictionarySlots || !(again.meters == d.meters))
            std::abort();
    }
    return 0;
}

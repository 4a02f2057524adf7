// The settings files are read at every start; whatever they hold, the reader
// must give back a text drawn from their first line and never run past it.
#include "ui/SettingsFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto* bytes = reinterpret_cast<const char*>(data);
    for (bool whole : {true, false}) {
        const QString field = SettingsFile::FirstField(bytes, size, whole);
        if (static_cast<std::size_t>(field.size()) > size)
            std::abort();
        if (field.contains(QLatin1Char('\r')) || field.contains(QLatin1Char('\n')))
            std::abort();
    }
    return 0;
}

// Any bytes given to the picture loader end in a picture within the limits or in a failure
// value: never a crash, a hang, or memory past the limits.
#include "pictureloader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Smaller than the program's limits so each input decodes quickly and a short run tries
    // more of them; the code that checks them is the same.
    PictureLoader::Limits limits;
    limits.side = 4096;
    limits.pixels = 4 * 1024 * 1024;
    const PictureLoader::Result result = PictureLoader::decode(
        QByteArrayView(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)), limits);
    if (result.ok() == result.image.isNull())
        std::abort();
    if (result.ok()
        && (result.image.width() > limits.side || result.image.height() > limits.side
            || qint64(result.image.width()) * result.image.height() > limits.pixels))
        std::abort();
    return 0;
}

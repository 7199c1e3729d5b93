// The model list comes from the network: any bytes must decode or be refused, never crash.

#include "Models/ModelManifest.h"
#include "Models/ModelSource.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<ModelManifest> manifest =
        ModelManifest::decoded(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (manifest) {
        for (const ModelManifest::Family& family : manifest->families) {
            for (const ModelManifest::Package& package : family.packages) {
                for (const ModelManifest::File& file : package.files) {
                    if (file.size < 0)
                        __builtin_trap();
                    isPlainFileName(file.name);
                }
            }
        }
    }
    return 0;
}

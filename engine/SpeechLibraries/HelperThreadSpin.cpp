#include "HelperThreadSpin.h"

#include "Core/Log.h"
#include "OnnxRuntimeApi.h"

#include <QByteArray>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

#include <sys/mman.h>
#include <unistd.h>

namespace {

using CreateSessionOptions = OrtStatus* (*)(OrtSessionOptions** out);
using AddSessionConfigEntry = OrtStatus* (*)(OrtSessionOptions* options, const char* key, const char* value);

CreateSessionOptions runtimeCreate = nullptr;
AddSessionConfigEntry runtimeAdd = nullptr;
void (*runtimeReleaseStatus)(OrtStatus*) = nullptr;

OrtStatus* createWithShortSpin(OrtSessionOptions** out)
{
    OrtStatus* status = runtimeCreate(out);
    if (status || !out || !*out)
        return status;
    static const QByteArray wait = QByteArray::number(HelperThreadSpin::microseconds);
    // A runtime that refuses the setting still makes working sessions: they just spin longer.
    if (OrtStatus* refused = runtimeAdd(*out, "session.intra_op.spin_duration_us", wait.constData()))
        runtimeReleaseStatus(refused);
    return nullptr;
}

// The runtime's function table is read-only once loaded: the page holding the one entry is made
// writable for the write and read-only again.
bool replaceEntry(CreateSessionOptions* entry, CreateSessionOptions replacement)
{
    const auto pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    // The page's start is the entry's address rounded down: an integer operation by nature.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    void* page = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(entry) & ~(pageSize - 1));
    if (mprotect(page, pageSize, PROT_READ | PROT_WRITE) != 0) {
        Log::info(QStringLiteral("runtime helper threads keep their long wait: %1").arg(strerror(errno)));
        return false;
    }
    __atomic_store_n(entry, replacement, __ATOMIC_RELEASE);
    mprotect(page, pageSize, PROT_READ);
    return true;
}

}

bool HelperThreadSpin::limit()
{
    static bool installed = false;
    static std::once_flag once;
    std::call_once(once, [] {
        const OrtApiBase* base = OrtGetApiBase();
        auto* api = const_cast<OrtApi*>(base ? base->GetApi(ortApiVersion) : nullptr);
        if (!api) {
            Log::info(
                QStringLiteral("runtime helper threads keep their long wait: no API version %1").arg(ortApiVersion));
            return;
        }
        runtimeCreate = api->CreateSessionOptions;
        runtimeAdd = api->AddSessionConfigEntry;
        runtimeReleaseStatus = api->ReleaseStatus;
        installed = replaceEntry(&api->CreateSessionOptions, &createWithShortSpin);
    });
    return installed;
}

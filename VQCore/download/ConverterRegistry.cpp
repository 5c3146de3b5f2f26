#include "VQCore/download/ConverterRegistry.h"

#include "VQCore/download/ZipConverter.h"

#include <cstring>
#include <mutex>

namespace Tessar {

namespace {

struct VQConverterEntry {
    char name[32];
    VQConverterCreator encoder;
    VQConverterCreator decoder;
};

std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}

VQConverterEntry* Slots() {
    static VQConverterEntry slots[kConverterSlots] = {};
    return slots;
}

VQCompressConverter* NewZipEncoder() { return new VQZipEncoder(); }
VQCompressConverter* NewZipDecoder() { return new VQZipDecoder(); }

boost::shared_ptr<VQCompressConverter> Create(uint16_t id, bool encoder) {
    if (id == kConverterStored)
        return boost::shared_ptr<VQCompressConverter>(new VQRawConverter());
    RegisterConverters();
    if (id >= kConverterSlots)
        return boost::shared_ptr<VQCompressConverter>();
    VQConverterCreator creator = nullptr;
    {
        std::lock_guard<std::mutex> hold(RegistryLock());
        creator = encoder ? Slots()[id].encoder : Slots()[id].decoder;
    }
    return boost::shared_ptr<VQCompressConverter>(creator != nullptr ? creator() : nullptr);
}

}  // namespace

bool RegisterConverter(uint16_t id, const char* name, VQConverterCreator encoder, VQConverterCreator decoder) {
    if (id == kConverterStored || id >= kConverterSlots || name == nullptr || std::strlen(name) > 31)
        return false;
    std::lock_guard<std::mutex> hold(RegistryLock());
    VQConverterEntry& slot = Slots()[id];
    if (slot.encoder != nullptr || slot.decoder != nullptr)
        return false;
    std::strcpy(slot.name, name);
    slot.encoder = encoder;
    slot.decoder = decoder;
    return true;
}

void RegisterConverters() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterConverter(kConverterZip, "ZIP", NewZipEncoder, NewZipDecoder); });
}

boost::shared_ptr<VQCompressConverter> CreateConverter(uint16_t id) {
    return Create(id, false);
}

boost::shared_ptr<VQCompressConverter> CreateEncoder(uint16_t id) {
    return Create(id, true);
}

}  // namespace Tessar

#pragma once
// Converters by id, as package entries name them: 0 stored, 1 zlib ("ZIP");
// ids up to 31 can be registered.

#include "VQCore/download/CompressConverter.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>

namespace Tessar {

const uint32_t kConverterSlots = 32;
const uint16_t kConverterStored = 0;
const uint16_t kConverterZip = 1;

typedef VQCompressConverter* (*VQConverterCreator)();

// Fills slot 1 once; run by the factories before their first look-up.
void RegisterConverters();
// name: up to 31 characters. False for a bad id or when the slot is taken.
bool RegisterConverter(uint16_t id, const char* name, VQConverterCreator encoder, VQConverterCreator decoder);

// The unpacking side: empty for an unknown id.
boost::shared_ptr<VQCompressConverter> CreateConverter(uint16_t id);
// The packing side, for package writers.
boost::shared_ptr<VQCompressConverter> CreateEncoder(uint16_t id);

}  // namespace Tessar

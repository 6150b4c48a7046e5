// One libFuzzer program per target: VELMORA_FUZZ_ENTRY names the target's entry function.

#include "targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return velmora::fuzz::VELMORA_FUZZ_ENTRY(data, size);
}

#pragma once
// The fuzz targets' entry points. The libFuzzer programs wrap them one each; the test suite
// runs the stored corpus through the same functions with the normal build.

#include <cstddef>
#include <cstdint>

namespace velmora::fuzz {

// Called with a short description when an input breaks a rule a target checks. By default
// it prints the rule and aborts, which makes libFuzzer keep the input as a crash.
extern void (*ruleBroken)(const char* rule);

// LineReader and FieldReader over any bytes; quotedLine read back.
int fuzzFields(const uint8_t* data, size_t size);
// fromCp932 over any bytes; text through toCp932 and back.
int fuzzCp932(const uint8_t* data, size_t size);
// The backward reading of the record file against the plain forward one.
// Input: a steering byte, a name length, the name in CP932, then the file.
int fuzzRecords(const uint8_t* data, size_t size);
// The registry lookup, and a registration appended to any registry read back.
// Input: an IDm length, the IDm in CP932, then the registry.
int fuzzRegistry(const uint8_t* data, size_t size);

} // namespace velmora::fuzz

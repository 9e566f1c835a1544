#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

namespace kv::fuzz {

// The readers open files by name: each input is written to one scratch file of this process
// (in memory when /dev/shm exists) and its path returned.
QString writeInput(const uint8_t* data, size_t size, const char* suffix);
// A scratch folder of this process for extracted messages.
QString outputFolder();
// Silences the readers' warnings, which would otherwise flood the fuzzer's output.
void quietLogs();

// Reports a broken promise of a reader as a crash, so the fuzzer keeps the input.
#define KV_FUZZ_CHECK(cond)                                                                        \
    do {                                                                                           \
        if (!(cond))                                                                               \
            __builtin_trap();                                                                      \
    } while (0)

} // namespace kv::fuzz

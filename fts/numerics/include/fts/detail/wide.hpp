// wide: functions built several times, for the processors with the 512-bit and the 256-bit
// vector instructions and for every other x86-64, the one to use picked when the program starts
// (not part of the library's interface).
#pragma once

// A function marked FTS_WIDE_CLONES must do the same arithmetic in every build: the builds differ
// only in how many elements one instruction takes. The portable build is the default, so the
// same binary runs on any x86-64. Other compilers and processors get the one portable build.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define FTS_WIDE_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define FTS_WIDE_CLONES
#endif

namespace fts::detail {

// The vector instructions the widest build of FTS_WIDE_CLONES uses on this processor: "avx512f",
// "avx2" or "default".
const char* wide_build();

}  // namespace fts::detail

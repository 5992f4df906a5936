// SHA-256 (FIPS 180-4), for naming the picture a run was made with: a run
// file carries the digest of the ROCK8.BMP its frames were drawn from.
#pragma once

#include <cstddef>
#include <cstdint>

enum { SHA256_BYTES = 32, SHA256_HEX_CHARS = 64 };

struct Sha256 {
  std::uint32_t state[8];
  std::uint64_t length;       // bytes hashed so far
  std::uint8_t block[64];     // the block being filled
  std::size_t blockUsed;
};

void Sha256Begin(Sha256* hash);
void Sha256Add(Sha256* hash, const void* data, std::size_t size);
// Writes the digest; the record must be begun anew before further use.
void Sha256End(Sha256* hash, std::uint8_t digest[SHA256_BYTES]);

// The digest as 64 lower-case hex digits and a terminating zero.
void Sha256Hex(const std::uint8_t digest[SHA256_BYTES], char hex[SHA256_HEX_CHARS + 1]);

// The digest of a whole file, read in pieces. False when it cannot be
// opened or read.
bool Sha256File(const char* path, std::uint8_t digest[SHA256_BYTES]);

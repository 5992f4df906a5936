#include "sha256.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

const std::uint32_t kRounds[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
    0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
    0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
    0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
    0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
    0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
    0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
    0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
    0xc67178f2};

std::uint32_t Rotate(std::uint32_t value, int bits) { return (value >> bits) | (value << (32 - bits)); }

void Compress(std::uint32_t state[8], const std::uint8_t block[64]) {
  std::uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = std::uint32_t(block[4 * i]) << 24 | std::uint32_t(block[4 * i + 1]) << 16 |
           std::uint32_t(block[4 * i + 2]) << 8 | block[4 * i + 3];
  for (int i = 16; i < 64; ++i) {
    std::uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
    std::uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::uint32_t v[8];
  std::memcpy(v, state, sizeof v);
  for (int i = 0; i < 64; ++i) {
    std::uint32_t s1 = Rotate(v[4], 6) ^ Rotate(v[4], 11) ^ Rotate(v[4], 25);
    std::uint32_t choose = (v[4] & v[5]) ^ (~v[4] & v[6]);
    std::uint32_t t1 = v[7] + s1 + choose + kRounds[i] + w[i];
    std::uint32_t s0 = Rotate(v[0], 2) ^ Rotate(v[0], 13) ^ Rotate(v[0], 22);
    std::uint32_t majority = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
    std::memmove(v + 1, v, 7 * sizeof v[0]);
    v[4] += t1;
    v[0] = t1 + s0 + majority;
  }
  for (int i = 0; i < 8; ++i) state[i] += v[i];
}

}  // namespace

void Sha256Begin(Sha256* hash) {
  static const std::uint32_t kStart[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                          0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::memcpy(hash->state, kStart, sizeof kStart);
  hash->length = 0;
  hash->blockUsed = 0;
}

void Sha256Add(Sha256* hash, const void* data, std::size_t size) {
  const std::uint8_t* bytes = static_cast<const std::uint8_t*>(data);
  hash->length += size;
  while (size > 0) {
    std::size_t take = sizeof hash->block - hash->blockUsed;
    if (take > size) take = size;
    std::memcpy(hash->block + hash->blockUsed, bytes, take);
    hash->blockUsed += take;
    bytes += take;
    size -= take;
    if (hash->blockUsed == sizeof hash->block) {
      Compress(hash->state, hash->block);
      hash->blockUsed = 0;
    }
  }
}

void Sha256End(Sha256* hash, std::uint8_t digest[SHA256_BYTES]) {
  const std::uint64_t bits = hash->length * 8;
  const std::uint8_t one = 0x80, zero = 0;
  Sha256Add(hash, &one, 1);
  while (hash->blockUsed != 56) Sha256Add(hash, &zero, 1);
  std::uint8_t tail[8];
  for (int i = 0; i < 8; ++i) tail[i] = std::uint8_t(bits >> (56 - 8 * i));
  Sha256Add(hash, tail, sizeof tail);
  for (int i = 0; i < 8; ++i)
    for (int b = 0; b < 4; ++b) digest[4 * i + b] = std::uint8_t(hash->state[i] >> (24 - 8 * b));
}

void Sha256Hex(const std::uint8_t digest[SHA256_BYTES], char hex[SHA256_HEX_CHARS + 1]) {
  static const char kDigits[] = "0123456789abcdef";
  for (int i = 0; i < SHA256_BYTES; ++i) {
    hex[2 * i] = kDigits[digest[i] >> 4];
    hex[2 * i + 1] = kDigits[digest[i] & 15];
  }
  hex[SHA256_HEX_CHARS] = '\0';
}

// Plain descriptors, as the platform reads its files: a page answers them
// from the memory it handed over.
bool Sha256File(const char* path, std::uint8_t digest[SHA256_BYTES]) {
  const int file = open(path, O_RDONLY);
  if (file < 0) return false;
  Sha256 hash;
  Sha256Begin(&hash);
  std::uint8_t buffer[16384];
  ssize_t got;
  while ((got = read(file, buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    Sha256Add(&hash, buffer, std::size_t(got));
  }
  close(file);
  if (got == 0) Sha256End(&hash, digest);
  return got == 0;
}

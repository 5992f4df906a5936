#include "held_keys.h"

namespace {

// In the order reports are made.
constexpr int kKeys[HELD_KEY_COUNT] = {VK_ESCAPE, VK_SPACE, VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};

unsigned held[HELD_MAX_SOURCES];

unsigned HeldByAny() {
  unsigned keys = 0;
  for (unsigned source : held) keys |= source;
  return keys;
}

}  // namespace

unsigned HeldKeyBit(int virtualKey) {
  for (int i = 0; i < HELD_KEY_COUNT; ++i) {
    if (kKeys[i] == virtualKey) return 1u << i;
  }
  return 0;
}

unsigned HeldKeysOf(int source) {
  return source >= 0 && source < HELD_MAX_SOURCES ? held[source] : 0;
}

bool HeldKeysQuitPressed(const HostEvent* reports, int count) {
  for (int i = 0; i < count; ++i)
    if (reports[i].kind == HostEventKind::KeyDown &&
        (reports[i].virtualKey == VK_ESCAPE || reports[i].virtualKey == VK_SPACE))
      return true;
  return false;
}

unsigned HeldKeysAll() { return HeldByAny(); }

int HeldKeysReportChange(unsigned before, unsigned after, HostEvent* reports) {
  int count = 0;
  for (int i = 0; i < HELD_KEY_COUNT; ++i) {
    const unsigned bit = 1u << i;
    if ((before & bit) == (after & bit)) continue;
    reports[count++] = {(after & bit) != 0 ? HostEventKind::KeyDown : HostEventKind::KeyUp,
                        kKeys[i]};
  }
  return count;
}

int HeldKeysReportSince(unsigned before, HostEvent* reports) {
  return HeldKeysReportChange(before, HeldByAny(), reports);
}

int HeldKeysSet(int source, unsigned keys, HostEvent* reports) {
  if (source < 0 || source >= HELD_MAX_SOURCES) return 0;
  const unsigned before = HeldByAny();
  held[source] = keys & ((1u << HELD_KEY_COUNT) - 1);
  return HeldKeysReportSince(before, reports);
}

int HeldKeyChange(int source, int virtualKey, bool down, HostEvent* reports) {
  const unsigned bit = HeldKeyBit(virtualKey);
  const unsigned keys = HeldKeysOf(source);
  return HeldKeysSet(source, down ? keys | bit : keys & ~bit, reports);
}

void HeldKeysForgetAll() {
  for (unsigned& source : held) source = 0;
}

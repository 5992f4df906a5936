// The capture tool's outputs are written whole or not at all: each is made
// under a temporary name beside its target and renamed over it only once
// it is complete, so a failed write leaves the target as it was.
#pragma once

#include <string>

// Called by the GIF and video writers before their first byte: a fresh
// file "<target>.partial-XXXXXX", open for writing, readable as a file the
// user made would be (mkostemp makes it for its owner only). Returns its
// descriptor, which the caller owns, and sets *partialPath; or -1 with
// errno set.
int PartialFileOpen(const std::string& target, std::string* partialPath);

#pragma once
// Bitmap files the user's installation supplies (skin pictures, previews),
// loaded only once their headers are known to describe a picture of sensible
// size that the file really holds: a header that lies about its size would
// otherwise make the loader read past the file or allocate gigabytes.
#include "UniqueHandle.h"

#include <string>

namespace marlin {

struct BitmapLimits {
    int maxWidth = 4096;
    int maxHeight = 4096;
    long long maxPixels = 4LL * 1024 * 1024;
};

// Width and height of the Windows bitmap file at `path` when its headers are
// sound and within `limits`; {0, 0} otherwise.
SIZE ProbeBitmapFile(const std::wstring& path, const BitmapLimits& limits = {});

// The file as a device-independent section at its own size, or null.
unique_hbitmap LoadBitmapFile(const std::wstring& path, const BitmapLimits& limits = {});
// The file at its own size with every pixel of its first pixel's colour
// turned into the window colour (the system's load-transparent option), or null.
unique_hbitmap LoadTransparentBitmapFile(const std::wstring& path, const BitmapLimits& limits = {});

} // namespace marlin

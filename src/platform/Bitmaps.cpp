#include "Bitmaps.h"

#include <cstring>

namespace marlin {

namespace {

#pragma pack(push, 1)
struct FileHeader {
    char magic[2];
    DWORD size;
    DWORD reserved;
    DWORD offBits;
};
#pragma pack(pop)

} // namespace

SIZE ProbeBitmapFile(const std::wstring& path, const BitmapLimits& limits)
{
    unique_file file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    LARGE_INTEGER fileSize{};
    if (!::GetFileSizeEx(file.get(), &fileSize)) return {};
    BYTE buffer[sizeof(FileHeader) + sizeof(BITMAPINFOHEADER)] = {};
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) || read < sizeof(FileHeader) + 12) return {};

    FileHeader header;
    std::memcpy(&header, buffer, sizeof(header));
    if (header.magic[0] != 'B' || header.magic[1] != 'M') return {};
    DWORD infoSize = 0;
    std::memcpy(&infoSize, buffer + sizeof(FileHeader), sizeof(infoSize));

    long long width = 0, height = 0;
    int bitCount = 0;
    DWORD compression = BI_RGB;
    if (infoSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        std::memcpy(&core, buffer + sizeof(FileHeader), sizeof(core));
        width = core.bcWidth;
        height = core.bcHeight;
        bitCount = core.bcBitCount;
    } else if (infoSize >= sizeof(BITMAPINFOHEADER) && read == sizeof(buffer)) {
        BITMAPINFOHEADER info;
        std::memcpy(&info, buffer + sizeof(FileHeader), sizeof(info));
        width = info.biWidth;
        height = info.biHeight < 0 ? -static_cast<long long>(info.biHeight) : info.biHeight;
        bitCount = info.biBitCount;
        compression = info.biCompression;
    } else {
        return {};
    }
    if (width <= 0 || height <= 0 || width > limits.maxWidth || height > limits.maxHeight ||
        width * height > limits.maxPixels) {
        return {};
    }
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return {};
    // Uncompressed pictures only, every row of them in the file.
    if (compression != BI_RGB && compression != BI_BITFIELDS) return {};
    const long long stride = (width * bitCount + 31) / 32 * 4;
    if (header.offBits < sizeof(FileHeader) + infoSize) return {};
    if (static_cast<long long>(header.offBits) + stride * height > fileSize.QuadPart) return {};
    return SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
}

unique_hbitmap LoadBitmapFile(const std::wstring& path, const BitmapLimits& limits)
{
    const SIZE size = ProbeBitmapFile(path, limits);
    if (size.cx == 0) return {};
    return unique_hbitmap(static_cast<HBITMAP>(
        ::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

unique_hbitmap LoadTransparentBitmapFile(const std::wstring& path, const BitmapLimits& limits)
{
    if (ProbeBitmapFile(path, limits).cx == 0) return {};
    return unique_hbitmap(static_cast<HBITMAP>(
        ::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_LOADTRANSPARENT)));
}

} // namespace marlin

#include "remote_operator/screen_capture.h"

#include "remote_operator/win_helpers.h"

namespace trv::remote {
namespace {

// Copies `area` of the screen as a BMP file stores it: rows from the bottom up, `bits` (24 or
// 32) per pixel in blue, green, red order, each row padded to 4 bytes.
bool CaptureArea(const RECT& area, WORD bits, BITMAPINFOHEADER* header,
                 std::vector<unsigned char>* pixels) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, previous);

  *header = {};
  header->biSize = sizeof *header;
  header->biWidth = width;
  header->biHeight = height;  // bottom-up rows
  header->biPlanes = 1;
  header->biBitCount = bits;
  header->biCompression = BI_RGB;
  const DWORD stride = (DWORD(width) * bits / 8 + 3) & ~3u;
  pixels->assign(size_t(stride) * height, 0);
  const int rows = GetDIBits(memory, bitmap, 0, height, pixels->data(),
                             reinterpret_cast<BITMAPINFO*>(header), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied && rows == height;
}

}  // namespace

bool SaveScreenAsBmp(const std::wstring& path) {
  const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  BITMAPINFOHEADER header;
  std::vector<unsigned char> pixels;
  if (!CaptureArea(screen, 24, &header, &pixels)) {
    return false;
  }

  BITMAPFILEHEADER file_header = {};
  file_header.bfType = 0x4D42;  // "BM"
  file_header.bfOffBits = sizeof file_header + sizeof header;
  file_header.bfSize = file_header.bfOffBits + DWORD(pixels.size());
  const auto* file_header_bytes = reinterpret_cast<const unsigned char*>(&file_header);
  const auto* header_bytes = reinterpret_cast<const unsigned char*>(&header);
  pixels.insert(pixels.begin(), header_bytes, header_bytes + sizeof header);
  pixels.insert(pixels.begin(), file_header_bytes, file_header_bytes + sizeof file_header);
  return WriteWholeFile(path, pixels);
}

std::vector<COLORREF> CaptureScreenArea(const RECT& area) {
  BITMAPINFOHEADER header;
  std::vector<unsigned char> bytes;
  if (!CaptureArea(area, 32, &header, &bytes)) {
    return {};
  }
  const int width = header.biWidth;
  const int height = header.biHeight;
  std::vector<COLORREF> pixels;
  pixels.reserve(size_t(width) * height);
  for (int row = height - 1; row >= 0; --row) {
    for (int column = 0; column < width; ++column) {
      const unsigned char* bgr = &bytes[(size_t(row) * width + column) * 4];
      pixels.push_back(RGB(bgr[2], bgr[1], bgr[0]));
    }
  }
  return pixels;
}

}  // namespace trv::remote

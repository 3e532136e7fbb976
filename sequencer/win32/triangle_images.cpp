#include "sequencer/win32/triangle_images.h"

#include <algorithm>
#include <cstdint>

namespace sequencer {
namespace {

struct Colour {
  int r, g, b;
};

// Is (x, y) inside the downward triangle with corners (l, t), (r, t), (cx, bottom)?
bool Inside(double x, double y, double l, double r, double t, double bottom) {
  if (y < t || y > bottom) return false;
  const double cx = (l + r) / 2;
  const double half = (r - l) / 2 * (bottom - y) / (bottom - t);
  return x >= cx - half && x <= cx + half;
}

// Coverage of pixel (px, py) by the triangle, from 4 × 4 samples.
double Coverage(int px, int py, double l, double r, double t, double bottom) {
  int hits = 0;
  for (int sy = 0; sy < 4; ++sy)
    for (int sx = 0; sx < 4; ++sx)
      if (Inside(px + (sx + 0.5) / 4, py + (sy + 0.5) / 4, l, r, t, bottom)) ++hits;
  return hits / 16.0;
}

HBITMAP Draw(int size, Colour fill) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return nullptr;
  auto* px = static_cast<std::uint32_t*>(bits);
  const double s = size / 16.0;
  // Outer triangle, and the same inset by one design pixel: the band between
  // them is a darker rim that keeps the shape readable on any background.
  const double l = 2 * s, r = 14 * s, t = 4 * s, b = 13 * s;
  const double inset = std::max(1.0, s);
  const double il = l + inset * 1.8, ir = r - inset * 1.8, it = t + inset, ib = b - inset * 2;
  const Colour rim{fill.r * 6 / 10, fill.g * 6 / 10, fill.b * 6 / 10};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double outer = Coverage(x, y, l, r, t, b);
      const double inner = std::min(outer, Coverage(x, y, il, ir, it, ib));
      // Premultiplied colour: rim where only the outer shape covers, fill inside.
      const double cr = rim.r * (outer - inner) + fill.r * inner;
      const double cg = rim.g * (outer - inner) + fill.g * inner;
      const double cb = rim.b * (outer - inner) + fill.b * inner;
      auto byte = [](double v) { return static_cast<std::uint32_t>(std::clamp(v + 0.5, 0.0, 255.0)); };
      px[y * size + x] = (byte(outer * 255) << 24) | (byte(cr) << 16) | (byte(cg) << 8) | byte(cb);
    }
  }
  return bmp;
}

}  // namespace

win::ImageList MakeTriangleImages(int size) {
  win::ImageList list(::ImageList_Create(size, size, ILC_COLOR32, 4, 0));
  if (!list) return list;
  // Failed, started, waiting, already running.
  for (Colour c : {Colour{128, 128, 128}, Colour{255, 0, 0}, Colour{128, 0, 0}, Colour{0, 96, 224}}) {
    win::GdiObject bmp(Draw(size, c));
    ::ImageList_Add(list.get(), static_cast<HBITMAP>(bmp.get()), nullptr);
  }
  return list;
}

}  // namespace sequencer

#include "canvas.h"
#include "oxgdi.h"

using oxgdi::Canvas;

void SetPixel(DDSURFACEDESC2 desc, int x, int y, std::uint32_t colour) {
    Canvas(desc).Put(x, y, colour);
}

std::uint32_t GetPixel(DDSURFACEDESC2 desc, int x, int y) {
    return Canvas(desc).Get(x, y);
}

void SetTransPixel(DDSURFACEDESC2 desc, int x, int y, std::uint32_t colour) {
    Canvas(desc).Or(x, y, colour);
}

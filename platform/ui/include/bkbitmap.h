// Background bitmaps copied onto a painter: bitmap resource `id` is the image
// ":/bitmaps/<id>.png" (the id's low 16 bits). A load that fails is tried again a few
// times; a bitmap that cannot be had, or a painter that is not painting, draws nothing
// and reports false.
#pragma once

#include <QPainter>

// Copies the whole bitmap with its top-left corner at (x, y).
bool LoadBkBitmap(QPainter& dc, int id, int x, int y);
// Copies the width x height part of the bitmap starting at (srcX, srcY) to (x, y).
bool LoadBkBmp(QPainter* dc, int x, int y, int width, int height, int id, int srcX, int srcY);

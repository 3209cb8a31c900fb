#pragma once

// The floor a run's PDF writer is measured against: the benchmark's page of
// 20 five-digit numbers written by hand for that page alone, with nothing
// but stdio and zlib. Helvetica, which readers have without embedding, one
// Flate stream a page through one deflate state, a page object and its
// content, a cross-reference table. Numbers start at 10000 + 3000 i and go
// up by one a page, in four columns of five at (72 + 108 c, 72 + 54 r)
// points from the top left of an A4 page. False when the file could not be
// written.
bool writeHandFloor(const char *path, int pages);

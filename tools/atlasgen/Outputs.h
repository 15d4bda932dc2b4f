// The files the generator writes, each whole or not at all (ReplaceFile).
// Each returns false (after saying why on stderr) when the file cannot be
// written, leaving what stood at its path as it was.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Jobs.h"

// The atlas as the bytes of prop.bmp.
std::vector<uint8_t> AtlasBmpBytes(const AtlasIndices& atlas);
// prop.bmp: 8 bpp, uncompressed, bottom-up, 256-entry table, unpadded rows.
bool WriteAtlasBmp(const AtlasIndices& atlas, const std::string& path);
// The atlas as a PNG through its palette, for looking at.
bool WriteAtlasPng(const AtlasIndices& atlas, const std::string& path);
// AV1.wav: the start sound, about one second of 16-bit mono PCM.
bool WriteStartSound(const std::string& path);
// A cairo picture as a PNG file.
bool WriteCairoPng(cairo_surface_t* surface, const std::string& path);
// The program's icon: 32 x 32 and 16 x 16 in the 16 classic colours, as PNGs
// and together in one .ico file.
bool WriteIcons(const std::string& png32, const std::string& png16, const std::string& ico);
// The icon drawn at size x size (the web page's 192 and 512), as a PNG.
bool WriteIconPng(int size, const std::string& path);

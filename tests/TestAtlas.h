// Atlases and game sessions made up for the tests.
//
// Unit tests never depend on the generated art: they cut from a synthetic
// 3200 x 2000 atlas whose every pixel is a known function of its place, so a
// test can tell exactly which atlas pixel landed where. The bitmap files
// themselves come from tests/support/TestBitmap.h. Beside them, the small
// file and naming helpers the tests share.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/AveluneView.h"
#include "gfx/Blit.h"
#include "gfx/DibImage.h"
#include "platform/common/AtlasFiles.h"
#include "platform/headless/HeadlessSession.h"
#include "tests/support/TestBitmap.h"

// A 3200 x 2000 8-bit bottom-up atlas with a full colour table, pixel (x, y)
// = pixel(x, y) (AtlasPattern when empty).
std::unique_ptr<CDibImage> MakeTestAtlas(const PixelFn& pixel = {});
// The same, every pixel the one index.
std::unique_ptr<CDibImage> MakeUniformAtlas(uint8_t index);

// A file's bytes as a string; empty when it cannot be read.
std::string Slurp(const std::string& path);
// A case's words as a test name: letters and digits kept, anything else '_'.
std::string CaseName(const char* words);

// Writes bytes to a file; the test fails if it cannot.
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
// A fresh directory for one test's files.
std::string MakeTempDir();
// Writes the test atlas as a bitmap file at `path`.
void WriteTestAtlasFile(const std::string& path, const PixelFn& pixel = {});

// A view on the test atlas over a host the caller keeps; its window is not
// created yet (OnCreate has not run, so the timer is not started).
std::unique_ptr<CAveluneView> MakeTestView(GameHost& host, const PixelFn& pixel = {});

// A headless game on the test atlas, view created and timer running.
std::unique_ptr<HeadlessSession> MakeTestSession(int orientation = kTopDown,
                                                 const PixelFn& pixel = {});

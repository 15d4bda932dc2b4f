// Finding and reading the sprite atlas, alike for every host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "gfx/DibImage.h"

// Reads an atlas and checks that it can serve the game. On failure returns
// null and sets `error` to words naming the file and what is wrong with it.
std::unique_ptr<CDibImage> LoadAtlas(const std::string& path, std::string& error);
// The same for a file's bytes already in memory (a web page's download or a
// file the player chose), with `name` standing for the file in the error.
std::unique_ptr<CDibImage> LoadAtlasBytes(const uint8_t* bytes, size_t size, const std::string& name,
                                          std::string& error);

// Where the atlas is looked for when none is named: prop.bmp in the working
// directory (a player's own atlas), else the one beside the program (where the
// build writes the generated one). Falls back to "prop.bmp", so that the
// error names the file a player would put there.
std::string FindAtlas(const char* argv0);

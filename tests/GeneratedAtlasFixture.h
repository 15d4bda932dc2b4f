// Tests of the atlas the build generated: loaded once per suite, skipped
// where no generated atlas exists.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>

#include "gfx/AtlasCatalogue.h"
#include "gfx/DibImage.h"

class GeneratedAtlasFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (std::filesystem::exists(AVELUNE_ATLAS)) atlas_ = new CDibImage(AVELUNE_ATLAS);
    }
    static void TearDownTestSuite() {
        delete atlas_;
        atlas_ = nullptr;
    }
    void SetUp() override {
        if (atlas_ == nullptr) GTEST_SKIP() << "no generated atlas at " << AVELUNE_ATLAS;
        ASSERT_TRUE(atlas_->IsLoaded()) << atlas_->LoadError();
    }
    // The atlas index at (x, y), counted from the top as seen.
    static int At(int x, int y) {
        return atlas_->GetBits()[static_cast<size_t>(kAtlasHeight - 1 - y) * kAtlasWidth + x];
    }

    static inline CDibImage* atlas_ = nullptr;
};

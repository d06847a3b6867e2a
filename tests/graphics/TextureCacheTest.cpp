#include <fstream>

#include "GraphicsTestSupport.h"

namespace {

using TextureCaching = HeadlessGraphicsTest;

TEST_F(TextureCaching, EachSpellingOfAFileIsDecodedOnceAndNeverReread) {
    std::string path = writeImage("a.png", solidImage(2, 2, 10, 20, 30, 255));
    TextureRef first;
    TextureRef second;
    TextureRef doubled;
    first.loadTexture(path);
    // Replaced on disk: the cached texture stands.
    writeImage("a.png", solidImage(2, 2, 99, 99, 99, 255));
    second.loadTexture(path);
    EXPECT_EQ(first.get(), second.get());
    EXPECT_EQ(theGraphics.imageFilesDecoded, 1);
    EXPECT_EQ(second.get()->image.pixels[0], 10);
    // Another spelling of the same path is an entry of its own.
    doubled.loadTexture(scratch.string() + "//a.png");
    ASSERT_FALSE(doubled.empty());
    EXPECT_EQ(doubled.get()->image.pixels[0], 99);
    EXPECT_EQ(theGraphics.textureCache.size(), 2u);
}

TEST_F(TextureCaching, ReferencesCountTheirHolders) {
    TextureRef a;
    a.loadTexture(writeImage("a.png", solidImage(1, 1, 1, 1, 1, 255)));
    TextureRef b;
    b.loadTexture(writeImage("b.png", solidImage(1, 1, 2, 2, 2, 255)));
    const Texture* textureA = a.get();
    EXPECT_EQ(textureA->refCount, 2); // a and the cache
    {
        TextureRef copy = a;
        EXPECT_EQ(textureA->refCount, 3);
        copy = b;
        EXPECT_EQ(textureA->refCount, 2);
        EXPECT_EQ(b.get()->refCount, 3);
    }
    EXPECT_EQ(b.get()->refCount, 2);
    // Reloading releases what the reference held.
    a.loadTexture((scratch / "absent.png").string());
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(textureA->refCount, 1);
    // Held textures outlive the emptied cache. A texture that goes unbinds itself, and only
    // itself.
    theGraphics.boundTexture = b.get();
    theGraphics.textureCache.clear();
    EXPECT_EQ(b.get()->refCount, 1);
    EXPECT_EQ(theGraphics.boundTexture, b.get());
    b = TextureRef{};
    EXPECT_EQ(theGraphics.boundTexture, nullptr);
}

// A failed load caches nothing and is tried again. The run's decoded pixels stop at the
// budget: the image that fits exactly is kept, the next one fails like a missing file.
TEST_F(TextureCaching, FailedLoadsAreNotCachedAndDecodedImagesStopAtTheRunsBudget) {
    const std::string later = (scratch / "later.png").string();
    TextureRef kept;
    kept.loadTexture(later);
    EXPECT_TRUE(kept.empty());
    EXPECT_EQ(theGraphics.textureCache.size(), 0u);
    writeImage("later.png", solidImage(2, 2, 1, 2, 3, 255));
    const std::string over = writeImage("over.png", solidImage(2, 2, 4, 5, 6, 255));
    theGraphics.decodedImageBytes = GraphicsState::DecodedImageBudget - 16; // a 2 x 2 image
    kept.loadTexture(later);
    EXPECT_FALSE(kept.empty());
    EXPECT_EQ(theGraphics.decodedImageBytes, GraphicsState::DecodedImageBudget);
    TextureRef refused;
    refused.loadTexture(over);
    EXPECT_TRUE(refused.empty());
    EXPECT_EQ(theGraphics.textureCache.size(), 1u);
}

} // namespace

#include "graphics/Texture.h"

#include <new>
#include <utility>

#include "graphics/Graphics.h"
#include "graphics/SpriteRenderer.h"

Texture::Texture(RgbaImage decoded) : image(std::move(decoded)) {}

Texture::~Texture() {
    if (theGraphics.boundTexture == this) {
        theGraphics.boundTexture = nullptr;
    }
}

TextureRef::TextureRef(const TextureRef& other) : texture(other.texture) {
    if (texture) {
        ++texture->refCount;
    }
}

TextureRef::TextureRef(TextureRef&& other) noexcept : texture(std::exchange(other.texture, nullptr)) {}

// Counting the new texture before releasing the old one makes self-assignment safe.
TextureRef& TextureRef::operator=(const TextureRef& other) { // NOLINT(bugprone-unhandled-self-assignment)
    if (other.texture) {
        ++other.texture->refCount;
    }
    release();
    texture = other.texture;
    return *this;
}

TextureRef& TextureRef::operator=(TextureRef&& other) noexcept {
    if (this != &other) {
        release();
        texture = std::exchange(other.texture, nullptr);
    }
    return *this;
}

TextureRef::~TextureRef() {
    release();
}

void TextureRef::release() {
    Texture* old = std::exchange(texture, nullptr);
    if (old && --old->refCount == 0) {
        delete old;
    }
}

void TextureRef::loadTexture(const std::string& fileName) {
    release();
    if (const TextureRef* cached = theGraphics.textureCache.find(fileName)) {
        *this = *cached;
        return;
    }
    // Running out of memory is this file failing to load, never the end of the game.
    try {
        RgbaImage image;
        if (!theGraphics.images || !theGraphics.images->readImage(fileName, image)) {
            // Nothing cached: the next request reads the file again.
            return;
        }
        const std::uint64_t bytes = image.pixels.size();
        if (bytes > GraphicsState::DecodedImageBudget - theGraphics.decodedImageBytes)
            return;
        ++theGraphics.imageFilesDecoded;
        texture = new Texture(std::move(image));
        texture->refCount = 1;
        theGraphics.decodedImageBytes += bytes;
        theGraphics.textureCache.insert(fileName, *this);
    } catch (const std::bad_alloc&) {
        release();
    }
}

void TextureRef::draw(float x, float y, float w, float h, float uRepeat, float vRepeat, int layer) const {
    if (!theSpriteRenderer) {
        return;
    }
    theGraphics.boundTexture = texture;
    theSpriteRenderer->drawQuad(x, y, w, h, uRepeat, vRepeat, 0xFFFFFFFF, layer);
    theGraphics.boundTexture = nullptr;
}

const TextureRef* TextureCache::find(const std::string& fileName) const {
    auto found = entries.find(fileName);
    return found == entries.end() ? nullptr : &found->second;
}

void TextureCache::insert(const std::string& fileName, const TextureRef& texture) {
    entries.insert_or_assign(fileName, texture);
}

#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "graphics/RgbaImage.h"

// One decoded image, shared through counted `TextureRef`s; frames are drawn from its pixels.
class Texture {
  public:
    explicit Texture(RgbaImage decoded);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    RgbaImage image;
    int refCount = 0;
};

// Counted reference to one texture, or empty. Copying adds a reference, assigning releases the
// old texture and adds one to the new, destroying or reloading releases.
class TextureRef {
  public:
    TextureRef() = default;
    TextureRef(const TextureRef& other);
    TextureRef(TextureRef&& other) noexcept;
    TextureRef& operator=(const TextureRef& other);
    TextureRef& operator=(TextureRef&& other) noexcept;
    ~TextureRef();

    // Refers to the image file's texture, decoded once per run through the `TextureCache`.
    // Empty afterwards when the file cannot be read or decoded.
    void loadTexture(const std::string& fileName);
    // Binds this texture (none if empty) and draws it white-tinted through `theSpriteRenderer`.
    void draw(float x, float y, float w, float h, float uRepeat, float vRepeat, int layer) const;

    bool empty() const { return texture == nullptr; }
    const Texture* get() const { return texture; }

  private:
    void release();
    Texture* texture = nullptr;
};

// File name (the exact text, compared byte by byte) to texture. Entries are only added, until
// the whole cache is emptied with the drawing device or for a fresh world; a room author's
// watch forgets the image files that changed on disk.
class TextureCache {
  public:
    const TextureRef* find(const std::string& fileName) const;
    void insert(const std::string& fileName, const TextureRef& texture);
    // The next load of `fileName` reads the file again; holders keep the texture they have.
    void forget(const std::string& fileName) { entries.erase(fileName); }
    void clear() { entries.clear(); }
    std::size_t size() const { return entries.size(); }

  private:
    std::map<std::string, TextureRef> entries;
};

#pragma once
#include "graphics/Texture.h"

#include <string_view>

class TokenList;

// Takes the image file word of a "texture" or "tile" key and loads it into `texture`,
// telling the list's observer (if any) which file the key names.
void loadNamedTexture(TokenList& tokens, std::string_view key, TextureRef& texture);

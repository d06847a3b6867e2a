#include "world/NamedTexture.h"

#include "definitions/DefinitionObserver.h"
#include "definitions/TokenList.h"

#include <string>

void loadNamedTexture(TokenList& tokens, std::string_view key, TextureRef& texture) {
    const std::string fileName = tokens.takeWord();
    if (tokens.observer != nullptr)
        tokens.observer->fileNamed(key, fileName);
    texture.loadTexture(fileName);
}

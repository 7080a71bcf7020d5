// A GL texture from a power-of-two PNG among the bundle's resources. The manager owns every
// texture and loads and unloads them all with its GL context.
#pragma once

#include <string>

#include "platform/cf/MacTypes.h"

namespace TW {

class Manager;

class Texture {
public:
    // Joins the manager's texture list.
    Texture(Manager* m, const char* name);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Render thread, context current.
    void Load();
    void Unload();
    void Bind() const;

    std::string name;
    unsigned id = 0;  // GL texture name; 0 when not loaded
    bool loaded = false;  // loading has been attempted
};

}  // namespace TW
